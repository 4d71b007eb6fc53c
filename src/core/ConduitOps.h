#pragma once
// The conduit operations of the main window, without the window: install, uninstall, restore,
// the settings update, the probe of a picked library and the backup sets. They work on the
// catalogue and the removed list the main window owns; every question, message and row change
// goes through a ConduitView at the step where the operation makes it, so a test can watch the
// order without a window.

#include <string>
#include <vector>

#include "ListRows.h"
#include "format/CondInfo.h"

class CCondMgr;
class CxList;
class KestrinLog;

enum class MessageKind { Information, Error, Question };

// What the operations need of the application table and the user.
class ConduitView {
 public:
  // Rows in the order shown; each row refers to a record (or to none).
  virtual int AppRowCount() const = 0;
  virtual CondInfo* AppRowRecord(int row) const = 0;
  virtual void AddAppRow(const CondRow& row, CondInfo* info) = 0;
  virtual void DeleteAppRow(int row) = 0;
  virtual void SetAppRowImage(int row, int image) = 0;
  // The records of the selected rows, in the order shown.
  virtual std::vector<CondInfo*> SelectedAppRecords() const = 0;
  virtual void UpdateAppButtons() = 0;
  // Tells the user; a question has the buttons Yes and No and answers true for Yes.
  virtual bool Tell(MessageKind kind, const std::string& text, const char* caption) = 0;
  // The properties dialog of a picked library, in new-conduit mode; returns once it closed.
  virtual void ShowNewConduitProperties(CondInfo* info) = 0;

 protected:
  ~ConduitView() = default;
};

class ConduitOps {
 public:
  // `resFile` is the path of KestrinRes.dat; every argument outlives the object.
  ConduitOps(CCondMgr& app, CxList& removed, KestrinLog& log, const char* resFile,
             ConduitView& view);
  ~ConduitOps();
  ConduitOps(const ConduitOps&) = delete;
  ConduitOps& operator=(const ConduitOps&) = delete;

  // Each operation works on one record; `quiet` shows none of its own messages and answers a
  // conflict question Yes.
  //
  // Who owns the record of the Install command and its module object:
  //  - InstallConduitFile owns the new record and its module object until InstallConduit adds
  //    the record to the catalogue, which then owns both (its Clear releases them).
  //  - After a cancel or a failed install the command deletes the record and releases the object.
  //  - An install that went the restore way copied the record, module-object handle included,
  //    over the record of the conduit's row. The command deletes its own record, but the object
  //    is kept while any listed record refers to it; the same list takes the object a catalogue
  //    record referred to before a restore copied another one over it. ReleaseKeptCondObjs lets
  //    them go at the next catalogue reload and at the orderly end, when the rows that could
  //    refer to them are gone. Releasing a handle twice does nothing, so the catalogue's Clear
  //    and this list never conflict.
  bool InstallConduit(CondInfo* pInfo, bool quiet);
  bool UninstallConduit(CondInfo* pInfo, bool quiet);
  bool RestoreConduit(CondInfo* pInfo, bool quiet);
  // False for no record, or when the Conduit Manager refused a setting (the record keeps them).
  bool UpdateConduitSettings(CondInfo* pInfo);

  // The Install command after its file dialog: the conduit check, then the properties dialog.
  void InstallConduitFile(const char* path);
  // The UnInstall and Restore commands over the selected rows.
  void UninstallSelected();
  void RestoreSelected();

  // Backup sets, by file name in the program folder. Both tell the user how it went; a set
  // file that cannot be written or opened is an error naming it.
  void BackupSettings(const char* szFile);
  void RestoreSettings(const char* szFile);

  // False when KestrinRes.dat could not be written; the failure is noted for ReportUnsavedStore.
  bool SaveRemovedList();
  // Says once, at the end of a command, that the removed-conduit store was not written.
  void ReportUnsavedStore();
  void ReleaseKeptCondObjs();

 private:
  // The conflict step of install and restore: true when nothing (any more) stands in the way.
  bool ClearConflict(const CondInfo& info, bool otherPathOnly, bool quiet);
  void AddHistory(const CondInfo& info, int nAction);
  int FindAppRow(const CondInfo* info) const;
  bool CatalogueHolds(const CondInfo* info);
  bool IsCondObjReferenced(CondObjHandle h);

  CCondMgr& m_app;
  CxList& m_removed;
  KestrinLog& m_log;
  const char* m_resFile;
  ConduitView& m_view;
  bool m_bStoreUnsaved = false;  // a save of KestrinRes.dat failed since the last report
  std::vector<CondObjHandle> m_keptCondObjs;
};
