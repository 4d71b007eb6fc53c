#include "Pages.h"

#include <windows.h>

#include <string>

#include "core/ConduitCheck.h"
#include "core/ConduitReport.h"
#include "core/KestrinLog.h"
#include "misc/WinUtil.h"
#include "ui/MsgBox.h"

bool ShowConduitReport(CCondMgr& app, CCondMgr& sys) {
  std::string path;
  if (!ConduitReportPath(&path) || !WriteConduitReport(path.c_str(), app, sys)) return false;
  ShellOpen(path.c_str());
  return true;
}

bool ShowHistory(KestrinLog& log) {
  std::string page;
  switch (log.WritePage(&page)) {
    case KestrinLog::Page::Written:
      ShellOpen(page.c_str());
      return true;
    case KestrinLog::Page::NoHistory:
      kui::ShowMessage(nullptr, "No conduit log data found.", "Error", MB_ICONINFORMATION, MB_OK);
      return false;
    case KestrinLog::Page::NotCreated:
      kui::ShowMessage(nullptr, ("Could not create the file \"" + page + "\".").c_str(), "Error",
                       MB_ICONERROR, MB_OK);
      return false;
    case KestrinLog::Page::NotWritten:
      break;
  }
  kui::ShowMessage(nullptr, ("Could not write the file \"" + page + "\".").c_str(), "Error",
                   MB_ICONERROR, MB_OK);
  return false;
}

bool ShowConduitCheck(ConduitCheck& check) {
  std::string path;
  if (ConduitCheckPath(&path) && check.WritePage(path.c_str())) {
    ShellOpen(path.c_str());
    return true;
  }
  kui::ShowMessage(nullptr, ("Could not write the file \"" + path + "\".").c_str(), "Error",
                   MB_ICONERROR, MB_OK);
  return false;
}
