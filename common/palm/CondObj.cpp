#include "CondObj.h"

#include <unordered_map>

#include "format/KxAssert.h"
#include "format/KxText.h"
#include "PalmLibs.h"

namespace {

template <typename Fn>
Fn As(FARPROC p) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(p));
}

struct CondObjTable {
  std::unordered_map<CondObjHandle, std::unique_ptr<CCondObj>> objects;
  CondObjHandle nLast = 0;
};

CondObjTable& Table() {
  static CondObjTable table;
  return table;
}

}  // namespace

CCondObj::CCondObj(const char* pszPath) { Open(pszPath); }

CCondObj::~CCondObj() { Close(); }

bool CCondObj::Open(const char* pszPath) {
  if (!pszPath || !pszPath[0]) return false;
  Close();
  m_pInst.reset(LoadLibraryA(pszPath));
  if (!m_pInst) return false;
  HMODULE h = m_pInst.get();
  m_pfnOpenConduit = GetProcAddress(h, "OpenConduit");
  m_pfnCfgConduit = GetProcAddress(h, "CfgConduit");
  m_pfnConfigureConduit = GetProcAddress(h, "ConfigureConduit");
  m_pfnGetConduitInfo = GetProcAddress(h, "GetConduitInfo");
  m_pfnGetConduitName = As<GetConduitNameFn>(GetProcAddress(h, "GetConduitName"));
  m_pfnGetConduitVersion = GetProcAddress(h, "GetConduitVersion");
  return true;
}

void CCondObj::Close() {
  m_pfnOpenConduit = nullptr;
  m_pfnCfgConduit = nullptr;
  m_pfnConfigureConduit = nullptr;
  m_pfnGetConduitInfo = nullptr;
  m_pfnGetConduitName = nullptr;
  m_pfnGetConduitVersion = nullptr;
  m_pInst.reset();
}

int CCondObj::GetName(char* pszBuf, WORD wCap) {
  if (!m_pfnGetConduitName) return kPalmMissing;
  int r = static_cast<int>(m_pfnGetConduitName(pszBuf, wCap));
  // Some libraries fill the whole buffer without a terminator.
  if (pszBuf && wCap) kx::TerminateField(pszBuf, wCap);
  return r;
}

CondObjHandle RegisterCondObj(std::unique_ptr<CCondObj> pObj) {
  if (!pObj) return 0;
  CondObjTable& t = Table();
  KX_ASSERT_TEXT(t.nLast != 0xFFFFFFFFu, "nLast!=0xFFFFFFFF");
  CondObjHandle h = ++t.nLast;
  t.objects.emplace(h, std::move(pObj));
  return h;
}

CCondObj* ResolveCondObj(CondObjHandle h) {
  if (!h) return nullptr;
  CondObjTable& t = Table();
  auto it = t.objects.find(h);
  return it == t.objects.end() ? nullptr : it->second.get();
}

void ReleaseCondObj(CondObjHandle h) {
  if (!h) return;
  CondObjTable& t = Table();
  auto it = t.objects.find(h);
  if (it == t.objects.end()) return;
  // Take it out before destroying it: the library's unload code must not find it in the table.
  std::unique_ptr<CCondObj> pObj = std::move(it->second);
  t.objects.erase(it);
}

CCondObj* GetCondObj(const CondInfo& info) { return ResolveCondObj(info.hCondObj); }

CCondObj* AttachCondObj(CondInfo& info) {
  std::unique_ptr<CCondObj> pObj(new CCondObj(info.szConduit));
  CCondObj* p = pObj.get();
  info.hCondObj = RegisterCondObj(std::move(pObj));
  p->GetName(info.szName, sizeof info.szName);
  return p;
}
