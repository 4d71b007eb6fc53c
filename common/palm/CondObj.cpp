#include "CondObj.h"

#include <cstring>
#include <unordered_map>

#include "format/KxAssert.h"
#include "format/KxText.h"
#include "LibraryPath.h"
#include "PalmLibs.h"
#include "SafeLoad.h"

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

// The page a name function writes into, followed by a no-access page: a library that writes
// past its capacity changes nothing of ours, one that runs past the page faults at once (and
// the marker names it).
class NameScratch {
 public:
  static constexpr size_t kPage = 4096;
  NameScratch() {
    m_p = static_cast<char*>(VirtualAlloc(nullptr, 2 * kPage, MEM_RESERVE | MEM_COMMIT,
                                          PAGE_READWRITE));
    DWORD old = 0;
    if (m_p && !VirtualProtect(m_p + kPage, kPage, PAGE_NOACCESS, &old)) {
      VirtualFree(m_p, 0, MEM_RELEASE);
      m_p = nullptr;
    }
  }
  ~NameScratch() {
    if (m_p) VirtualFree(m_p, 0, MEM_RELEASE);
  }
  NameScratch(const NameScratch&) = delete;
  NameScratch& operator=(const NameScratch&) = delete;
  char* get() const { return m_p; }

 private:
  char* m_p = nullptr;
};

// One region for the whole run: a catalogue load asks hundreds of libraries.
char* Scratch() {
  static NameScratch scratch;
  return scratch.get();
}

}  // namespace

CCondObj::CCondObj(const char* pszPath) { Open(pszPath); }

CCondObj::~CCondObj() { Close(); }

bool CCondObj::Open(const char* pszPath) {
  if (!pszPath || !pszPath[0]) return false;
  Close();
  char szFull[MAX_PATH];
  if (!ResolveLibraryPath(pszPath, szFull)) return false;
  if (safeload::IsSkipped(szFull)) {
    m_bSkipped = true;
    return false;
  }
  {
    safeload::Mark mark(szFull);
    // By full path, so its own DLLs come from its folder, never from the program's.
    m_pInst.reset(LoadLibraryExA(szFull, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  }
  if (!m_pInst) return false;
  kx::CopyText(m_szPath, szFull);
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
  m_bSkipped = false;
  if (m_pInst) {
    safeload::Mark mark(m_szPath);  // its unload code runs now
    m_pInst.reset();
  }
  m_szPath[0] = '\0';
}

int CCondObj::GetName(char* pszBuf, WORD wCap) {
  if (!m_pfnGetConduitName) return kPalmMissing;
  char* area = Scratch();
  if (!area) return kPalmMissing;
  const size_t cap = wCap < NameScratch::kPage ? wCap : NameScratch::kPage;
  memset(area, 0, NameScratch::kPage);
  // A library that writes nothing leaves the field as it was.
  if (pszBuf) memcpy(area, pszBuf, cap);
  int r;
  {
    safeload::Mark mark(m_szPath);
    r = static_cast<int>(m_pfnGetConduitName(area, static_cast<WORD>(cap)));
  }
  if (pszBuf && cap) {
    // Some libraries fill the whole buffer without a terminator.
    const size_t n = strnlen(area, cap - 1);
    memcpy(pszBuf, area, n);
    pszBuf[n] = '\0';
  }
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
