#include "MainForm.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "AboutForm.h"
#include "BackupForm.h"
#include "CondProp.h"
#include "core/CondRules.h"
#include "core/FileNames.h"
#include "core/ListRows.h"
#include "format/CxList.h"
#include "format/KxAssert.h"
#include "format/KxText.h"
#include "format/RemovedStore.h"
#include "InitForm.h"
#include "misc/InstanceLock.h"
#include "misc/StartupStamps.h"
#include "misc/WinUtil.h"
#include "OptionsForm.h"
#include "Pages.h"
#include "palm/CondMgr.h"
#include "palm/SafeLoad.h"
#include "RestoreForm.h"
#include "ui/CommonDialogs.h"
#include "ui/Controls.h"
#include "ui/LinkLabel.h"
#include "ui/Mnemonic.h"
#include "ui/MsgBox.h"
#include "ui/Pictures.h"
#include "ui/resource.h"
#include "ui/SkinDraw.h"

TfmMain* fmMain = nullptr;
const char kWebHost[] = "http://www.orlenta.com";

namespace {

using kui::Scale;

const char kClassName[] = "TfmMain";
const char kCaption[] = "Kestrin - Install/Uninstall Palm Conduits";
const char kHomePage[] = "/kestrin/index.htm";
const char kHomePageFromApp[] = "/kestrin/index.htm?ref=app";
const char kHelpFile[] = "kestrinhelp.chm";
const int kClientWidth = 794, kClientHeight = 594;
const int kTopPanel = 96, kBottomPanel = 90;
const int kBtnW = 80, kBtnH = 27;

// The theme manager's list, in its fixed order, with the handle each name stands for.
using M = TfmMain;
const kui::ThemedPart<M> kMainComponents[] = {
    {"sfmMain", nullptr},                     {"sbtnReport", &M::sbtnReport},
    {"sbtnHotSync", &M::sbtnHotSync},         {"sbtnSkin", &M::sbtnSkin},
    {"sbtnClose", &M::sbtnClose},             {"sbtnCustom", &M::sbtnCustom},
    {"sbtnLog", &M::sbtnLog},                 {"sbtnRefresh", &M::sbtnRefresh},
    {"sbtnHelp", &M::sbtnHelp},               {"sbtnExit", &M::sbtnExit},
    {"slvApp", &M::slvApp},                   {"sbtnInstall", &M::sbtnInstall},
    {"sbtnUninst", &M::sbtnUninst},           {"sbtnAppProp", &M::sbtnAppProp},
    {"sbtnRestore", &M::sbtnRestore},         {"slvSys", &M::slvSys},
    {"sbtnSysProp", &M::sbtnSysProp},         {"sbtnBackup", &M::sbtnBackup},
    {"sbtnRestoreCond", &M::sbtnRestoreCond}};

// ilCond from the program's strip of three 15 x 15 pictures (at 96 DPI); magenta marks what
// stays clear.
HIMAGELIST MakeCondImages() {
  const int n = Scale(15);
  HIMAGELIST il = ImageList_Create(n, n, ILC_COLOR24 | ILC_MASK, 3, 0);
  if (!il) return nullptr;
  if (HBITMAP strip = kui::LoadPictureSized(IDB_CONDLIST, 3 * n, n, false)) {
    ImageList_AddMasked(il, strip, RGB(255, 0, 255));
    DeleteObject(strip);
  }
  return il;
}

// The wait cursor for the length of a scope, the arrow afterwards (also after an exception).
struct WaitCursor {
  WaitCursor() { SetCursor(LoadCursor(nullptr, IDC_WAIT)); }
  ~WaitCursor() { SetCursor(LoadCursor(nullptr, IDC_ARROW)); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

// The main window of each running copy carries its program folder's hash, so a second start
// finds the copy of its own folder among every Kestrin on the desktop.
const char kInstanceProp[] = "Kestrin.Instance";
const LRESULT kActivated = 0x4B53;  // the answer to the activation request: "KS"

UINT ActivationRequest() {
  static const UINT msg = RegisterWindowMessageA("Kestrin.Activate");
  return msg;
}

// The program's folder however long, for the message that it is too long.
std::string ModuleFolderText() {
  std::vector<char> path(32768);
  const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
  std::string folder(path.data(), n < path.size() ? n : 0);
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

HANDLE InstanceTag(const char* folder) {
  return reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(kx::InstanceFolderHash(folder) | 1u));
}

}  // namespace

TfmMain::TfmMain() : tmMain(kMainComponents, kui::Theme::BlueGlass) { fmMain = this; }

TfmMain::~TfmMain() {
  if (hwnd()) DestroyWindow(hwnd());
  if (fmMain == this) fmMain = nullptr;
}

bool TfmMain::Create() {
  RegisterClassOnce(kClassName, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  CreateMenu();
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  RECT r = kui::CentredWindowRect(Scale(kClientWidth), Scale(kClientHeight), style, 0, true);
  if (!CreateWnd(WS_EX_CONTROLPARENT, kClassName, kCaption, style, r.left, r.top,
                 r.right - r.left, r.bottom - r.top, nullptr, mnuMain)) {
    DestroyMenu(mnuMain);
    mnuMain = nullptr;
    return false;
  }
  char folder[MAX_PATH] = {};
  GetProgramFolder(nullptr, folder);
  SetPropA(hwnd(), kInstanceProp, InstanceTag(folder));
  // Creation held the window to the screen's size; at a high DPI on a small screen it is larger
  // (see WM_GETMINMAXINFO).
  SetWindowPos(hwnd(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  CreateControls();
  return FormCreate();
}

void TfmMain::Show(int showCmd) {
  ShowWindow(hwnd(), showCmd);
  UpdateWindow(hwnd());
  SetFocus(slvApp);
}

void TfmMain::Close() { SendMessageA(hwnd(), WM_CLOSE, 0, 0); }

HWND TfmMain::MakeButton(const char* caption, int id, int x, int y, bool visible) {
  const kui::Children child(hwnd(), m_fontForm.get());
  HWND h = child.Add("BUTTON", caption, WS_TABSTOP | BS_PUSHBUTTON, {x, y, kBtnW, kBtnH}, id);
  if (!visible) ShowWindow(h, SW_HIDE);
  return h;
}

void TfmMain::CreateMenu() {
  mnuMain = ::CreateMenu();
  HMENU file = CreatePopupMenu();
  AppendMenuA(file, MF_STRING, IDM_BACKUP, "&Backup Current Settings");
  AppendMenuA(file, MF_STRING, IDM_RESTORE, "&Restore Settings");
  AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(file, MF_STRING, IDM_EXIT, "E&xit");
  HMENU view = CreatePopupMenu();
  AppendMenuA(view, MF_STRING, IDM_REFRESH, "&Refresh");
  HMENU hotsync = CreatePopupMenu();
  AppendMenuA(hotsync, MF_STRING, IDM_RUNHOTSYNC, "&Run HotSync Manager");
  AppendMenuA(hotsync, MF_STRING, IDM_CUSTOMIZE, "&Customize");
  HMENU tools = CreatePopupMenu();
  AppendMenuA(tools, MF_STRING, IDM_REPORT, "&Report");
  AppendMenuA(tools, MF_STRING, IDM_LOG, "Install/Uninstall &Log");
  AppendMenuA(tools, MF_STRING, IDM_CHECK, "&Check Conduits");
  AppendMenuA(tools, MF_STRING, IDM_OPTIONS, "&Options");
  HMENU help = CreatePopupMenu();
  AppendMenuA(help, MF_STRING, IDM_CONTENT, "&Content");
  AppendMenuA(help, MF_STRING, IDM_HOMEPAGE, "Kestrin &Home Page");
  AppendMenuA(help, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(help, MF_STRING, IDM_ABOUT, "&About Kestrin");
  auto pop = [this](HMENU m, const char* text) {
    AppendMenuA(mnuMain, MF_POPUP, reinterpret_cast<UINT_PTR>(m), text);
  };
  pop(file, "&File");
  pop(view, "&View");
  pop(hotsync, "Hot&Sync");
  pop(tools, "&Tools");
  pop(help, "&Help");
}

void TfmMain::CreateControls() {
  m_fontForm.reset(kui::CreateUiFont("Verdana", 8));
  m_fontLink.reset(kui::CreateUiFont("Verdana", 8, FW_NORMAL, true));
  m_bmpBanner.reset(kui::LoadPicture(IDB_BANNER));
  SendMessageA(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(m_fontForm.get()), FALSE);
  const kui::Children children(hwnd(), m_fontForm.get());
  auto child = [&](const char* cls, const char* text, DWORD style, int x, int y, int w, int h,
                   int id) { return children.Add(cls, text, style, {x, y, w, h}, id); };

  // Top panel (painted white by the window): banner, link, Help and Exit.
  const int topBtnY = (kTopPanel - kBtnH) / 2;
  imgBanner = child("STATIC", "", SS_OWNERDRAW, 8, (kTopPanel - 67) / 2, 340, 67, IDC_IMG_BANNER);
  lblWeb = children.Add(kui::LinkLabel::ClassName(), "Welcome to Kestrin Web Site", WS_TABSTOP,
                        {380, topBtnY + 6, 200, 16}, IDC_LBL_WEB, 0, m_fontLink.get());
  sbtnHelp = MakeButton("&Help", IDC_SBTN_HELP, kClientWidth - 2 * (kBtnW + 10), topBtnY);
  sbtnExit = MakeButton("E&xit", IDC_SBTN_EXIT, kClientWidth - (kBtnW + 10), topBtnY);

  // Application group.
  const int gx = 8, gw = kClientWidth - 16, lvX = 18, lvW = 664, btnX = lvX + lvW + 12;
  const int appY = kTopPanel + 4, appH = 204;
  gbApp = child("BUTTON", " Application Conduits ", BS_GROUPBOX, gx, appY, gw, appH, IDC_GB_APP);
  const DWORD lvStyle = WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS |
                        LVS_SHAREIMAGELISTS;
  slvApp = child(WC_LISTVIEWA, "", lvStyle, lvX, appY + 18, lvW, appH - 28, IDC_SLV_APP);
  sbtnInstall = MakeButton("&Install", IDC_SBTN_INSTALL, btnX, appY + 18);
  sbtnUninst = MakeButton("&UnInstall", IDC_SBTN_UNINST, btnX, appY + 18 + 35);
  sbtnRestore = MakeButton("Res&tore", IDC_SBTN_RESTORE, btnX, appY + 18 + 70);
  sbtnAppProp = MakeButton("&Properties", IDC_SBTN_APPPROP, btnX, appY + 18 + 105);

  // System group.
  const int sysY = appY + appH + 4, sysH = kClientHeight - kBottomPanel - 4 - sysY;
  gbSys = child("BUTTON", "System Conduits ", BS_GROUPBOX, gx, sysY, gw, sysH, IDC_GB_SYS);
  slvSys = child(WC_LISTVIEWA, "", lvStyle | LVS_SINGLESEL, lvX, sysY + 18, lvW, sysH - 28,
                 IDC_SLV_SYS);
  sbtnSysProp = MakeButton("P&roperties", IDC_SBTN_SYSPROP, btnX, sysY + 18);

  // Bottom panel: five visible buttons, four hidden ones reached from the menu.
  const int botY = kClientHeight - kBottomPanel + (kBottomPanel - kBtnH) / 2;
  sbtnBackup = MakeButton("Back&up", IDC_SBTN_BACKUP, 16, botY);
  sbtnRestoreCond = MakeButton("Rest&ore", IDC_SBTN_RESTORECOND, 16 + 90, botY);
  sbtnSkin = MakeButton("&Options", IDC_SBTN_SKIN, 16 + 180, botY);
  sbtnRefresh = MakeButton("Refres&h", IDC_SBTN_REFRESH, 16 + 270, botY);
  sbtnClose = MakeButton("E&xit", IDC_SBTN_CLOSE, kClientWidth - (kBtnW + 10), botY);
  sbtnReport = MakeButton("Rep&ort", IDC_SBTN_REPORT, 16 + 360, botY, false);
  sbtnHotSync = MakeButton("Hot&Sync", IDC_SBTN_HOTSYNC, 16 + 450, botY, false);
  sbtnCustom = MakeButton("&Custom", IDC_SBTN_CUSTOM, 16 + 540, botY, false);
  sbtnLog = MakeButton("&Log", IDC_SBTN_LOG, 16 + 630, botY, false);

  // Group boxes behind their contents.
  kui::PutBehind({gbSys, gbApp});

  ilCond.reset(MakeCondImages());
  for (HWND lv : {slvApp, slvSys}) {
    SendMessageA(lv, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(ilCond.get()));
    kui::SetUpReportList(lv, {{"Name", 160}, {"Creator ID", 80}, {"File", 300}});
  }
  m_tfApp = DefaultTableFont();
  m_tfSys = DefaultTableFont();
  ApplyTableFont(slvApp, m_tfApp, m_fontApp);
  ApplyTableFont(slvSys, m_tfSys, m_fontSys);
  SetUpTableInput();

  tmMain.RegisterParts(*this, kMainComponents);
}

void TfmMain::ApplyTableFont(HWND slv, const TableFont& font, kx::UniqueFont& owner) {
  HFONT f = kui::CreateScaledFont(font.lf);
  if (!f) return;
  SendMessageA(slv, WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
  owner.reset(f);  // the table holds the new one; the old one can go
  COLORREF c = ColorValueToRGB(font.nColor);
  SendMessageA(slv, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(c));
  InvalidateRect(slv, nullptr, TRUE);
}

TableFont TfmMain::CurrentTableFont() const {
  TableFont t = m_tfApp;
  kui::GetUnscaledFont(reinterpret_cast<HFONT>(SendMessageA(slvApp, WM_GETFONT, 0, 0)), t.lf);
  return t;
}

// ---- Start-up and end -------------------------------------------------------------------------

bool TfmMain::FormCreate() {
  // Every file the program writes lives in its folder; where their names cannot fit, nothing
  // may start.
  char progFolder[MAX_PATH] = {};
  if (!GetProgramFolder(nullptr, progFolder) || ProgramFolderTooLong(progFolder)) {
    m_bFatal = true;
    const std::string shown = progFolder[0] ? progFolder : ModuleFolderText();
    kui::ShowMessage(nullptr, FormatText(filetext::kFolderTooLong, shown.c_str()).c_str(),
                     "Fatal Error", MB_ICONERROR);
    return false;
  }

  LoadPalmLibraries(kPalmAll);  // a failed bind shows later as an empty catalogue

  char palm[260] = {};
  if (GetPalmDesktopPath(palm, sizeof palm) != 0 || palm[0] == '\0') {
    m_bFatal = true;
    kui::ShowMessage(nullptr, "The Palm Desktop is not found. Application must terminate.",
                     "Fatal Error", MB_ICONERROR);
    return false;
  }
  m_bStarted = true;
  SetCurrentDirectoryA(palm);

  m_pAppCondMgr = new (std::nothrow) CCondMgr;
  m_pSysCondMgr = new (std::nothrow) CCondMgr;
  KX_ASSERT_TEXT(m_pAppCondMgr && m_pSysCondMgr, "m_pAppCondMgr&&m_pSysCondMgr");

  m_pRemovedList = new CxList;
  m_pBakSetList = new CxList;
  ConduitView& view = *this;
  m_pOps = std::make_unique<ConduitOps>(*m_pAppCondMgr, *m_pRemovedList, m_Log, m_szResFile, view);
  m_pCheck = std::make_unique<ConduitCheck>(*m_pAppCondMgr, *m_pSysCondMgr, *m_pRemovedList);

  char folder[MAX_PATH] = {};
  GetProgramFolder(nullptr, folder);
  snprintf(m_szResFile, sizeof m_szResFile, "%s\\KestrinRes.dat", folder);
  snprintf(m_szIniFile, sizeof m_szIniFile, "%s%s", folder, kSettingsFileName);

  memset(&m_Settings, 0, sizeof m_Settings);
  LoadSettings();
  m_bSettingsLoaded = true;
  CheckInterruptedLoad();

  {
    TfmInit splash;
    if (splash.Create(hwnd())) splash.ShowModal(hwnd());
  }

  FillAppList();
  FillSysList();

  ApplySkin(&tmMain);
  ExchangeFont(&m_Settings, &m_tfApp, false);
  ApplyTableFont(slvApp, m_tfApp, m_fontApp);
  ExchangeFont(&m_Settings, &m_tfSys, false);
  ApplyTableFont(slvSys, m_tfSys, m_fontSys);
  kx::StartupStamp("ready");
  return true;
}

void TfmMain::CheckInterruptedLoad() {
  char lib[safeload::kMarkerSize];
  if (!safeload::ReadMarker(lib)) return;
  const std::string text = FormatText(
      "Kestrin stopped while loading the conduit library \"%s\". Start without loading it?", lib);
  if (kui::ShowMessage(nullptr, text.c_str(), "Confirm", MB_ICONQUESTION, MB_YESNO) == IDYES) {
    safeload::AddSkip(lib);
  }
  safeload::ClearMarker();
}

bool TfmMain::FormCloseQuery() {
  return kui::ShowMessage(hwnd(), "Are you sure to quit Kestrin?", "Confirm", MB_ICONQUESTION,
                          MB_YESNO) == IDYES;
}

void TfmMain::FormDestroy() {
  m_bFilling = true;  // from here on rows point at released records
  SaveSettings();
  delete m_pAppCondMgr;
  delete m_pSysCondMgr;
  m_pAppCondMgr = nullptr;
  m_pSysCondMgr = nullptr;
  if (m_pRemovedList) {
    ClearRemovedList();
    delete m_pRemovedList;
    m_pRemovedList = nullptr;
  }
  if (m_pBakSetList) {
    ClearBakSets();
    delete m_pBakSetList;
    m_pBakSetList = nullptr;
  }
  m_pOps.reset();  // lets the kept module objects go
  FreePalmLibraries(kPalmAll);
}

void TfmMain::LoadConduitInfo() {
  ++m_nLoadCount;
  m_pAppCondMgr->Load(kLoadApplication);
  m_pSysCondMgr->Load(kLoadSystem);
  m_pOps->ReleaseKeptCondObjs();  // the records that referred to them are gone
}

// ---- Settings --------------------------------------------------------------------------------

void TfmMain::LoadSettings() { LoadSettingsFile(m_szIniFile, m_Settings, *m_pBakSetList); }

void TfmMain::SaveSettings() {
  TableFont live = CurrentTableFont();
  ExchangeFont(&m_Settings, &live, true);
  SaveSettingsFile(m_szIniFile, m_Settings, *m_pBakSetList);
}

BakSetEntry* TfmMain::GetFirstBakSet() { return static_cast<BakSetEntry*>(m_pBakSetList->GetFirst()); }
BakSetEntry* TfmMain::GetNextBakSet() { return static_cast<BakSetEntry*>(m_pBakSetList->GetNext()); }
BakSetEntry* TfmMain::AddBakSet(const BakSetEntry* entry) { return ::AddBakSet(*m_pBakSetList, entry); }
unsigned TfmMain::GetBakSetCount() const { return m_pBakSetList->GetCount(); }
void TfmMain::ClearBakSets() { ::ClearBakSets(*m_pBakSetList); }

// ---- Commands --------------------------------------------------------------------------------

// Each command that may change the removed-conduit store says at its end, once, if it was lost.
void TfmMain::sbtnInstallClick() {
  InstallConduitFile();
  ReportUnsavedStore();
}
void TfmMain::sbtnUninstClick() {
  UninstallSelected();
  ReportUnsavedStore();
}
void TfmMain::sbtnRestoreClick() {
  RestoreSelected();
  ReportUnsavedStore();
}

void TfmMain::sbtnAppPropClick() {
  // With several rows selected, the first of them.
  int sel = static_cast<int>(SendMessageA(slvApp, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                          LVNI_SELECTED));
  if (sel < 0) return;
  CondInfo* p = RowInfo(slvApp, sel);
  if (p) ShowCondProp(p, false, false);
  ReportUnsavedStore();
}

void TfmMain::sbtnSysPropClick() {
  int sel = static_cast<int>(SendMessageA(slvSys, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                          LVNI_SELECTED));
  if (sel < 0) return;
  CondInfo* p = RowInfo(slvSys, sel);
  if (p) ShowCondProp(p, true, false);
}

void TfmMain::sbtnReportClick() { ShowConduitReport(*m_pAppCondMgr, *m_pSysCondMgr); }

void TfmMain::sbtnLogClick() { ShowHistory(m_Log); }

void TfmMain::miCheckConduitsClick() {
  WaitCursor wait;  // a lost network drive takes a while to answer
  ShowConduitCheck(*m_pCheck);
}

void TfmMain::BackupSettings(const char* szFile) { m_pOps->BackupSettings(szFile); }
void TfmMain::RestoreSettings(const char* szFile) { m_pOps->RestoreSettings(szFile); }

void TfmMain::sbtnBackupClick() {
  TfmBackup dlg;
  if (!dlg.Create(hwnd())) return;
  if (dlg.ShowModal(hwnd()) == IDOK) BackupSettings(dlg.m_szFile);
}

void TfmMain::sbtnRestoreCondClick() {
  TfmRestore dlg;
  if (!dlg.Create(hwnd())) return;
  if (dlg.ShowModal(hwnd()) == IDOK) RestoreSettings(dlg.m_szFile);
  ReportUnsavedStore();
}

void TfmMain::sbtnSkinClick() {
  TfmSkin dlg;
  if (!dlg.Create(hwnd())) return;
  dlg.ShowModal(hwnd());
  if (dlg.m_bSkinChanged) ApplySkin(&tmMain);
  if (dlg.m_bFontChanged) {
    ExchangeFont(&m_Settings, &m_tfApp, false);
    ApplyTableFont(slvApp, m_tfApp, m_fontApp);
    ExchangeFont(&m_Settings, &m_tfSys, false);
    ApplyTableFont(slvSys, m_tfSys, m_fontSys);
  }
}

void TfmMain::sbtnHelpClick() {
  char folder[MAX_PATH] = {};
  GetProgramFolder(nullptr, folder);
  ShellOpen((std::string(folder) + kHelpFile).c_str());
}

void TfmMain::sbtnHotSyncClick() { ShellOpen("hotsync.exe"); }

void TfmMain::sbtnCustomClick() {
  ShellOpen("hotsync.exe");
  // An entry that was not bound is not called at all.
  if (palm::Entry(palm::HsEntry::HsDisplayCustomDlg)) palm::HsDisplayCustomDlg();
}

void TfmMain::miHelpWebClick() { ShellOpen((std::string(kWebHost) + kHomePageFromApp).c_str()); }

void TfmMain::miHelpAboutClick() {
  TfmAbout dlg;
  if (dlg.Create(hwnd())) dlg.ShowModal(hwnd());
}


void TfmMain::sbtnRefreshClick() {
  WaitCursor wait;
  LoadConduitInfo();
  FillAppList();
  FillSysList();
}

void TfmMain::sbtnExitClick() { Close(); }
void TfmMain::sbtnCloseClick() { Close(); }
void TfmMain::lblWebClick() { ShellOpen((std::string(kWebHost) + kHomePage).c_str()); }

void TfmMain::OnCommand(int id, int code, HWND ctl) {
  if (ctl && code != BN_CLICKED) return;  // STN_CLICKED is 0 as well
  switch (id) {
    case IDC_LBL_WEB: lblWebClick(); break;
    case IDC_SBTN_HELP: case IDM_CONTENT: sbtnHelpClick(); break;
    case IDC_SBTN_EXIT: sbtnExitClick(); break;
    case IDC_SBTN_CLOSE: case IDM_EXIT: sbtnCloseClick(); break;
    case IDC_SBTN_INSTALL: sbtnInstallClick(); break;
    case IDC_SBTN_UNINST: sbtnUninstClick(); break;
    case IDC_SBTN_RESTORE: sbtnRestoreClick(); break;
    case IDC_SBTN_APPPROP: sbtnAppPropClick(); break;
    case IDC_SBTN_SYSPROP: sbtnSysPropClick(); break;
    case IDC_SBTN_BACKUP: case IDM_BACKUP: sbtnBackupClick(); break;
    case IDC_SBTN_RESTORECOND: case IDM_RESTORE: sbtnRestoreCondClick(); break;
    case IDC_SBTN_SKIN: case IDM_OPTIONS: sbtnSkinClick(); break;
    case IDC_SBTN_REFRESH: case IDM_REFRESH: sbtnRefreshClick(); break;
    case IDC_SBTN_REPORT: case IDM_REPORT: sbtnReportClick(); break;
    case IDC_SBTN_HOTSYNC: case IDM_RUNHOTSYNC: sbtnHotSyncClick(); break;
    case IDC_SBTN_CUSTOM: case IDM_CUSTOMIZE: sbtnCustomClick(); break;
    case IDC_SBTN_LOG: case IDM_LOG: sbtnLogClick(); break;
    case IDM_CHECK: miCheckConduitsClick(); break;
    case IDM_HOMEPAGE: miHelpWebClick(); break;
    case IDM_ABOUT: miHelpAboutClick(); break;
    default: break;
  }
}

LRESULT TfmMain::OnNotify(NMHDR* nm) {
  if (nm->hwndFrom == slvApp || nm->hwndFrom == slvSys) {
    bool app = nm->hwndFrom == slvApp;
    if (nm->code == LVN_ITEMCHANGED) {
      if (m_bFilling) return 0;
      auto* lv = reinterpret_cast<NMLISTVIEW*>(nm);
      if (app) {
        slvAppChange(*lv);
      } else {
        slvSysChange(*lv);
      }
    } else if (nm->code == NM_DBLCLK) {
      if (app) {
        sbtnAppPropClick();
      } else {
        sbtnSysPropClick();
      }
    } else if (nm->code == LVN_KEYDOWN) {
      slvKeyDown(nm->hwndFrom, reinterpret_cast<NMLVKEYDOWN*>(nm)->wVKey);
    } else if (nm->code == LVN_COLUMNCLICK) {
      slvColumnClick(nm->hwndFrom, reinterpret_cast<NMLISTVIEW*>(nm)->iSubItem);
    } else if (nm->code == LVN_GETINFOTIPA) {
      // Wine's list view never asks; a list view that does gets the row tip's text.
      auto* tip = reinterpret_cast<NMLVGETINFOTIPA*>(nm);
      if (tip->pszText && tip->cchTextMax > 0) {
        kx::CopyText(tip->pszText, static_cast<size_t>(tip->cchTextMax),
                     RowDiagnosis(nm->hwndFrom, tip->iItem).c_str());
      }
    }
  }
  return 0;
}

void TfmMain::BringToFront() {
  if (IsIconic(hwnd())) ShowWindow(hwnd(), SW_RESTORE);
  // While the catalogues load the splash is the window to show.
  HWND top = GetLastActivePopup(hwnd());
  SetForegroundWindow(top ? top : hwnd());
}

LRESULT TfmMain::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == ActivationRequest()) {
    BringToFront();
    return kActivated;
  }
  switch (msg) {
    case WM_COMMAND:
      OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
      return 0;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lp));
    case WM_CLOSE:
      if (FormCloseQuery()) DestroyWindow(hwnd());
      return 0;
    case WM_CONTEXTMENU: {
      auto from = reinterpret_cast<HWND>(wp);
      if (from == slvApp || from == slvSys) {
        slvContextMenu(from, POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        return 0;
      }
      break;
    }
    case WM_DROPFILES:
      FormDropFiles(reinterpret_cast<HDROP>(wp));
      return 0;
    case WM_ENABLE:
      // A modal dialog or box disables the window: no drop while one is open.
      DragAcceptFiles(hwnd(), wp ? TRUE : FALSE);
      break;
    case WM_QUERYENDSESSION:
      return TRUE;  // a question now would hold up Windows
    case WM_ENDSESSION:
      // The process may end without another message: keep what the user chose, but run no
      // conduit code (no catalogue is released).
      if (wp && m_bSettingsLoaded) SaveSettings();
      return 0;
    case WM_DESTROY:
      RemovePropA(hwnd(), kInstanceProp);
      if (m_bStarted) FormDestroy();
      m_bStarted = false;
      if (!m_bFatal) PostQuitMessage(0);
      return 0;
    case WM_ACTIVATE:
      // Back from a message box or another program the focus returns to the control that had
      // it, so the keyboard goes on where the user left it.
      if (kui::ReturnFocus(hwnd(), wp, kui::FocusReturn::Remembered, m_hwndLastFocus, slvApp)) {
        return 0;
      }
      break;
    case WM_GETMINMAXINFO: {
      // Only the program sizes the window; its fixed layout must not be cut to the screen.
      auto* mmi = reinterpret_cast<MINMAXINFO*>(lp);
      mmi->ptMaxTrackSize = POINT{SHRT_MAX, SHRT_MAX};
      return 0;
    }
    case WM_ERASEBKGND: {
      auto dc = reinterpret_cast<HDC>(wp);
      RECT r;
      GetClientRect(hwnd(), &r);
      FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
      // The panels keep the Mac OS look whatever the skin.
      RECT top{0, 0, r.right, Scale(kTopPanel)};
      kui::PaintPanel(dc, top, kui::Theme::MacOS, kui::PanelKind::Top);
      RECT bottom{0, r.bottom - Scale(kBottomPanel), r.right, r.bottom};
      kui::PaintPanel(dc, bottom, kui::Theme::MacOS, kui::PanelKind::Bottom);
      return 1;
    }
    case WM_DRAWITEM: {
      auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
      if (di->hwndItem == imgBanner) {
        kui::DrawPicture(di->hDC, di->rcItem, static_cast<HBITMAP>(m_bmpBanner.get()));
        return TRUE;
      }
      break;
    }
    default:
      break;
  }
  return DefProc(msg, wp, lp);
}

// ---- The program ----------------------------------------------------------------------------

namespace {
struct CopySearch {
  HANDLE tag;
  HWND found;
};
BOOL CALLBACK FindCopy(HWND h, LPARAM lp) {
  auto* search = reinterpret_cast<CopySearch*>(lp);
  char cls[32] = {};
  if (GetClassNameA(h, cls, sizeof cls) && strcmp(cls, kClassName) == 0 &&
      GetPropA(h, kInstanceProp) == search->tag) {
    search->found = h;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

bool ActivateRunningCopy(const char* folder) {
  CopySearch search{InstanceTag(folder), nullptr};
  EnumWindows(FindCopy, reinterpret_cast<LPARAM>(&search));
  if (!search.found) return false;
  DWORD pid = 0;
  GetWindowThreadProcessId(search.found, &pid);
  AllowSetForegroundWindow(pid);  // the copy comes forward itself; we may lend it the right
  DWORD_PTR answer = 0;
  // A hung copy must not hang this one too.
  if (!SendMessageTimeoutA(search.found, ActivationRequest(), 0, 0,
                           SMTO_ABORTIFHUNG | SMTO_BLOCK, 3000, &answer)) {
    return false;
  }
  return static_cast<LRESULT>(answer) == kActivated;
}

int RunKestrin(int showCmd) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);

  TfmMain main;
  if (!main.Create()) {
    FreePalmLibraries(kPalmAll);
    return 0;
  }
  main.Show(showCmd);
  kx::StartupStamp("shown");
  kx::WriteStartupStamps();
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (main.PreTranslateMessage(msg) || kui::DialogKeys(main.hwnd(), msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
