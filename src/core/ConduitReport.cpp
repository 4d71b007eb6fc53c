#include "ConduitReport.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "FileNames.h"
#include "format/KxClock.h"
#include "format/KxHtml.h"
#include "format/KxSafeFile.h"
#include "misc/WinUtil.h"
#include "palm/CondMgr.h"
#include "palm/LibraryPath.h"

const char kConduitReportFile[] = "condrpt.html";

namespace {

const char kHead1[] = "<html><head><title>Conduit Information Report</title></head>\r\n\r\n";
const char kHead3[] =
    "<font size=3 color=#000080><b>Conduit Information</b> </font><font size=1><i>(%s)</i></font>"
    "<br><br>\r\n";

const char kName[] = "<td>%s</td>\r\n";
const char kCreator[] = "<td><font color=0000FF>Creator ID</font>: %s<br><br>\r\n";
const char kSysCreator[] = "<td><font color=0000FF>Creator ID</font>: 0x%x<br><br>\r\n";
const char kPath[] = "<font color=0000FF>File Name</font>: %s<br><br>\r\n";
const char kVersion[] = "<font color=0000FF>File Version</font>: %s</td></tr>\r\n";


std::string Version(const char* pszPath) {
  int nMajor, nMinor, nRelease, nBuild;
  char szFull[MAX_PATH];
  // zeros when it has none
  GetFileVersion(LibraryFilePath(pszPath, szFull), &nMajor, &nMinor, &nRelease, &nBuild);
  char sz[64];
  return FormatFileVersion(sz, sizeof sz, nMajor, nMinor, nRelease, nBuild);
}

void AddRow(std::string& html, const CondInfo& info, bool bSystem) {
  AddConduitCells(html, info, bSystem);
  html += kx::HtmlFill(kVersion, {Version(info.szConduit)});
}

}  // namespace

void AddConduitCells(std::string& html, const CondInfo& info, bool bSystem) {
  html += bSystem ? kx::kHtmlGreyRow : kx::kHtmlWhiteRow;
  kx::HtmlFillEscapedTo(html, kName, {info.szName});
  if (bSystem) {
    char sz[sizeof kSysCreator + 16];
    snprintf(sz, sizeof sz, kSysCreator, static_cast<unsigned>(info.dwCreatorID));
    html += sz;
  } else {
    kx::HtmlFillEscapedTo(html, kCreator, {info.szCreatorID});
  }
  kx::HtmlFillEscapedTo(html, kPath, {info.szConduit});
}

bool WriteConduitReport(const char* path, CCondMgr& app, CCondMgr& sys) {
  LibrarySearchScope search;  // every row's version read resolves its library
  kx::SafeFile file;
  if (!file.Open(path)) return false;

  std::string html = kHead1;
  html += kx::kHtmlBody;
  html += kx::HtmlFill(kHead3, {kx::HtmlTimeStamp(kx::Now())});
  html += kx::kHtmlTable;
  html += kx::kHtmlHeaderRow;
  for (const CondInfo* p = app.GetFirst(); p; p = app.GetNext()) AddRow(html, *p, false);
  for (const CondInfo* p = sys.GetFirst(); p; p = sys.GetNext()) AddRow(html, *p, true);
  html += kx::kHtmlTail;

  return file.Write(html.data(), html.size()) && file.Commit();
}

bool ConduitReportPath(std::string* pPath) { return ProgramFilePath(kConduitReportFile, pPath); }
