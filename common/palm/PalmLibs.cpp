#include "PalmLibs.h"

#include <cstdio>
#include <cstring>

#include "format/KxText.h"
#include "misc/WinUtil.h"

namespace palm {
namespace {

#define KX_PALM_NAME_ITEM(name) #name,
const char* const kCondMgrNames[] = {KX_CONDMGR_ENTRIES(KX_PALM_NAME_ITEM)};
const char* const kUserDataNames[] = {KX_USERDATA_ENTRIES(KX_PALM_NAME_ITEM)};
const char* const kHsApiNames[] = {KX_HSAPI_ENTRIES(KX_PALM_NAME_ITEM)};
const char* const kInstAideNames[] = {KX_INSTAIDE_ENTRIES(KX_PALM_NAME_ITEM)};
#undef KX_PALM_NAME_ITEM

const int kCondMgrCount = static_cast<int>(CmEntry::Count);
const int kUserDataCount = static_cast<int>(UmEntry::Count);
const int kHsApiCount = static_cast<int>(HsEntry::Count);
const int kInstAideCount = static_cast<int>(PltEntry::Count);

FARPROC g_CondMgrEntries[kCondMgrCount];
FARPROC g_UserDataEntries[kUserDataCount];
FARPROC g_HsApiEntries[kHsApiCount];
FARPROC g_InstAideEntries[kInstAideCount];

PalmLibrary g_CondMgr{"condmgr.dll", kCondMgrNames, kCondMgrCount, g_CondMgrEntries, {}};
PalmLibrary g_UserData{"UserData.dll", kUserDataNames, kUserDataCount, g_UserDataEntries, {}};
PalmLibrary g_HsApi{"HSAPI.DLL", kHsApiNames, kHsApiCount, g_HsApiEntries, {}};
PalmLibrary g_InstAide{"instaide.dll", kInstAideNames, kInstAideCount, g_InstAideEntries, {}};

const char kCoreKey[] = "Software\\U.S. Robotics\\Pilot Desktop\\Core";

void ReleaseLibrary(PalmLibrary& lib) {
  for (int i = 0; i < lib.nEntries; ++i) lib.pEntries[i] = nullptr;
  lib.hModule.reset();
}

bool BindLibrary(PalmLibrary& lib) {
  ReleaseLibrary(lib);
  char szFolder[MAX_PATH];
  // An empty folder would make "\condmgr.dll" a path on the current drive's root.
  if (GetPalmDesktopPath(szFolder, MAX_PATH) != 0 || !szFolder[0]) return false;
  char szPath[MAX_PATH];
  int n = snprintf(szPath, sizeof szPath, "%s\\%s", szFolder, lib.szFile);
  if (n < 0 || n >= static_cast<int>(sizeof szPath)) return false;
  // The library's own dependencies live beside it, not beside the program.
  lib.hModule.reset(LoadLibraryExA(szPath, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  if (!lib.hModule) return false;
  for (int i = 0; i < lib.nEntries; ++i)
    lib.pEntries[i] = GetProcAddress(lib.hModule.get(), lib.pszNames[i]);
  return true;
}

// GetProcAddress gives a generic function address; void(*)() converts to any function type
// without a cast-function-type warning.
template <typename Fn>
Fn As(FARPROC p) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(p));
}

// Libraries take text arguments as char* but do not write to them.
char* Arg(const char* s) { return const_cast<char*>(s); }

using TextOutFn = int(WINAPI*)(char*, char*, int*);
using TextInFn = int(WINAPI*)(char*, char*);

int GetText(CmEntry e, const char* szCreatorID, char* szBuf, int cap) {
  auto fn = As<TextOutFn>(Entry(e));
  if (!fn) return kPalmMissing;
  int n = cap;
  int r = fn(Arg(szCreatorID), szBuf, &n);
  if (szBuf && cap > 0) kx::TerminateField(szBuf, static_cast<size_t>(cap));
  return r;
}

int SetText(CmEntry e, const char* szCreatorID, const char* szValue) {
  auto fn = As<TextInFn>(Entry(e));
  return fn ? fn(Arg(szCreatorID), Arg(szValue)) : kPalmMissing;
}

}  // namespace

PalmLibrary* GetPalmLibrary(unsigned bit) {
  switch (bit) {
    case kPalmCondMgr: return &g_CondMgr;
    case kPalmUserData: return &g_UserData;
    case kPalmHsApi: return &g_HsApi;
    case kPalmInstAide: return &g_InstAide;
    default: return nullptr;
  }
}

FARPROC& Entry(CmEntry e) { return g_CondMgrEntries[static_cast<int>(e)]; }
FARPROC& Entry(UmEntry e) { return g_UserDataEntries[static_cast<int>(e)]; }
FARPROC& Entry(HsEntry e) { return g_HsApiEntries[static_cast<int>(e)]; }
FARPROC& Entry(PltEntry e) { return g_InstAideEntries[static_cast<int>(e)]; }

int CmGetConduitCount() {
  auto fn = As<int(WINAPI*)()>(Entry(CmEntry::CmGetConduitCount));
  return fn ? fn() : kPalmMissing;
}

int CmGetConduitCreatorID(int nIndex, char* szCreatorID, int cap) {
  auto fn = As<int(WINAPI*)(int, char*, int*)>(Entry(CmEntry::CmGetConduitCreatorID));
  if (!fn) return kPalmMissing;
  int n = cap;
  int r = fn(nIndex, szCreatorID, &n);
  if (szCreatorID && cap > 0) kx::TerminateField(szCreatorID, static_cast<size_t>(cap));
  return r;
}

int CmGetCreatorName(const char* szCreatorID, char* szBuf, int cap) {
  return GetText(CmEntry::CmGetCreatorName, szCreatorID, szBuf, cap);
}

int CmConvertStringToCreatorID(const char* szCreatorID, DWORD* pdwCreatorID) {
  auto fn = As<int(WINAPI*)(char*, DWORD*)>(Entry(CmEntry::CmConvertStringToCreatorID));
  return fn ? fn(Arg(szCreatorID), pdwCreatorID) : kPalmMissing;
}

int CmGetCreatorIntegrate(const char* szCreatorID, DWORD* pdwIntegrate) {
  auto fn = As<int(WINAPI*)(char*, DWORD*)>(Entry(CmEntry::CmGetCreatorIntegrate));
  return fn ? fn(Arg(szCreatorID), pdwIntegrate) : kPalmMissing;
}

int CmGetCreatorPriority(const char* szCreatorID, int* pnPriority) {
  auto fn = As<int(WINAPI*)(char*, int*)>(Entry(CmEntry::CmGetCreatorPriority));
  return fn ? fn(Arg(szCreatorID), pnPriority) : kPalmMissing;
}

int CmGetCreatorFile(const char* szCreatorID, char* szBuf, int cap) {
  return GetText(CmEntry::CmGetCreatorFile, szCreatorID, szBuf, cap);
}

int CmGetCreatorDirectory(const char* szCreatorID, char* szBuf, int cap) {
  return GetText(CmEntry::CmGetCreatorDirectory, szCreatorID, szBuf, cap);
}

int CmGetCreatorInfo(const char* szCreatorID, char* szBuf, int cap) {
  return GetText(CmEntry::CmGetCreatorInfo, szCreatorID, szBuf, cap);
}

int CmGetCreatorRemote(const char* szCreatorID, char* szBuf, int cap) {
  return GetText(CmEntry::CmGetCreatorRemote, szCreatorID, szBuf, cap);
}

int CmGetCreatorTitle(const char* szCreatorID, char* szBuf, int cap) {
  return GetText(CmEntry::CmGetCreatorTitle, szCreatorID, szBuf, cap);
}

int CmGetBackupConduit(char* szBuf, int cap) {
  auto fn = As<int(WINAPI*)(char*, int*)>(Entry(CmEntry::CmGetBackupConduit));
  if (!fn) return kPalmMissing;
  int n = cap;
  int r = fn(szBuf, &n);
  if (szBuf && cap > 0) kx::TerminateField(szBuf, static_cast<size_t>(cap));
  return r;
}

int CmInstallCreator(const char* szCreatorID, int nType) {
  auto fn = As<int(WINAPI*)(char*, int)>(Entry(CmEntry::CmInstallCreator));
  return fn ? fn(Arg(szCreatorID), nType) : kPalmMissing;
}

int CmSetCreatorName(const char* szCreatorID, const char* szConduit) {
  return SetText(CmEntry::CmSetCreatorName, szCreatorID, szConduit);
}

int CmSetCreatorDirectory(const char* szCreatorID, const char* szDirectory) {
  return SetText(CmEntry::CmSetCreatorDirectory, szCreatorID, szDirectory);
}

int CmSetCreatorFile(const char* szCreatorID, const char* szFile) {
  return SetText(CmEntry::CmSetCreatorFile, szCreatorID, szFile);
}

int CmSetCreatorPriority(const char* szCreatorID, int nPriority) {
  auto fn = As<int(WINAPI*)(char*, int)>(Entry(CmEntry::CmSetCreatorPriority));
  return fn ? fn(Arg(szCreatorID), nPriority) : kPalmMissing;
}

int CmSetCreatorRemote(const char* szCreatorID, const char* szRemote) {
  return SetText(CmEntry::CmSetCreatorRemote, szCreatorID, szRemote);
}

int CmSetCreatorTitle(const char* szCreatorID, const char* szTitle) {
  return SetText(CmEntry::CmSetCreatorTitle, szCreatorID, szTitle);
}

int CmRemoveConduitByCreatorID(const char* szCreatorID) {
  auto fn = As<int(WINAPI*)(char*)>(Entry(CmEntry::CmRemoveConduitByCreatorID));
  return fn ? fn(Arg(szCreatorID)) : kPalmMissing;
}

int HsDisplayCustomDlg() {
  auto fn = As<int(WINAPI*)()>(Entry(HsEntry::HsDisplayCustomDlg));
  return fn ? fn() : kPalmMissing;
}

int PltGetInstallConduitCount() {
  auto fn = As<int(WINAPI*)()>(Entry(PltEntry::PltGetInstallConduitCount));
  return fn ? fn() : kPalmMissing;
}

int PltGetInstallConduitInfo(int nIndex, void* pRecord, int cap) {
  auto fn = As<int(WINAPI*)(int, void*, int*)>(Entry(PltEntry::PltGetInstallConduitInfo));
  if (!fn) return kPalmMissing;
  int n = cap;
  return fn(nIndex, pRecord, &n);
}

}  // namespace palm

int GetPalmDesktopPath(char* szBuf, int cap) {
  if (!szBuf || cap <= 0) return kPalmMissing;
  szBuf[0] = '\0';

  char szIni[MAX_PATH + 16];
  if (GetProgramFolder(nullptr, szIni)) {
    strcat(szIni, "orlenta.ini");
    GetPrivateProfileStringA("Path", "PDPath", "", szBuf, static_cast<DWORD>(cap), szIni);
    if (szBuf[0]) return 0;
  }

  kx::UniqueKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, palm::kCoreKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
    return kPalmNotRegistered;
  DWORD type = 0;
  DWORD len = static_cast<DWORD>(cap);
  LONG rc = RegQueryValueExA(key.get(), "DesktopPath", nullptr, &type,
                             reinterpret_cast<BYTE*>(szBuf), &len);
  if (rc == ERROR_MORE_DATA) {
    szBuf[0] = '\0';
    return kPalmBufferTooSmall;
  }
  if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
    szBuf[0] = '\0';
    return kPalmNotRegistered;
  }
  // A value stored without its terminator may fill the buffer exactly; it then does not fit.
  if (len < static_cast<DWORD>(cap)) {
    szBuf[len] = '\0';
  } else if (szBuf[cap - 1] != '\0') {
    szBuf[0] = '\0';
    return kPalmBufferTooSmall;
  }
  return 0;
}

bool LoadPalmLibraries(unsigned flags) {
  for (unsigned bit = kPalmCondMgr; bit <= kPalmInstAide; bit <<= 1) {
    if (!(flags & bit)) continue;
    if (!palm::BindLibrary(*palm::GetPalmLibrary(bit))) return false;
  }
  return true;
}

void FreePalmLibraries(unsigned flags) {
  for (unsigned bit = kPalmCondMgr; bit <= kPalmInstAide; bit <<= 1) {
    if (flags & bit) palm::ReleaseLibrary(*palm::GetPalmLibrary(bit));
  }
}
