#include "HistoryFile.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <climits>
#include <cstdio>
#include <cstring>

#include "KxHtml.h"
#include "KxText.h"

static_assert(sizeof(int) == 4, "the history stores 32-bit integers");

namespace {

const char kHead1[] = "<html><head><title>Kestrin Log</title></head>\r\n\r\n";
const char kHead3[] =
    "<font size=3 color=#000080><b>Conduit Install/Uninstall History</b> </font><font size=1>"
    "<i>(%s)</i></font><br><br>\r\n";

const char kRow2[] = "<td>%s</td>\r\n";
const char kRow3[] = "<td><font color=0000FF>File Name</font>: %s<br><br>\r\n";
const char kRow4[] = "<font color=0000FF>File Version</font>: %s<br><br>\r\n";
const char kRow5[] = "<b><font color=0000FF>%s</font>: %s</b></td></tr>\r\n";


std::string ActionWords(int nAction) {
  switch (nAction) {
    case kHistoryInstalled: return "Installed Successfully";
    case kHistoryUninstalled: return "Uninstalled Successfully";
    case kHistoryRestored: return "Restored Successfully";
    default: return "Unknown Action (" + std::to_string(nAction) + ")";
  }
}

bool PathExists(const char* path) {
#ifdef _WIN32
  return _access(path, 0) == 0;
#else
  return access(path, F_OK) == 0;
#endif
}

bool Truncate(FILE* fp, long nSize) {
#ifdef _WIN32
  return _chsize(_fileno(fp), nSize) == 0;
#else
  return ftruncate(fileno(fp), nSize) == 0;
#endif
}

}  // namespace

bool AppendHistoryEntry(CxFile& file, const char* path, const LogEntry& entryIn) {
  if (!path || !path[0]) return false;
  // A caller's field without its terminator is cut, never read past.
  LogEntry entry = entryIn;
  kx::TerminateField(entry.szFile);
  kx::TerminateField(entry.szName);
  kx::TerminateField(entry.szVersion);

  int nCount = 0;
  unsigned char oldCount[4] = {};
  bool bNew = false;
  const bool bOpened = file.Open(path, "r+b");
  // A history that is there but cannot be opened for update is left alone, never replaced.
  if (!bOpened && PathExists(path)) return false;
  if (!bOpened || fseek(file.m_fp, 0, SEEK_SET) != 0 ||
      fread(oldCount, 1, sizeof oldCount, file.m_fp) != sizeof oldCount ||
      fseek(file.m_fp, 0, SEEK_SET) != 0 || !file.ReadInt(&nCount)) {
    // No history yet, or one too short to hold its count: start it afresh.
    file.Close();
    if (!file.Open(path, "wb")) return false;
    bNew = true;
    nCount = 0;
    if (!file.WriteInt(0)) {
      file.Close();
      remove(path);
      return false;
    }
  }
  if (nCount < 0) nCount = 0;

  FILE* fp = file.m_fp;
  long nOldSize = -1;
  if (fseek(fp, 0, SEEK_END) == 0) nOldSize = ftell(fp);

  // The entry first and the count after it, so a count never promises a missing entry.
  bool bOk = nOldSize >= 0 && nCount < INT_MAX && file.WriteString(entry.szFile) &&
             file.WriteString(entry.szName) && file.WriteString(entry.szVersion) &&
             file.WriteInt(entry.tTime) && file.WriteInt(entry.nAction) && fflush(fp) == 0;
  bOk = bOk && fseek(fp, 0, SEEK_SET) == 0 && file.WriteInt(nCount + 1) && fflush(fp) == 0;

  if (!bOk) {
    // Leave no part of the entry behind, so the earlier entries stay readable. The old count
    // goes back in place (overwriting needs no room even on a full disk).
    fflush(fp);
    if (!bNew && fseek(fp, 0, SEEK_SET) == 0) fwrite(oldCount, 1, sizeof oldCount, fp);
    fflush(fp);
    if (nOldSize >= 0) Truncate(fp, bNew ? 0 : nOldSize);
    file.Close();
    if (bNew) remove(path);
    return false;
  }
  return file.Close();
}

bool ReadHistoryEntry(CxFile& file, LogEntry* pEntry) {
  if (!pEntry) return false;
  return file.ReadString(pEntry->szFile, sizeof pEntry->szFile) &&
         file.ReadString(pEntry->szName, sizeof pEntry->szName) &&
         file.ReadString(pEntry->szVersion, sizeof pEntry->szVersion) &&
         file.ReadInt(&pEntry->tTime) && file.ReadInt(&pEntry->nAction);
}

std::string HistoryPage(CxFile& file, time_t now) {
  std::string html = kHead1;
  html += kx::kHtmlBody;
  html += kx::HtmlFill(kHead3, {kx::HtmlTimeStamp(now)});
  html += kx::kHtmlTable;
  html += kx::kHtmlHeaderRow;

  // The count bounds the walk, and so does the end of the file.
  int nCount = 0;
  if (fseek(file.m_fp, 0, SEEK_SET) != 0 || !file.ReadInt(&nCount)) nCount = 0;
  for (int i = 0; i < nCount; ++i) {
    LogEntry entry;
    memset(&entry, 0, sizeof entry);
    if (!ReadHistoryEntry(file, &entry)) break;
    if (entry.nAction == kHistoryNone) continue;
    html += kx::kHtmlWhiteRow;
    // Appended in place: a page of many entries would otherwise build a string per text.
    kx::HtmlFillEscapedTo(html, kRow2, {entry.szName});
    kx::HtmlFillEscapedTo(html, kRow3, {entry.szFile});
    kx::HtmlFillEscapedTo(html, kRow4, {entry.szVersion});
    html += kx::HtmlFill(kRow5, {kx::HtmlTimeStamp(static_cast<time_t>(entry.tTime)),
                                 ActionWords(entry.nAction)});
  }
  html += kx::kHtmlTail;
  return html;
}
