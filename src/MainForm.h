#pragma once
// The main window: start-up, the two conduit tables, the commands and the orderly end.

#include <windows.h>

#include <commctrl.h>

#include <memory>

#include "InitForm.h"
#include "KxHandle.h"
#include "Modal.h"
#include "Settings.h"
#include "Skin.h"
#include "ThemeManager.h"
#include "Window.h"

class CCondMgr;
class CxList;
struct CondInfo;

// Owner of an image list.
struct ImageListTraits {
  static HIMAGELIST Invalid() { return nullptr; }
  static void Close(HIMAGELIST h);
};
using UniqueImageList = kx::UniqueHandle<HIMAGELIST, ImageListTraits>;

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
  void SaveRemovedList();
  void ClearRemovedList();
  void slvAppChange(const NMLISTVIEW& nm);
  void slvSysChange(const NMLISTVIEW& nm);

  // Commands.
  void sbtnRefreshClick();
  void sbtnExitClick();
  void sbtnCloseClick();
  void lblWebClick();
  // Commands of later steps: present, doing nothing yet.
  void sbtnInstallClick() {}
  void sbtnUninstClick() {}
  void sbtnRestoreClick() {}
  void sbtnAppPropClick() {}
  void sbtnSysPropClick() {}
  void sbtnBackupClick() {}
  void sbtnRestoreCondClick() {}
  void sbtnSkinClick() {}
  void sbtnHelpClick() {}
  void sbtnReportClick() {}
  void sbtnHotSyncClick() {}
  void sbtnCustomClick() {}
  void sbtnLogClick() {}
  void miHomePageClick() {}
  void miAboutClick() {}

  // The font the application table shows now (what SaveSettings captures).
  TableFont CurrentTableFont() const;
  unsigned LoadCount() const { return m_nLoadCount; }

  // Members, in the documented order.
  CCondMgr* m_pAppCondMgr = nullptr;
  CCondMgr* m_pSysCondMgr = nullptr;
  CxList* m_pRemovedList = nullptr;
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
  UniqueImageList ilCond;
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

  char m_szIniFile[260] = {};
  bool m_bFatal = false;
  bool m_bStarted = false;  // FormCreate got past the Palm Desktop look-up
  bool m_bFilling = false;  // rows may point at released records while a table is refilled
  bool m_bLinkHot = false;
  unsigned m_nLoadCount = 0;
  kx::UniqueFont m_fontForm, m_fontBold, m_fontLink, m_fontApp, m_fontSys;
  TableFont m_tfApp{}, m_tfSys{};
  kx::UniqueHandle<HBRUSH, BrushTraits> m_brWhite;
};

extern TfmMain* fmMain;

// The program: creates fmMain and runs the message loop until it closes. Returns 0.
int RunKestrin(int showCmd);
