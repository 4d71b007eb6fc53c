#pragma once
// The check of every conduit: a row's diagnosis when a tip asks for it, kept until the next
// Refresh, and the page condcheck.html, which serves those who cannot rest a mouse on a row.
// No window needed.

#include <string>
#include <vector>

#include "ConduitDiagnosis.h"

class CCondMgr;
class CxList;
struct CondInfo;

// The page's file name in the program folder.
extern const char kConduitCheckFile[];

struct CheckSummary {
  std::string palmFolder;
  std::string condMgrVersion;  // the file version of condmgr.dll, from its version record
  bool hotSync = false;        // hotsync.exe is in the Palm Desktop folder
  int registered = 0;          // records of the application catalogue
  int system = 0;
  int removed = 0;             // in the removed list and not registered again
  int inTrouble = 0;
};

class ConduitCheck {
 public:
  // The catalogues and the removed list the tables show; they stay the callers'.
  ConduitCheck(CCondMgr& app, CCondMgr& sys, CxList& removed);
  ConduitCheck(const ConduitCheck&) = delete;
  ConduitCheck& operator=(const ConduitCheck&) = delete;

  // A record of the application table (a removed one when the removed list holds it) or of
  // the system table. Diagnosed once until Clear.
  const Diagnosis& Diagnose(const CondInfo& info, Catalogue catalogue);
  // Forgets every answer; Refresh calls it, as the files and registrations may have changed.
  void Clear();

  CheckSummary Summarize();
  // Writes the page to path, replacing an earlier one only once the new one is complete.
  bool WritePage(const char* path);

 private:
  struct Row {
    const CondInfo* info;
    Catalogue catalogue;
  };
  // The rows as the tables show them.
  std::vector<Row> Rows();
  CheckSummary Summarize(const std::vector<Row>& rows);
  bool IsRemovedRecord(const CondInfo& info) const;
  const std::string& PalmFolder();

  CCondMgr& m_app;
  CCondMgr& m_sys;
  CxList& m_removed;
  DiagnosisCache m_cache;
  std::string m_palmFolder;
  bool m_palmFolderRead = false;
};

// The page's path in the program folder; false when the folder is unknown.
bool ConduitCheckPath(std::string* pPath);
