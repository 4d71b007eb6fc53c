#include "LibraryPath.h"

#include <cstring>
#include <string>
#include <vector>

#include "format/KxText.h"
#include "misc/WinUtil.h"
#include "PalmLibs.h"

namespace {

struct SearchCache {
  int nScopes = 0;
  bool bValid = false;
  std::vector<std::string> folders;
};

SearchCache& Cache() {
  static SearchCache cache;
  return cache;
}

bool IsRelative(const char* p) {
  if (p[0] == '\\' || p[0] == '/') return false;
  return !(p[0] && p[1] == ':');
}

std::string WithoutTrailingSlash(std::string s) {
  while (s.size() > 3 && (s.back() == '\\' || s.back() == '/')) s.pop_back();
  return s;
}

std::string FullPath(const std::string& p) {
  char sz[MAX_PATH];
  DWORD n = GetFullPathNameA(p.c_str(), MAX_PATH, sz, nullptr);
  if (n == 0 || n >= MAX_PATH) return std::string();
  return sz;
}

}  // namespace

std::vector<std::string> PathFolders() {
  std::vector<std::string> out;
  DWORD len = GetEnvironmentVariableA("PATH", nullptr, 0);
  if (len == 0) return out;
  std::string path(len, '\0');
  len = GetEnvironmentVariableA("PATH", &path[0], len);
  path.resize(len < path.size() ? len : path.size());
  size_t at = 0;
  while (at <= path.size()) {
    size_t end = path.find(';', at);
    if (end == std::string::npos) end = path.size();
    std::string folder = path.substr(at, end - at);
    if (folder.size() >= 2 && folder.front() == '"' && folder.back() == '"')
      folder = folder.substr(1, folder.size() - 2);
    out.push_back(folder);
    at = end + 1;
  }
  return out;
}

namespace {

// In the order HotSync's loader would look, without the program's own folder.
std::vector<std::string> LookUpFolders() {
  std::vector<std::string> out;
  char own[MAX_PATH] = {};
  GetProgramFolder(nullptr, own);
  const std::string ownFolder = WithoutTrailingSlash(FullPath(own));
  auto add = [&](const std::string& folder, bool mayBeOwn) {
    if (folder.empty() || IsRelative(folder.c_str())) return;
    const std::string f = WithoutTrailingSlash(FullPath(folder));
    if (f.empty()) return;
    if (!mayBeOwn && !ownFolder.empty() && _stricmp(f.c_str(), ownFolder.c_str()) == 0) return;
    for (const std::string& had : out) {
      if (_stricmp(had.c_str(), f.c_str()) == 0) return;
    }
    out.push_back(f);
  };
  char sz[MAX_PATH];
  // HotSync's own folder is where it looks first, even when Kestrin lives there too.
  if (GetPalmDesktopPath(sz, sizeof sz) == 0) add(sz, true);
  UINT n = GetSystemDirectoryA(sz, sizeof sz);
  if (n > 0 && n < sizeof sz) add(sz, false);
  n = GetWindowsDirectoryA(sz, sizeof sz);
  if (n > 0 && n < sizeof sz) add(sz, false);
  for (const std::string& folder : PathFolders()) add(folder, false);
  return out;
}

const std::vector<std::string>& Folders(std::vector<std::string>& local) {
  SearchCache& c = Cache();
  if (c.nScopes == 0) {
    local = LookUpFolders();
    return local;
  }
  if (!c.bValid) {
    c.folders = LookUpFolders();
    c.bValid = true;
  }
  return c.folders;
}

// tested: whether the result is known to be an existing file.
bool Resolve(const char* pszPath, char* szOut, bool& tested) {
  tested = false;
  szOut[0] = '\0';
  if (!pszPath || !pszPath[0]) return false;
  if (!IsRelative(pszPath)) {
    const std::string full = FullPath(pszPath);
    if (full.empty()) return false;
    kx::CopyText(szOut, MAX_PATH, full.c_str());
    return true;
  }
  std::vector<std::string> local;
  for (const std::string& folder : Folders(local)) {
    const std::string candidate = folder + (folder.back() == '\\' ? "" : "\\") + pszPath;
    if (candidate.size() >= MAX_PATH || !IsPlainFile(candidate.c_str())) continue;
    const std::string full = FullPath(candidate);
    if (full.empty()) continue;
    kx::CopyText(szOut, MAX_PATH, full.c_str());
    tested = true;
    return true;
  }
  return false;
}

}  // namespace

bool IsPlainFile(const char* pszPath) {
  if (!pszPath || !pszPath[0]) return false;
  const DWORD attr = GetFileAttributesA(pszPath);
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool ResolveLibraryPath(const char* pszPath, char* szOut) {
  bool tested = false;
  return Resolve(pszPath, szOut, tested);
}

const char* LibraryFilePath(const char* pszPath, char* szBuf) {
  return ResolveLibraryPath(pszPath, szBuf) ? szBuf : (pszPath ? pszPath : "");
}

bool LibraryFileExists(const char* pszPath) {
  char sz[MAX_PATH];
  bool tested = false;
  if (!Resolve(pszPath, sz, tested)) return false;
  return tested || IsPlainFile(sz);
}

LibrarySearchScope::LibrarySearchScope() { ++Cache().nScopes; }

LibrarySearchScope::~LibrarySearchScope() {
  SearchCache& c = Cache();
  if (--c.nScopes == 0) {
    c.bValid = false;
    c.folders.clear();
  }
}
