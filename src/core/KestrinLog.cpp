#include "KestrinLog.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "format/KxClock.h"
#include "format/KxText.h"
#include "FileNames.h"
#include "misc/KxHandle.h"
#include "misc/WinUtil.h"
#include "palm/LibraryPath.h"

namespace {

const char kDataFile[] = "kestrinlog.dat";
const char kPageFile[] = "kestrinlog.html";

}  // namespace

bool KestrinLog::AddEntry(const LogEntry& entry) {
  std::string path;
  if (!ProgramFilePath(kDataFile, &path)) return false;
  return AppendHistoryEntry(m_File, path.c_str(), entry);
}

bool KestrinLog::ReadEntry(LogEntry* pEntry) { return ReadHistoryEntry(m_File, pEntry); }

KestrinLog::Page KestrinLog::WritePage(std::string* pPagePath) {
  std::string dataPath, pagePath;
  const bool bFolder = ProgramFilePath(kDataFile, &dataPath) && ProgramFilePath(kPageFile, &pagePath);
  if (pPagePath) *pPagePath = pagePath;
  if (!bFolder || !m_File.Open(dataPath.c_str(), "rb")) return Page::NoHistory;

  kx::UniqueStdFile page(fopen(pagePath.c_str(), "wb"));
  if (!page) {
    m_File.Close();
    return Page::NotCreated;
  }

  const std::string html = HistoryPage(m_File, kx::Now());
  m_File.Close();

  const bool bWritten = fwrite(html.data(), 1, html.size(), page.get()) == html.size();
  const bool bClosed = fclose(page.release()) == 0;
  return bWritten && bClosed ? Page::Written : Page::NotWritten;
}

void KestrinLog::FillEntry(LogEntry& entry, const char* szFile, const char* szName, int nAction) {
  memset(&entry, 0, sizeof entry);
  kx::CopyText(entry.szFile, szFile);
  kx::CopyText(entry.szName, szName);
  int nMajor, nMinor, nRelease, nBuild;
  char szFull[MAX_PATH];
  GetFileVersion(LibraryFilePath(szFile, szFull), &nMajor, &nMinor, &nRelease, &nBuild);
  FormatFileVersion(entry.szVersion, sizeof entry.szVersion, nMajor, nMinor, nRelease, nBuild);
  // The stored time is 32 bits wide.
  entry.tTime = static_cast<int>(kx::Now());
  entry.nAction = nAction;
}
