#include "ConduitCheck.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "ConduitReport.h"
#include "FileNames.h"
#include "format/CxList.h"
#include "format/KxClock.h"
#include "format/KxFileExists.h"
#include "format/KxHtml.h"
#include "format/KxSafeFile.h"
#include "misc/WinUtil.h"
#include "palm/CondMgr.h"
#include "palm/PalmLibs.h"

const char kConduitCheckFile[] = "condcheck.html";

namespace {

const char kHead1[] = "<html><head><title>Conduit Check</title></head>\r\n\r\n";
const char kHead3[] =
    "<font size=3 color=#000080><b>Conduit Check</b> </font><font size=1><i>(%s)</i></font>"
    "<br><br>\r\n";
const char kSection[] = "<font size=2 color=#000080><b>%s</b></font><br><br>\r\n";
const char kTableEnd[] = "</table><br>\r\n";
const char kNoProblems[] = "No problems found.<br><br>\r\n";

const char kSummaryItem[] = "<td width=240>%s</td>\r\n<td width=*>%s</td></tr>\r\n";

const char kCause[] = "<font color=0000FF>%s</font>: %s</td></tr>\r\n";

void AddRow(std::string& html, const CondInfo& info, Catalogue catalogue, const Diagnosis& d) {
  AddConduitCells(html, info, catalogue == Catalogue::System);
  kx::HtmlFillEscapedTo(html, kCause, {CauseTitle(d.cause), d.text.c_str()});
}

void AddSummaryItem(std::string& html, const char* label, const std::string& value) {
  html += kx::kHtmlWhiteRow;
  kx::HtmlFillEscapedTo(html, kSummaryItem, {label, value.c_str()});
}

}  // namespace

ConduitCheck::ConduitCheck(CCondMgr& app, CCondMgr& sys, CxList& removed)
    : m_app(app), m_sys(sys), m_removed(removed) {}

void ConduitCheck::Clear() {
  m_cache.Clear();
  m_palmFolderRead = false;
}

const std::string& ConduitCheck::PalmFolder() {
  if (!m_palmFolderRead) {
    char sz[MAX_PATH] = {};
    m_palmFolder = GetPalmDesktopPath(sz, sizeof sz) == 0 ? sz : "";
    m_palmFolderRead = true;
  }
  return m_palmFolder;
}

bool ConduitCheck::IsRemovedRecord(const CondInfo& info) const {
  for (uint32_t i = 0; i < m_removed.GetCount(); ++i)
    if (m_removed.GetAt(i) == &info) return true;
  return false;
}

const Diagnosis& ConduitCheck::Diagnose(const CondInfo& info, Catalogue catalogue) {
  DiagnosisContext ctx;
  ctx.catalogue = catalogue;
  ctx.application = &m_app;
  ctx.removed = catalogue == Catalogue::Application && IsRemovedRecord(info);
  ctx.palmFolder = PalmFolder();
  return m_cache.Get(info, ctx);
}

// The application catalogue, the removed records not registered again, the system catalogue.
// Collected first, as a diagnosis may look up records and so move the catalogues' cursors.
std::vector<ConduitCheck::Row> ConduitCheck::Rows() {
  std::vector<Row> rows;
  for (const CondInfo* p = m_app.GetFirst(); p; p = m_app.GetNext())
    rows.push_back({p, Catalogue::Application});
  std::vector<CondInfo*> listed;
  for (auto* p = static_cast<CondInfo*>(m_removed.GetFirst()); p;
       p = static_cast<CondInfo*>(m_removed.GetNext()))
    listed.push_back(p);
  for (CondInfo* p : listed)
    if (!m_app.Find(p->szCreatorID, p->szConduit)) rows.push_back({p, Catalogue::Application});
  for (const CondInfo* p = m_sys.GetFirst(); p; p = m_sys.GetNext())
    rows.push_back({p, Catalogue::System});
  return rows;
}

CheckSummary ConduitCheck::Summarize() { return Summarize(Rows()); }

CheckSummary ConduitCheck::Summarize(const std::vector<Row>& rows) {
  CheckSummary s;
  s.palmFolder = PalmFolder();
  std::string folder = s.palmFolder;
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
  int major = 0, minor = 0, release = 0, build = 0;
  GetFileVersion((folder + "condmgr.dll").c_str(), &major, &minor, &release, &build);
  char sz[64];
  s.condMgrVersion = FormatFileVersion(sz, sizeof sz, major, minor, release, build);
  s.hotSync = !folder.empty() && kx::FileExists((folder + "hotsync.exe").c_str());

  for (const Row& row : rows) {
    const Diagnosis& d = Diagnose(*row.info, row.catalogue);
    if (row.catalogue == Catalogue::System) {
      ++s.system;
    } else if (d.cause == Cause::Removed) {
      ++s.removed;
    } else {
      ++s.registered;
    }
    if (d.IsProblem()) ++s.inTrouble;
  }
  return s;
}

bool ConduitCheck::WritePage(const char* path) {
  const std::vector<Row> rows = Rows();
  const CheckSummary s = Summarize(rows);
  kx::SafeFile file;
  if (!file.Open(path)) return false;

  std::string html = kHead1;
  html += kx::kHtmlBody;
  // The report keeps the runtime's line feed inside its stamp; this page has CR LF only.
  std::string stamp = kx::HtmlTimeStamp(kx::Now());
  if (!stamp.empty() && stamp.back() == '\n') stamp.pop_back();
  html += kx::HtmlFill(kHead3, {stamp});
  html += kx::kHtmlTable;
  AddSummaryItem(html, "Palm Desktop folder", s.palmFolder.empty() ? "(not found)" : s.palmFolder);
  AddSummaryItem(html, "Conduit Manager (condmgr.dll) version", s.condMgrVersion);
  AddSummaryItem(html, "HotSync Manager (hotsync.exe)",
                 s.hotSync ? "in the Palm Desktop folder" : "not in the Palm Desktop folder");
  AddSummaryItem(html, "Application conduits registered", std::to_string(s.registered));
  AddSummaryItem(html, "System conduits", std::to_string(s.system));
  AddSummaryItem(html, "Conduits uninstalled by Kestrin", std::to_string(s.removed));
  AddSummaryItem(html, "Conduits in trouble", std::to_string(s.inTrouble));
  html += kTableEnd;

  // Trouble first: that is what the user came for.
  for (const bool trouble : {true, false}) {
    html += kx::HtmlFill(kSection, {trouble ? "Conduits in trouble" : "Conduits in order"});
    if (trouble && s.inTrouble == 0) {
      html += kNoProblems;
      continue;
    }
    html += kx::kHtmlTable;
    html += kx::kHtmlHeaderRow;
    for (const Row& row : rows) {
      const Diagnosis& d = Diagnose(*row.info, row.catalogue);
      if (d.IsProblem() == trouble) AddRow(html, *row.info, row.catalogue, d);
    }
    html += trouble ? kTableEnd : kx::kHtmlTail;
  }
  return file.Write(html.data(), html.size()) && file.Commit();
}

bool ConduitCheckPath(std::string* pPath) { return ProgramFilePath(kConduitCheckFile, pPath); }
