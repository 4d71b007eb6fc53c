#pragma once
// The main window: start-up, the two conduit tables, the commands and the orderly end.

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <vector>

#include "core/ConduitCheck.h"
#include "core/ConduitOps.h"
#include "core/KestrinLog.h"
#include "core/Settings.h"
#include "format/CondInfo.h"
#include "InitForm.h"
#include "Skin.h"
#include "ui/GdiHandle.h"
#include "ui/Modal.h"
#include "ui/RowTips.h"
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
  IDM_REPORT, IDM_LOG, IDM_OPTIONS, IDM_CONTENT, IDM_HOMEPAGE, IDM_ABOUT, IDM_CHECK,
  IDM_CTX_PROPS = 300, IDM_CTX_UNINST, IDM_CTX_RESTORE, IDM_CTX_SYSPROPS, IDM_CTX_FOLDER,
};

class TfmMain : public kui::Window, private ConduitView {
 public:
  TfmMain();
  ~TfmMain() override;

  // Creates the window (hidden) and its controls, then runs FormCreate. False after the fatal
  // start (the message was shown; nothing else ran, nothing will be written).
  bool Create();
  const char* HelpTopic() const override { return "main-window"; }
  // Shows the window; the message loop follows.
  void Show(int showCmd);
  // Asks FormCloseQuery; on Yes the window is destroyed (FormDestroy).
  void Close();

  // Start-up and end.
  bool FormCreate();
  bool FormCloseQuery();
  void FormDestroy();
  // The last run ended while a conduit library was loading (the marker names it): asks whether
  // to start without that library, which then goes on the skip list. Clears the marker.
  void CheckInterruptedLoad();

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
  void UpdateAppButtons() override;
  void UpdateSysButtons();
  void LoadRemovedList();
  bool SaveRemovedList();
  void ReportUnsavedStore();
  void ClearRemovedList();
  void slvAppChange(const NMLISTVIEW& nm);
  void slvSysChange(const NMLISTVIEW& nm);
  // Keys a table gets (Delete, Enter, Ctrl+A); its context menu at a screen point, or at the
  // focused row for (-1, -1); a click on its column header.
  void slvKeyDown(HWND slv, WORD key);
  void slvContextMenu(HWND slv, POINT screen);
  void slvColumnClick(HWND slv, int column);
  // Files dropped from Explorer, each the Install command's way after its file dialog.
  void FormDropFiles(HDROP drop);
  // The message loop's step before the dialog manager: F5 and the context-menu keys.
  bool PreTranslateMessage(const MSG& msg);

  // Install, uninstall, restore and the settings update, as ConduitOps does them (which also
  // says who owns the records and their module objects).
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
  void miCheckConduitsClick();

  // Backup sets, by file name in the program folder.
  void BackupSettings(const char* szFile);
  void RestoreSettings(const char* szFile);

  // The font the application table shows now (what SaveSettings captures).
  TableFont CurrentTableFont() const;
  unsigned LoadCount() const { return m_nLoadCount; }
  // Why a row's conduit would not work, or what HotSync does with it: the row's tip.
  std::string RowDiagnosis(HWND slv, int row);
  const kui::RowTips& TableTips(HWND slv) const { return slv == slvSys ? m_tipsSys : m_tipsApp; }

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
  static CondInfo* RowInfo(HWND slv, int item);
  void AddRow(HWND slv, const CondRow& row, CondInfo* info);
  void SetRowImage(HWND slv, int row, int image);

  // The application table and the messages, for the conduit operations.
  int AppRowCount() const override;
  CondInfo* AppRowRecord(int row) const override;
  void AddAppRow(const CondRow& row, CondInfo* info) override;
  void DeleteAppRow(int row) override;
  void SetAppRowImage(int row, int image) override;
  std::vector<CondInfo*> SelectedAppRecords() const override;
  bool Tell(MessageKind kind, const std::string& text, const char* caption) override;
  void ShowNewConduitProperties(CondInfo* info) override;
  void ShowCondProp(CondInfo* info, bool system, bool newConduit);
  void SetUpTableInput();
  void SortTable(HWND slv);
  void ClearSort(HWND slv);
  // A second start asked for this copy: it, or its splash while loading, comes to the front.
  void BringToFront();

  char m_szIniFile[260] = {};
  bool m_bFatal = false;
  bool m_bStarted = false;  // FormCreate got past the Palm Desktop look-up
  bool m_bSettingsLoaded = false;  // before LoadSettings the settings are zeros, not the user's
  bool m_bFilling = false;  // rows may point at released records while a table is refilled
  HWND m_hwndLastFocus = nullptr;  // the control that had the focus when the window went inactive
  unsigned m_nLoadCount = 0;
  std::unique_ptr<ConduitOps> m_pOps;  // from FormCreate on, over the lists above
  std::unique_ptr<ConduitCheck> m_pCheck;  // likewise; its answers last until the tables change
  kui::RowTips m_tipsApp, m_tipsSys;
  kx::UniqueFont m_fontForm, m_fontLink, m_fontApp, m_fontSys;
  kx::UniqueGdiObject m_bmpBanner;
  TableFont m_tfApp{}, m_tfSys{};
  struct SortState {
    int column = -1;  // none: catalogue order
    bool ascending = true;
  };
  SortState m_sortApp, m_sortSys;
};

extern TfmMain* fmMain;

// The program: creates fmMain and runs the message loop until it closes. Returns 0.
int RunKestrin(int showCmd);

// For a second start: brings the running copy of this program folder (its main window, or the
// splash while it loads) to the front. False when no copy answered.
bool ActivateRunningCopy(const char* folder);
