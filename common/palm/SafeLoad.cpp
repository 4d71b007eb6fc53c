#include "SafeLoad.h"

#include <cstring>
#include <string>
#include <vector>

#include "format/KxText.h"
#include "misc/KxHandle.h"
#include "misc/WinUtil.h"

namespace safeload {
namespace {

struct State {
  int nSessions = 0;
  kx::UniqueFileHandle marker;
  bool bSkipsRead = false;  // the list below is the file's, for the running session
  std::vector<SkipEntry> skips;
};

State& St() {
  static State state;
  return state;
}

std::string InProgramFolder(const char* pszFile) {
  char folder[MAX_PATH] = {};
  GetProgramFolder(nullptr, folder);
  return std::string(folder) + pszFile;
}

kx::UniqueFileHandle OpenMarker() {
  // Shared for reading and writing: a library may look at it, a later run reads it.
  return kx::UniqueFileHandle(CreateFileA(InProgramFolder(kMarkerFile).c_str(),
                                          GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void WriteRecord(HANDLE h, const char* pszText) {
  char rec[kMarkerSize] = {};
  if (pszText) kx::CopyText(rec, sizeof rec, pszText);
  OVERLAPPED at{};  // offset 0
  DWORD n = 0;
  WriteFile(h, rec, sizeof rec, &n, &at);
}

bool FileStamp(const char* pszPath, uint64_t& size, uint64_t& time) {
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!GetFileAttributesExA(pszPath, GetFileExInfoStandard, &d) ||
      (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return false;
  }
  size = (static_cast<uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
  time = (static_cast<uint64_t>(d.ftLastWriteTime.dwHighDateTime) << 32) |
         d.ftLastWriteTime.dwLowDateTime;
  return true;
}

std::vector<SkipEntry>& Skips() {
  State& s = St();
  if (s.nSessions == 0 || !s.bSkipsRead) {
    LoadSkipList(InProgramFolder(kSkipFile).c_str(), s.skips);
    s.bSkipsRead = s.nSessions > 0;
  }
  return s.skips;
}

void SaveSkips() { SaveSkipList(InProgramFolder(kSkipFile).c_str(), St().skips); }

std::vector<SkipEntry>::iterator FindSkip(std::vector<SkipEntry>& skips, const char* pszPath) {
  for (auto it = skips.begin(); it != skips.end(); ++it) {
    if (_stricmp(it->szPath, pszPath) == 0) return it;
  }
  return skips.end();
}

}  // namespace

Session::Session() {
  State& s = St();
  if (s.nSessions++ == 0) {
    s.marker = OpenMarker();
    s.bSkipsRead = false;
  }
}

Session::~Session() {
  State& s = St();
  if (--s.nSessions == 0) {
    s.marker.reset();
    s.bSkipsRead = false;
  }
}

Mark::Mark(const char* pszFullPath) {
  State& s = St();
  if (!s.marker) {
    s.marker = OpenMarker();
    m_bOwnFile = true;
  }
  if (s.marker) WriteRecord(s.marker.get(), pszFullPath);
}

Mark::~Mark() {
  State& s = St();
  if (s.marker) WriteRecord(s.marker.get(), nullptr);
  if (m_bOwnFile) s.marker.reset();
}

bool ReadMarker(char* szBuf) {
  szBuf[0] = '\0';
  kx::UniqueFileHandle h(CreateFileA(InProgramFolder(kMarkerFile).c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h) return false;
  char rec[kMarkerSize] = {};
  DWORD n = 0;
  if (!ReadFile(h.get(), rec, sizeof rec, &n, nullptr)) return false;
  kx::TerminateField(rec, sizeof rec);
  kx::CopyText(szBuf, kMarkerSize, rec);
  return szBuf[0] != '\0';
}

void ClearMarker() {
  State& s = St();
  if (s.marker) {
    WriteRecord(s.marker.get(), nullptr);
    return;
  }
  kx::UniqueFileHandle h = OpenMarker();
  if (h) WriteRecord(h.get(), nullptr);
}

bool IsSkipped(const char* pszFullPath) {
  if (!pszFullPath || !pszFullPath[0]) return false;
  std::vector<SkipEntry>& skips = Skips();
  if (skips.empty()) return false;
  auto it = FindSkip(skips, pszFullPath);
  if (it == skips.end()) return false;
  uint64_t size = 0, time = 0;
  if (FileStamp(pszFullPath, size, time) && size == it->qwSize && time == it->qwWriteTime) {
    return true;
  }
  skips.erase(it);  // another file now: it gets its chance
  SaveSkips();
  return false;
}

bool AddSkip(const char* pszFullPath) {
  if (!pszFullPath || !pszFullPath[0]) return false;
  std::vector<SkipEntry>& skips = Skips();
  SkipEntry e{};
  kx::CopyText(e.szPath, pszFullPath);
  FileStamp(pszFullPath, e.qwSize, e.qwWriteTime);
  auto it = FindSkip(skips, pszFullPath);
  if (it != skips.end()) {
    *it = e;
  } else {
    skips.push_back(e);
  }
  return SaveSkipList(InProgramFolder(kSkipFile).c_str(), skips);
}

void DropSkip(const char* pszFullPath) {
  if (!pszFullPath || !pszFullPath[0]) return;
  std::vector<SkipEntry>& skips = Skips();
  auto it = FindSkip(skips, pszFullPath);
  if (it == skips.end()) return;
  skips.erase(it);
  SaveSkips();
}

}  // namespace safeload
