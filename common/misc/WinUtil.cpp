#include "WinUtil.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <utility>

#include "format/KxText.h"
#include "KxHandle.h"

namespace {

std::string g_programFolderOverride;
bool g_hasProgramFolderOverride = false;

void ShellOpenDefault(const char* szTarget) {
  ShellExecuteA(nullptr, "open", szTarget, "", "", SW_SHOW);
}

void ShowInFolderDefault(const char* szPath) {
  const std::string args = std::string("/select,\"") + szPath + "\"";
  ShellExecuteA(nullptr, "open", "explorer.exe", args.c_str(), nullptr, SW_SHOWNORMAL);
}

ShellOpener& Shower() {
  static ShellOpener shower = ShowInFolderDefault;
  return shower;
}

ShellOpener& Opener() {
  static ShellOpener opener = ShellOpenDefault;
  return opener;
}

void SetOut(int* p, int v) {
  if (p) *p = v;
}

}  // namespace

bool SetQuietErrorMode() { return SetThreadErrorMode(kQuietErrorMode, nullptr) != FALSE; }

void SplitProgramFolder(const char* szPath, char* szBuf, size_t cap) {
  if (!szBuf || cap == 0) return;
  szBuf[0] = '\0';
  if (!szPath) return;
  // Drive ("X:") plus everything up to the last separator, as the runtime's path splitting does.
  const size_t nDrive = (szPath[0] && szPath[1] == ':') ? 2 : 0;
  size_t nEnd = nDrive;
  for (size_t i = nDrive; szPath[i]; ++i) {
    if (szPath[i] == '\\' || szPath[i] == '/') nEnd = i + 1;
  }
  const size_t n = nEnd < cap - 1 ? nEnd : cap - 1;
  memcpy(szBuf, szPath, n);
  szBuf[n] = '\0';
}

void SetProgramFolderOverride(const char* szFolder) {
  g_hasProgramFolderOverride = szFolder != nullptr;
  g_programFolderOverride = szFolder ? szFolder : "";
}

bool GetProgramFolder(HMODULE hModule, char* szBuf) {
  if (!szBuf) return false;
  if (!hModule && g_hasProgramFolderOverride) {
    kx::CopyText(szBuf, MAX_PATH, g_programFolderOverride.c_str());
    return true;
  }
  char szPath[MAX_PATH];
  const DWORD n = GetModuleFileNameA(hModule, szPath, MAX_PATH);
  // A cut file name would give a wrong folder, not a shorter right one.
  if (n == 0 || n >= MAX_PATH) {
    szBuf[0] = '\0';
    return false;
  }
  SplitProgramFolder(szPath, szBuf, MAX_PATH);
  return true;
}

bool GetFileVersion(const char* szPath, int* pnMajor, int* pnMinor, int* pnRelease, int* pnBuild) {
  SetOut(pnMajor, 0);
  SetOut(pnMinor, 0);
  SetOut(pnRelease, 0);
  SetOut(pnBuild, 0);
  if (!szPath || !*szPath) return false;

  DWORD dwHandle = 0;
  const DWORD dwSize = GetFileVersionInfoSizeA(szPath, &dwHandle);
  if (dwSize == 0) return false;
  std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[dwSize]);
  if (!block) return false;
  if (!GetFileVersionInfoA(szPath, 0, dwSize, block.get())) return false;

  void* pValue = nullptr;
  UINT uLen = 0;
  char szRoot[] = "\\";
  if (!VerQueryValueA(block.get(), szRoot, &pValue, &uLen) || !pValue ||
      uLen < sizeof(VS_FIXEDFILEINFO)) {
    return false;
  }
  const auto* pInfo = static_cast<const VS_FIXEDFILEINFO*>(pValue);
  SetOut(pnMajor, HIWORD(pInfo->dwFileVersionMS));
  SetOut(pnMinor, LOWORD(pInfo->dwFileVersionMS));
  SetOut(pnRelease, HIWORD(pInfo->dwFileVersionLS));
  SetOut(pnBuild, LOWORD(pInfo->dwFileVersionLS));
  return true;
}

char* FormatFileVersion(char* szBuf, size_t cap, int nMajor, int nMinor, int nRelease, int nBuild) {
  if (!szBuf || cap == 0) return szBuf;
  snprintf(szBuf, cap, "%d.%d.%d.%04d", nMajor, nMinor, nRelease, nBuild);
  return szBuf;
}

bool GetFileCreationTime(const char* szPath, SYSTEMTIME* pTime) {
  if (!pTime || !szPath || !*szPath) return false;
  kx::UniqueFileHandle file(CreateFileA(szPath, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  FILETIME ftCreated, ftLocal;
  if (!GetFileTime(file.get(), &ftCreated, nullptr, nullptr)) return false;
  if (!FileTimeToLocalFileTime(&ftCreated, &ftLocal)) return false;
  SYSTEMTIME st;
  if (!FileTimeToSystemTime(&ftLocal, &st)) return false;
  *pTime = st;
  return true;
}

bool ShellOpen(const char* szTarget) {
  if (!szTarget || !*szTarget) return false;
  Opener()(szTarget);
  return true;
}

// The shell link's class and interfaces, here rather than from libuuid, whose one object holds
// every interface id and clashes with oleacc's copy of IID_IAccessible at link time.
const CLSID kClsidShellLink = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kIidShellLinkA = {0x000214EE, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kIidPersistFile = {0x0000010B, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

bool ResolveShortcut(const char* szLink, std::string& target) {
  if (!szLink || !*szLink) return false;
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool ok = false;
  IShellLinkA* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(kClsidShellLink, nullptr, CLSCTX_INPROC_SERVER, kIidShellLinkA,
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(kIidPersistFile, reinterpret_cast<void**>(&file)))) {
      wchar_t wide[MAX_PATH] = {};
      char path[MAX_PATH] = {};
      if (MultiByteToWideChar(CP_ACP, 0, szLink, -1, wide, MAX_PATH) > 0 &&
          SUCCEEDED(file->Load(wide, STGM_READ)) &&
          link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH) == S_OK && path[0]) {
        target = path;
        ok = true;
      }
      file->Release();
    }
    link->Release();
  }
  if (SUCCEEDED(init)) CoUninitialize();
  return ok;
}

bool ShowInFolder(const char* szPath) {
  if (!szPath || !*szPath) return false;
  Shower()(szPath);
  return true;
}

ShellOpener SetFolderShower(ShellOpener shower) {
  ShellOpener old = std::move(Shower());
  Shower() = shower ? std::move(shower) : ShellOpener(ShowInFolderDefault);
  return old;
}

ShellOpener SetShellOpener(ShellOpener opener) {
  ShellOpener old = std::move(Opener());
  Opener() = opener ? std::move(opener) : ShellOpener(ShellOpenDefault);
  return old;
}
