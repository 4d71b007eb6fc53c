#pragma once
// The main window: start-up, the two conduit tables, the commands and the orderly end.

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <vector>

#include "core/KestrinLog.h"
#include "core/Settings.h"
#include "format/CondInfo.h"
#include "InitForm.h"
#include "Skin.h"
#include "ui/GdiHandle.h"
#include "ui/Modal.h"
#include "ui/ThemeManager.h"
#include "ui/Window.h"

class CCondMgr;
class CxList;

// The product's web site; every page the program opens is this host and a path.
extern const char kWebHost[];

// Control and menu command identifiers.
enum : int {
  IDC_LBL_WEB = 100,
  IDC_SBTN_HELP, IDC_SBTN_EXIT,
  IDC_GB_APP, IDC_SLV_APP, IDC_SBTN_INSTALL, IDC_SBTN_UNINST, IDC_SBTN_RESTORE, IDC_SBTN_APPPROP,
  IDC_GB_SYS, IDC_SLV_SYS, IDC_SBTN_SYSPROP,
  IDC_SBTN_BACKUP, IDC_SBTN_RESTORECOND, IDC_SBTN_SKIN, IDC_SBTN_REFRESH, IDC_SBTN_CLOSE,
  IDC_SBTN_REPORT, IDC_SBTN_HOTSYNC, IDC_SBTN_CUSTOM, IDC_SBTN_LOG,
  IDC_PNL_TOP, IDC_PNL_BOTTOM, IDC_IMG_BANNER,
  IDM_BACKUP = 200, IDM_RESTORE, IDM_EXIT, IDM_REFRESH, IDM_RUNHOTSYNC, IDM_CUSTOMIZE,
  IDM_REPORT, IDM_LOG, IDM_OPTIONS, IDM_CONTENT, IDM_HOMEPAGE, IDM_ABOUT,
};

class TfmMain : public kui::Window {
 public:
  TfmMain();
  ~TfmMain() override;

  // Creates the window (hidden) and its controls, then runs FormCreate. False after the fatal
  // start (the message was shown; nothing else ran, nothing will be written).
  bool Create();
  // Shows the window; the message loop follows.
  void Show(int showCmd);
  // Asks FormCloseQuery; on Yes the window is destroyed (FormDestroy).
  void Close();

  // Start-up and end.
  bool FormCreate();
  bool FormCloseQuery();
  void FormDestroy();

  void LoadConduitInfo();
  // Settings file.
  void LoadSettings();
  void SaveSettings();
  BakSetEntry* GetFirstBakSet();
  BakSetEntry* GetNextBakSet();
  BakSetEntry* AddBakSet(const BakSetEntry* entry);
  unsigned GetBakSetCount() const;
  void ClearBakSets();

  // Conduit tables.
  void FillAppList();
  void FillSysList();
  void UpdateAppButtons();
  void UpdateSysButtons();
  void LoadRemovedList();
  // False when KestrinRes.dat could not be written; the failure is noted for ReportUnsavedStore.
  bool SaveRemovedList();
  // Says once, at the end of a command, that the removed-conduit store was not written.
  void ReportUnsavedStore();
  void ClearRemovedList();
  void slvAppChange(const NMLISTVIEW& nm);
  void slvSysChange(const NMLISTVIEW& nm);

  // Install, uninstall, restore and the settings update. Each operation works on one record;
  // `quiet` shows none of its own messages and answers a conflict question Yes.
  //
  // Who owns the record of the Install command and its module object:
  //  - InstallConduitFile owns the new record and its module object until InstallConduit adds
  //    the record to m_pAppCondMgr, which then owns both (its Clear releases them).
  //  - After a cancel or a failed install the command deletes the record and releases the object.
  //  - An install that went the restore way copied the record, module-object handle included,
  //    over the record of the conduit's row. The command deletes its own record, but the object
  //    goes to m_keptCondObjs while any listed record refers to it; the same list takes the
  //    object a catalogue record referred to before a restore copied another one over it.
  //    The list is released at the next catalogue reload and at the orderly end, when the rows
  //    that could refer to those objects are gone. Releasing a handle twice does nothing, so
  //    the catalogue's Clear and this list never conflict.
  void InstallConduitFile();
  void UninstallSelected();
  void RestoreSelected();
  bool InstallConduit(CondInfo* pInfo, bool quiet);
  bool UninstallConduit(CondInfo* pInfo, bool quiet);
  bool RestoreConduit(CondInfo* pInfo, bool quiet);
  // False for no record, or when the Conduit Manager refused a setting (the record keeps them).
  bool UpdateConduitSettings(CondInfo* pInfo);

  // Commands.
  void sbtnRefreshClick();
  void sbtnExitClick();
  void sbtnCloseClick();
  void lblWebClick();
  void sbtnInstallClick();
  void sbtnUninstClick();
  void sbtnRestoreClick();
  void sbtnAppPropClick();
  void sbtnSysPropClick();
  void sbtnReportClick();
  void sbtnLogClick();
  void sbtnBackupClick();
  void sbtnRestoreCondClick();
  void sbtnSkinClick();
  void sbtnHelpClick();
  void sbtnHotSyncClick();
  void sbtnCustomClick();
  void miHelpWebClick();
  void miHelpAboutClick();

  // Backup sets, by file name in the program folder. Both tell the user how it went; a set
  // file that cannot be written or opened is an error naming it.
  void BackupSettings(const char* szFile);
  void RestoreSettings(const char* szFile);

  // The font the application table shows now (what SaveSettings captures).
  TableFont CurrentTableFont() const;
  unsigned LoadCount() const { return m_nLoadCount; }

  // Members, in the documented order.
  CCondMgr* m_pAppCondMgr = nullptr;
  CCondMgr* m_pSysCondMgr = nullptr;
  CxList* m_pRemovedList = nullptr;
  KestrinLog m_Log;
  char m_szResFile[260] = {};
  CxList* m_pBakSetList = nullptr;
  AppSettings m_Settings{};

  // Controls.
  HWND pnlTop = nullptr, imgBanner = nullptr, lblWeb = nullptr, sbtnHelp = nullptr,
       sbtnExit = nullptr;
  HWND gbApp = nullptr, slvApp = nullptr, sbtnInstall = nullptr, sbtnUninst = nullptr,
       sbtnRestore = nullptr, sbtnAppProp = nullptr;
  HWND gbSys = nullptr, slvSys = nullptr, sbtnSysProp = nullptr;
  HWND pnlBottom = nullptr, sbtnBackup = nullptr, sbtnRestoreCond = nullptr, sbtnSkin = nullptr,
       sbtnRefresh = nullptr, sbtnClose = nullptr, sbtnReport = nullptr, sbtnHotSync = nullptr,
       sbtnCustom = nullptr, sbtnLog = nullptr;
  HMENU mnuMain = nullptr;
  kx::UniqueImageList ilCond;
  kui::ThemeManager tmMain;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void CreateControls();
  void CreateMenu();
  void OnCommand(int id, int code, HWND ctl);
  LRESULT OnNotify(NMHDR* nm);
  void ApplyTableFont(HWND slv, const TableFont& font, kx::UniqueFont& owner);
  HWND MakeButton(const char* caption, int id, int x, int y, bool visible = true);
  void AddRow(HWND slv, const struct CondRow& row, CondInfo* info);
  int FindAppRow(const CondInfo* info) const;
  void SetRowImage(HWND slv, int row, int image);
  std::vector<CondInfo*> SelectedAppRecords() const;
  // The conflict step of install and restore: true when nothing (any more) stands in the way.
  bool ClearConflict(const CondInfo& info, bool otherPathOnly, bool quiet);
  void AddHistory(const CondInfo& info, int nAction);
  bool CatalogueHolds(const CondInfo* info);
  bool IsCondObjReferenced(CondObjHandle h);
  void ReleaseKeptCondObjs();
  void ShowCondProp(CondInfo* info, bool system, bool newConduit);

  char m_szIniFile[260] = {};
  bool m_bFatal = false;
  bool m_bStarted = false;  // FormCreate got past the Palm Desktop look-up
  bool m_bFilling = false;  // rows may point at released records while a table is refilled
  bool m_bStoreUnsaved = false;  // a save of KestrinRes.dat failed since the last report
  HWND m_hwndLastFocus = nullptr;  // the control that had the focus when the window went inactive
  unsigned m_nLoadCount = 0;
  std::vector<CondObjHandle> m_keptCondObjs;
  kx::UniqueFont m_fontForm, m_fontLink, m_fontApp, m_fontSys;
  kx::UniqueGdiObject m_bmpBanner;
  TableFont m_tfApp{}, m_tfSys{};
};

extern TfmMain* fmMain;

// The program: creates fmMain and runs the message loop until it closes. Returns 0.
int RunKestrin(int showCmd);
