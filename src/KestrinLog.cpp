#include "KestrinLog.h"

#include <io.h>
#include <windows.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "KxClock.h"
#include "KxHandle.h"
#include "KxHtml.h"
#include "KxText.h"
#include "MsgBox.h"
#include "WinUtil.h"

static_assert(sizeof(int) == 4, "the history stores 32-bit integers");

namespace {

const char kDataFile[] = "kestrinlog.dat";
const char kPageFile[] = "kestrinlog.html";

const char kHead1[] = "<html><head><title>Kestrin Log</title></head>\r\n\r\n";
const char kHead2[] = "<body style=\"font-family:Verdana; font-size:9pt\">\r\n";
const char kHead3[] =
    "<font size=3 color=#000080><b>Conduit Install/Uninstall History</b> </font><font size=1>"
    "<i>(%s)</i></font><br><br>\r\n";
const char kHead4[] =
    "<table border=0 cellpadding=0 cellspacing=1 bgcolor=#C0C0C0 style=\"font-family:verdana; "
    "font-size:10pt\">\r\n";
const char kHead5[] =
    "<tr bgcolor=#F0F0FF height=22 colspan=2 align=center>\r\n"
    "<td width=240><b>Conduit Name</b></td>\r\n"
    "<td width=*><b>Detail Information</b></td></tr>\r\n";

const char kRow1[] =
    "<tr bgcolor=#FFFFFF height=18 colspan=2 align=left style=\"padding-left:12; "
    "padding-right:12; padding-top:8; padding-bottom:8\">\r\n";
const char kRow2[] = "<td>%s</td>\r\n";
const char kRow3[] = "<td><font color=0000FF>File Name</font>: %s<br><br>\r\n";
const char kRow4[] = "<font color=0000FF>File Version</font>: %s<br><br>\r\n";
const char kRow5[] = "<b><font color=0000FF>%s</font>: %s</b></td></tr>\r\n";

const char kTail[] = "</table><br></body>\r\n</html>\r\n";

std::string ActionWords(int nAction) {
  switch (nAction) {
    case 1: return "Installed Successfully";
    case 2: return "Uninstalled Successfully";
    case 3: return "Restored Successfully";
    default: return "Unknown Action (" + std::to_string(nAction) + ")";
  }
}

KestrinLog::WriteGate& Gate() {
  static KestrinLog::WriteGate gate;
  return gate;
}

bool Pass() { return !Gate() || Gate()(); }

bool ProgramFile(const char* szName, std::string* pPath) {
  char szFolder[MAX_PATH];
  if (!GetProgramFolder(nullptr, szFolder)) return false;
  *pPath = std::string(szFolder) + szName;
  return true;
}

}  // namespace

KestrinLog::WriteGate KestrinLog::SetWriteGate(WriteGate gate) {
  WriteGate old = std::move(Gate());
  Gate() = std::move(gate);
  return old;
}

bool KestrinLog::AddEntry(const LogEntry& entryIn) {
  // A caller's field without its terminator is cut, never read past.
  LogEntry entry = entryIn;
  kx::TerminateField(entry.szFile);
  kx::TerminateField(entry.szName);
  kx::TerminateField(entry.szVersion);

  std::string path;
  if (!ProgramFile(kDataFile, &path)) return false;
  auto writeInt = [this](int n) { return Pass() && m_File.WriteInt(n); };
  auto writeString = [this](const char* sz) { return Pass() && m_File.WriteString(sz); };

  int nCount = 0;
  bool bNew = false;
  const bool bOpened = m_File.Open(path.c_str(), "r+b");
  // A history that is there but cannot be opened for update is left alone, never replaced.
  if (!bOpened && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
  if (!bOpened || fseek(m_File.m_fp, 0, SEEK_SET) != 0 || !m_File.ReadInt(&nCount)) {
    // No history yet, or one too short to hold its count: start it afresh.
    m_File.Close();
    if (!m_File.Open(path.c_str(), "wb")) return false;
    bNew = true;
    nCount = 0;
    if (!writeInt(0)) {
      m_File.Close();
      remove(path.c_str());
      return false;
    }
  }
  if (nCount < 0) nCount = 0;

  FILE* fp = m_File.m_fp;
  long nOldSize = -1;
  if (fseek(fp, 0, SEEK_END) == 0) nOldSize = ftell(fp);

  // The entry first and the count after it, so a count never promises a missing entry.
  bool bOk = nOldSize >= 0 && nCount < INT_MAX && writeString(entry.szFile) &&
             writeString(entry.szName) && writeString(entry.szVersion) && writeInt(entry.tTime) &&
             writeInt(entry.nAction) && fflush(fp) == 0;
  bOk = bOk && fseek(fp, 0, SEEK_SET) == 0 && writeInt(nCount + 1) && fflush(fp) == 0;

  if (!bOk) {
    // Leave no part of the entry behind, so the earlier entries stay readable.
    fflush(fp);
    if (nOldSize >= 0) _chsize(_fileno(fp), bNew ? 0 : nOldSize);
    m_File.Close();
    if (bNew) remove(path.c_str());
    return false;
  }
  return m_File.Close();
}

bool KestrinLog::ReadEntry(LogEntry* pEntry) {
  if (!pEntry) return false;
  return m_File.ReadString(pEntry->szFile, sizeof pEntry->szFile) &&
         m_File.ReadString(pEntry->szName, sizeof pEntry->szName) &&
         m_File.ReadString(pEntry->szVersion, sizeof pEntry->szVersion) &&
         m_File.ReadInt(&pEntry->tTime) && m_File.ReadInt(&pEntry->nAction);
}

bool KestrinLog::ShowHistory() {
  std::string dataPath, pagePath;
  if (!ProgramFile(kDataFile, &dataPath) || !ProgramFile(kPageFile, &pagePath) ||
      !m_File.Open(dataPath.c_str(), "rb")) {
    kui::ShowMessage(nullptr, "No conduit log data found.", "Error", MB_ICONINFORMATION, MB_OK);
    return false;
  }

  kx::UniqueStdFile page(fopen(pagePath.c_str(), "wb"));
  if (!page) {
    m_File.Close();
    const std::string text = "Could not create the file \"" + pagePath + "\".";
    kui::ShowMessage(nullptr, text.c_str(), "Error", MB_ICONERROR, MB_OK);
    return false;
  }

  std::string html = kHead1;
  html += kHead2;
  html += kx::HtmlFill(kHead3, {kx::HtmlTimeStamp(kx::Now())});
  html += kHead4;
  html += kHead5;

  // The count bounds the walk, and so does the end of the file: a damaged history shows the
  // entries that are whole.
  int nCount = 0;
  if (!m_File.ReadInt(&nCount)) nCount = 0;
  for (int i = 0; i < nCount; ++i) {
    LogEntry entry;
    memset(&entry, 0, sizeof entry);
    if (!ReadEntry(&entry)) break;
    if (entry.nAction == 0) continue;
    html += kRow1;
    html += kx::HtmlFill(kRow2, {kx::HtmlEscape(entry.szName)});
    html += kx::HtmlFill(kRow3, {kx::HtmlEscape(entry.szFile)});
    html += kx::HtmlFill(kRow4, {kx::HtmlEscape(entry.szVersion)});
    html += kx::HtmlFill(kRow5, {kx::HtmlTimeStamp(static_cast<time_t>(entry.tTime)),
                                 ActionWords(entry.nAction)});
  }
  m_File.Close();

  html += kTail;
  const bool bWritten = fwrite(html.data(), 1, html.size(), page.get()) == html.size();
  const bool bClosed = fclose(page.release()) == 0;
  if (!bWritten || !bClosed) {
    const std::string text = "Could not write the file \"" + pagePath + "\".";
    kui::ShowMessage(nullptr, text.c_str(), "Error", MB_ICONERROR, MB_OK);
    return false;
  }

  ShellOpen(pagePath.c_str());
  return true;
}

void KestrinLog::FillEntry(LogEntry& entry, const char* szFile, const char* szName, int nAction) {
  memset(&entry, 0, sizeof entry);
  kx::CopyText(entry.szFile, szFile);
  kx::CopyText(entry.szName, szName);
  int nMajor, nMinor, nRelease, nBuild;
  GetFileVersion(szFile, &nMajor, &nMinor, &nRelease, &nBuild);
  FormatFileVersion(entry.szVersion, sizeof entry.szVersion, nMajor, nMinor, nRelease, nBuild);
  // The stored time is 32 bits wide.
  entry.tTime = static_cast<int>(kx::Now());
  entry.nAction = nAction;
}
