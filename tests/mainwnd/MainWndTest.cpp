// The main window and the splash, created in-process and driven by messages against the
// stand-in Palm Desktop.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "ConduitKit.h"
#include "CondProp.h"
#include "format/CxList.h"
#include "InitForm.h"
#include "MainForm.h"
#include "MainWindowStart.h"
#include "misc/WinUtil.h"
#include "PalmTest.h"
#include "palm/CondMgr.h"
#include "TestSupport.h"
#include "ui/CommonDialogs.h"
#include "ui/Mnemonic.h"
#include "ui/MsgBox.h"

namespace {

using ktest::Click;
using ktest::Row;
using ktest::SetSelected;
using ktest::StoreRecord;
using ptest::Conduit;

// ---- Palm Desktop registrations, written the way the stand-in reads them --------------------

void RegisterApp(int n, const char* creator, const std::string& lib, const char* title) {
  ptest::WriteApplication(n, lib, creator);
  const std::string key = ptest::AppKey(n);
  ptest::SetText(key, "Title", title);
  for (const char* empty : {"Directory", "File", "Remote"}) ptest::SetText(key, empty, "");
  ptest::SetDword(key, "Priority", 2);
}
void CleanPalmKeys() { ptest::DeleteKey(ptest::kRoot); }
void SetCoreText(const char* name, const std::string& v) {
  ASSERT_TRUE(ptest::SetText(ptest::kCoreKey, name, v));
}

// ---- Reading the window back -----------------------------------------------------------------

void Menu(HWND w, int id) { SendMessageA(w, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

BOOL CALLBACK CountVisible(HWND h, LPARAM p) {
  if (IsWindowVisible(h)) ++*reinterpret_cast<int*>(p);
  return TRUE;
}

int VisibleWindowsOfThread() {
  int n = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountVisible, reinterpret_cast<LPARAM>(&n));
  return n;
}

std::string IniValue(const std::string& ini, const char* sec, const char* key) {
  char buf[300] = {};
  GetPrivateProfileStringA(sec, key, "<none>", buf, sizeof buf, ini.c_str());
  return buf;
}

// ---- Fixture -----------------------------------------------------------------------------------

class MainWnd : public ::testing::Test {
 protected:
  ktest::TempDir dir{"mainwnd_prog"};
  std::string ini = dir.file("orlenta.ini");
  std::string store = dir.path() + "\\KestrinRes.dat";
  std::vector<kui::MessageRequest> shown;
  std::deque<int> answers;  // scripted replies; IDOK when none is left
  std::vector<std::string> opened;
  std::unique_ptr<TfmMain> fm;
  char cwd[MAX_PATH] = {};

  void SetUp() override {
    GetCurrentDirectoryA(MAX_PATH, cwd);
    CleanPalmKeys();
    SetCoreText("DesktopPath", ktest::PalmFolder());
    SetProgramFolderOverride(dir.path().c_str());
    kui::SetMessageAnswerer([this](const kui::MessageRequest& r) {
      shown.push_back(r);
      if (answers.empty()) return IDOK;
      int a = answers.front();
      answers.pop_front();
      return a;
    });
    SetShellOpener([this](const char* what) { opened.push_back(what); });
    // A command that opens the file dialog by accident must not wait for a user.
    kui::SetOpenFilePicker([](const kui::OpenFileRequest&, std::string&) { return false; });
    TfmInit::ResetRunFlags();
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
  }

  void TearDown() override {
    answers.assign(1, IDYES);
    fm.reset();
    ktest::DrainQuit();
    kui::ClearModalActions();
    kui::SetMessageAnswerer(nullptr);
    SetShellOpener(nullptr);
    kui::SetOpenFilePicker(nullptr);
    SetProgramFolderOverride(nullptr);
    CleanPalmKeys();
    SetCurrentDirectoryA(cwd);
  }

  // Starts the main window; the splash is answered by two ticks of its timer.
  void Start() {
    ASSERT_TRUE(ktest::StartMainWindow(fm));
  }

  // The conduits of the contents tests.
  void RegisterSamples() {
    RegisterApp(0, "addr", Conduit("addrcond.dll"), "Registered title");
    RegisterApp(1, "gone", Conduit("gone.dll"), "Gone");
    RegisterApp(2, "memo", Conduit("memocond.dll"), "Memo");
    ptest::WriteInstallConduit(0, Conduit("nocond.dll"), "NoCd", "No open");
    ptest::WriteInstallConduit(1, Conduit("instcond.dll"), "inst", "Install");
    SetCoreText("BackupConduit", Conduit("backup.dll"));
  }

  // A 1,100-byte store: a removed conduit, the registered memo conduit again, a 20-byte tail.
  void WriteStore() {
    ASSERT_TRUE(ktest::WriteRecords(store, {StoreRecord("date", Conduit("datecond.dll"), "Date Book"),
                                            StoreRecord("memo", Conduit("memocond.dll"), "Memo Pad")}));
    std::vector<unsigned char> bytes = ktest::ReadBytes(store);
    bytes.resize(1100, 0xEE);
    ASSERT_TRUE(ktest::WriteBytes(store, bytes));
  }
};

// ---- Start-up --------------------------------------------------------------------------------

TEST_F(MainWnd, FatalStartWithoutPalmDesktop) {
  struct Case {
    const char* what;
    bool emptyValue;
  };
  for (const Case c : {Case{"no registry key", false}, Case{"empty DesktopPath", true}}) {
    CleanPalmKeys();
    if (c.emptyValue) SetCoreText("DesktopPath", "");
    WritePrivateProfileStringA("Kestrin", "SkinType", "2", ini.c_str());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, ini.c_str());  // flush
    const std::vector<unsigned char> before = ktest::ReadBytes(ini);
    shown.clear();
    int visibleWhenShown = -1;
    kui::SetMessageAnswerer([&](const kui::MessageRequest& r) {
      shown.push_back(r);
      visibleWhenShown = VisibleWindowsOfThread();
      return IDOK;
    });

    EXPECT_EQ(0, RunKestrin(SW_SHOW)) << c.what;

    ASSERT_EQ(1u, shown.size()) << c.what;
    EXPECT_EQ("The Palm Desktop is not found. Application must terminate.", shown[0].text);
    EXPECT_EQ("Fatal Error", shown[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), shown[0].icon);
    EXPECT_EQ(nullptr, shown[0].owner);
    EXPECT_EQ(0, visibleWhenShown) << c.what;
    EXPECT_EQ(before, ktest::ReadBytes(ini)) << c.what;
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(store.c_str())) << c.what;
    EXPECT_EQ(nullptr, fmMain);
  }
}

// A program folder in which the program's own file names would not fit: one box, no window
// shown, nothing read or written, not even the Palm libraries bound.
TEST_F(MainWnd, FatalStartFromAFolderTooLong) {
  const std::string folder = "C:\\" + std::string(230, 'k') + "\\";
  SetProgramFolderOverride(folder.c_str());
  shown.clear();
  EXPECT_EQ(0, RunKestrin(SW_SHOW));
  ASSERT_EQ(1u, shown.size());
  EXPECT_EQ("Kestrin cannot run from the folder \"" + folder +
                "\": its path is too long. Move it to a folder with a shorter path.",
            shown[0].text);
  EXPECT_EQ("Fatal Error", shown[0].caption);
  EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), shown[0].icon);
  EXPECT_EQ(nullptr, shown[0].owner);
  EXPECT_EQ(nullptr, fmMain);
  SetProgramFolderOverride(dir.path().c_str());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(ini.c_str()));
}

TEST_F(MainWnd, SplashLoadsOnTheSecondTickOnly) {
  RegisterSamples();
  std::vector<unsigned> counts;
  bool mainVisible = true, splashVisible = false, endedAfterFirst = true, endedAfterSecond = false;
  kui::SetNextModalAction(TfmInit::kClassName, [&](kui::ModalWindow& w) {
    auto& splash = static_cast<TfmInit&>(w);
    mainVisible = IsWindowVisible(fmMain->hwnd()) != FALSE;
    splashVisible = IsWindowVisible(splash.hwnd()) != FALSE;
    splash.tmInitTimer();
    counts.push_back(fmMain->LoadCount());
    endedAfterFirst = splash.IsModalEnded();
    splash.tmInitTimer();
    counts.push_back(fmMain->LoadCount());
    endedAfterSecond = splash.IsModalEnded();
    splash.tmInitTimer();
    splash.tmInitTimer();
    counts.push_back(fmMain->LoadCount());
  });
  fm = std::make_unique<TfmMain>();
  ASSERT_TRUE(fm->Create());

  EXPECT_FALSE(mainVisible);
  EXPECT_TRUE(splashVisible);
  EXPECT_EQ((std::vector<unsigned>{0, 1, 1}), counts);
  EXPECT_FALSE(endedAfterFirst);
  EXPECT_TRUE(endedAfterSecond);
  EXPECT_EQ(3u, fm->m_pAppCondMgr->GetCount());
  EXPECT_EQ(3, ListView_GetItemCount(fm->slvApp));
}

TEST_F(MainWnd, SplashTimerRunsForReal) {
  RegisterSamples();
  fm = std::make_unique<TfmMain>();
  auto t0 = std::chrono::steady_clock::now();
  ASSERT_TRUE(fm->Create());
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - t0).count();
  EXPECT_GE(ms, 1900);  // two intervals of 1000 ms
  EXPECT_LT(ms, 10000);
  EXPECT_EQ(1u, fm->LoadCount());
  EXPECT_EQ(3, ListView_GetItemCount(fm->slvApp));
  EXPECT_EQ(nullptr, fmInit);  // the splash is gone
}

// ---- The end ---------------------------------------------------------------------------------

TEST_F(MainWnd, QuitQuestionNoKeepsRunningYesSavesTheLiveFont) {
  WritePrivateProfileStringA("Kestrin", "Font-Height", "-15", ini.c_str());
  WritePrivateProfileStringA("Kestrin", "Font-Face", "Tahoma", ini.c_str());
  WritePrivateProfileStringA("Kestrin", "Font-Weight", "700", ini.c_str());
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, ini.c_str());
  Start();
  const std::vector<unsigned char> before = ktest::ReadBytes(ini);

  // Every way out asks; No keeps the window and writes nothing.
  answers = {IDNO, IDNO, IDNO};
  Click(fm->sbtnExit);
  Click(fm->sbtnClose);
  Menu(fm->hwnd(), IDM_EXIT);
  ASSERT_EQ(3u, shown.size());
  for (const auto& m : shown) {
    EXPECT_EQ("Are you sure to quit Kestrin?", m.text);
    EXPECT_EQ("Confirm", m.caption);
    EXPECT_EQ(static_cast<UINT>(MB_ICONQUESTION), m.icon);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO), m.buttons);
    EXPECT_EQ(fm->hwnd(), m.owner);
  }
  EXPECT_TRUE(IsWindow(fm->hwnd()));
  EXPECT_EQ(before, ktest::ReadBytes(ini));

  // The stored font reached the table; Yes writes the live table font.
  LOGFONTA live{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(fm->slvApp, WM_GETFONT, 0, 0)), sizeof live, &live);
  EXPECT_EQ(-15, live.lfHeight);
  EXPECT_STREQ("Tahoma", live.lfFaceName);
  HWND w = fm->hwnd();
  answers = {IDYES};
  Click(fm->sbtnExit);
  EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(std::to_string(live.lfHeight), IniValue(ini, "Kestrin", "Font-Height"));
  EXPECT_EQ(live.lfFaceName, IniValue(ini, "Kestrin", "Font-Face"));
  EXPECT_EQ(std::to_string(live.lfCharSet), IniValue(ini, "Kestrin", "Font-CharSet"));
  EXPECT_EQ("700", IniValue(ini, "Kestrin", "Font-Weight"));  // carried, never applied
  EXPECT_EQ("0", IniValue(ini, "KestrinFile", "Count"));
  EXPECT_EQ(nullptr, fm->m_pAppCondMgr);
  EXPECT_EQ(nullptr, fm->m_pRemovedList);
}

// ---- Table contents ---------------------------------------------------------------------------

// Log-off: no question holds Windows up, and what the user chose in this run is written, as the
// orderly end would; the catalogues stay loaded.
TEST_F(MainWnd, EndOfSessionKeepsTheRunsChoicesWithoutAsking) {
  Start();
  fm->m_Settings.nSkinType = 3;
  BakSetEntry set{};
  strcpy(set.szFile, "Weekly.bak");
  strcpy(set.szDesc, "every week");
  ASSERT_NE(nullptr, fm->AddBakSet(&set));
  shown.clear();

  EXPECT_EQ(TRUE, SendMessageA(fm->hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(ini.c_str()));

  SendMessageA(fm->hwnd(), WM_ENDSESSION, FALSE, 0);  // the log-off was cancelled: nothing
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(ini.c_str()));
  SendMessageA(fm->hwnd(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ("3", IniValue(ini, "Kestrin", "SkinType"));
  EXPECT_EQ("1", IniValue(ini, "KestrinFile", "Count"));
  EXPECT_EQ("Weekly.bak", IniValue(ini, "KestrinFile", "KestrinSet1"));
  EXPECT_EQ("every week", IniValue(ini, "KestrinFile", "KestrinDesc1"));
  EXPECT_NE(nullptr, fm->m_pAppCondMgr);
  EXPECT_TRUE(IsWindow(fm->hwnd()));
}

// A second start finds the copy of its own program folder and brings it forward, even
// minimised; a copy of another folder is not its business.
TEST_F(MainWnd, SecondStartBringsTheRunningCopyForward) {
  Start();
  ShowWindow(fm->hwnd(), SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(fm->hwnd()));
  EXPECT_FALSE(ActivateRunningCopy("C:\\Elsewhere\\"));
  EXPECT_TRUE(IsIconic(fm->hwnd()));
  EXPECT_TRUE(ActivateRunningCopy(dir.path().c_str()));
  EXPECT_FALSE(IsIconic(fm->hwnd()));
  EXPECT_TRUE(shown.empty());

  // Once it has ended, nothing answers.
  HWND w = fm->hwnd();
  answers = {IDYES};
  fm->Close();
  EXPECT_FALSE(IsWindow(w));
  EXPECT_FALSE(ActivateRunningCopy(dir.path().c_str()));
}

TEST_F(MainWnd, TablesShowCatalogueAndRemovedConduits) {
  RegisterSamples();
  WriteStore();
  Start();

  const std::vector<Row> app = ktest::ReadRows(fm->slvApp);
  const std::vector<Row> wantApp = {
      {"Address Book", "addr", Conduit("addrcond.dll"), 0},  // the library's own name
      {"Gone", "gone", Conduit("gone.dll") + " ( file not found ).", 2},
      {"Memo Pad", "memo", Conduit("memocond.dll"), 0},      // listed again: shown once
      {"Date Book", "date", Conduit("datecond.dll"), 1},     // removed, from the store
  };
  EXPECT_EQ(wantApp, app);

  auto hex = [](const char* creator) {
    uint32_t v;
    memcpy(&v, creator, 4);  // the install aide's four creator bytes as a number
    char buf[16];
    snprintf(buf, sizeof buf, "0x%x", v);
    return std::string(buf);
  };
  const std::vector<Row> wantSys = {
      {"Not A Conduit", hex("NoCd"), Conduit("nocond.dll") + " ( file not found ).", 2},
      {"Install Handheld Files", hex("inst"), Conduit("instcond.dll"), 0},
      {"Backup", "0xffffffff", Conduit("backup.dll"), 0},
  };
  EXPECT_EQ(wantSys, ktest::ReadRows(fm->slvSys));

  // The store keeps the entry that the catalogue lists again.
  EXPECT_EQ(2u, fm->m_pRemovedList->GetCount());
  EXPECT_EQ(1100u, ktest::ReadBytes(store).size());

  // A registration with an empty library path and a missing file.
  auto* empty = new CondInfo{};
  strcpy(empty->szCreatorID, "empt");
  strcpy(empty->szName, "Empty path");
  ASSERT_TRUE(fm->m_pAppCondMgr->Add(empty));
  fm->FillAppList();
  const std::vector<Row> refilled = ktest::ReadRows(fm->slvApp);
  ASSERT_EQ(5u, refilled.size());
  EXPECT_EQ((Row{"Empty path", "empt", "", 2}), refilled[3]);
  EXPECT_EQ(wantApp.back(), refilled[4]);
}

TEST_F(MainWnd, RefreshReloadsCataloguesAndStore) {
  RegisterApp(0, "addr", Conduit("addrcond.dll"), "A");
  Start();
  ASSERT_EQ(1, ListView_GetItemCount(fm->slvApp));
  RegisterApp(1, "todo", Conduit("todocond.dll"), "T");
  WriteStore();

  Click(fm->sbtnRefresh);
  EXPECT_EQ(2u, fm->LoadCount());
  std::vector<Row> rows = ktest::ReadRows(fm->slvApp);
  ASSERT_EQ(4u, rows.size());
  EXPECT_EQ("To Do List", rows[1].name);
  EXPECT_EQ(1, rows[2].image);  // both store entries are removed rows now
  EXPECT_EQ(1, rows[3].image);

  Menu(fm->hwnd(), IDM_REFRESH);  // the menu reaches the same command
  EXPECT_EQ(3u, fm->LoadCount());
  EXPECT_EQ(4, ListView_GetItemCount(fm->slvApp));
}

// ---- Buttons follow the selection -----------------------------------------------------------

TEST_F(MainWnd, ApplicationButtonsFollowTheSelection) {
  RegisterSamples();
  WriteStore();
  Start();
  HWND lv = fm->slvApp;
  const int installed = 0, removed = 3;
  ASSERT_EQ(1, ktest::ReadRows(lv)[removed].image);
  struct State {
    bool uninst, restore, props;
    bool operator==(const State& o) const {
      return uninst == o.uninst && restore == o.restore && props == o.props;
    }
  };
  auto state = [&] {
    return State{IsWindowEnabled(fm->sbtnUninst) != FALSE, IsWindowEnabled(fm->sbtnRestore) != FALSE,
                 IsWindowEnabled(fm->sbtnAppProp) != FALSE};
  };
  auto selectOnly = [&](std::vector<int> items) {
    SetSelected(lv, -1, false);
    for (int i : items) SetSelected(lv, i, true);
  };

  // The fill selected the first (installed) row.
  EXPECT_TRUE((State{true, false, true}) == state());
  selectOnly({removed});
  EXPECT_TRUE((State{false, true, true}) == state());
  selectOnly({installed, removed});
  EXPECT_TRUE((State{true, true, true}) == state());
  selectOnly({installed, 2});
  EXPECT_TRUE((State{true, false, true}) == state());
  selectOnly({removed});
  SetSelected(lv, -1, false);  // nothing selected: the buttons stay as they were
  EXPECT_TRUE((State{false, true, true}) == state());
  EXPECT_TRUE(IsWindowEnabled(fm->sbtnInstall));

  // A fill that leaves the table empty changes nothing either.
  CleanPalmKeys();
  SetCoreText("DesktopPath", ktest::PalmFolder());
  DeleteFileA(store.c_str());
  fm->LoadConduitInfo();
  fm->ClearRemovedList();  // a missing store leaves the list as it was
  fm->FillAppList();
  EXPECT_EQ(0, ListView_GetItemCount(lv));
  EXPECT_TRUE((State{false, true, true}) == state());
}

TEST_F(MainWnd, SystemPropertiesFollowTheSelection) {
  RegisterSamples();
  Start();
  HWND lv = fm->slvSys;
  EXPECT_TRUE(IsWindowEnabled(fm->sbtnSysProp));
  EnableWindow(fm->sbtnSysProp, FALSE);
  SetSelected(lv, 2, true);  // single selection: row 0 loses it, row 2 takes it
  EXPECT_TRUE(IsWindowEnabled(fm->sbtnSysProp));
  SetSelected(lv, 2, false);  // the changed row is not selected any more: no update
  EXPECT_TRUE(IsWindowEnabled(fm->sbtnSysProp));
}

// ---- Layout, menu, skin ------------------------------------------------------------------------

TEST_F(MainWnd, LayoutMenuAndHiddenButtons) {
  WritePrivateProfileStringA("Kestrin", "SkinType", "3", ini.c_str());
  Start();
  HWND w = fm->hwnd();
  char text[100];
  GetWindowTextA(w, text, sizeof text);
  EXPECT_STREQ("Kestrin - Install/Uninstall Palm Conduits", text);
  RECT rc;
  GetClientRect(w, &rc);
  EXPECT_EQ(794, rc.right);
  EXPECT_EQ(594, rc.bottom);

  std::vector<std::string> menu;
  HMENU bar = GetMenu(w);
  for (int i = 0; i < GetMenuItemCount(bar); ++i) {
    GetMenuStringA(bar, i, text, sizeof text, MF_BYPOSITION);
    std::string line = std::string(text) + ":";
    HMENU sub = GetSubMenu(bar, i);
    for (int j = 0; j < GetMenuItemCount(sub); ++j) {
      GetMenuStringA(sub, j, text, sizeof text, MF_BYPOSITION);
      line += std::string(" ") + (text[0] ? text : "-");
    }
    menu.push_back(line);
  }
  const std::vector<std::string> wantMenu = {
      "&File: &Backup Current Settings &Restore Settings - E&xit",
      "&View: &Refresh",
      "Hot&Sync: &Run HotSync Manager &Customize",
      "&Tools: &Report Install/Uninstall &Log &Check Conduits &Options",
      "&Help: &Content Kestrin &Home Page - &About Kestrin"};
  EXPECT_EQ(wantMenu, menu);

  for (HWND b : {fm->sbtnReport, fm->sbtnHotSync, fm->sbtnCustom, fm->sbtnLog}) {
    EXPECT_FALSE(IsWindowVisible(b));
  }
  for (HWND b : {fm->sbtnBackup, fm->sbtnRestoreCond, fm->sbtnSkin, fm->sbtnRefresh, fm->sbtnClose,
                 fm->sbtnHelp, fm->sbtnExit, fm->sbtnInstall, fm->sbtnUninst, fm->sbtnRestore,
                 fm->sbtnAppProp, fm->sbtnSysProp}) {
    EXPECT_TRUE(IsWindowVisible(b));
    RECT r;
    GetWindowRect(b, &r);
    EXPECT_EQ(80, r.right - r.left);
    EXPECT_EQ(27, r.bottom - r.top);
  }
  EXPECT_EQ(160, ListView_GetColumnWidth(fm->slvSys, 0));
  EXPECT_EQ(80, ListView_GetColumnWidth(fm->slvSys, 1));
  EXPECT_EQ(300, ListView_GetColumnWidth(fm->slvSys, 2));
  EXPECT_EQ(0, GetWindowLongA(fm->slvApp, GWL_STYLE) & LVS_SINGLESEL);
  EXPECT_NE(0, GetWindowLongA(fm->slvSys, GWL_STYLE) & LVS_SINGLESEL);
  EXPECT_EQ(3, ImageList_GetImageCount(fm->ilCond.get()));

  // The stored skin reached every listed component.
  EXPECT_EQ(kui::Theme::WinXP, fm->tmMain.GetTheme());
  EXPECT_EQ(fm->tmMain.Components(), fm->tmMain.Themed());
  kui::Theme t;
  ASSERT_TRUE(kui::ThemeManager::GetComponentTheme(fm->sbtnRestoreCond, t));
  EXPECT_EQ(kui::Theme::WinXP, t);

  // The link opens the home page.
  SendMessageA(w, WM_COMMAND, MAKEWPARAM(IDC_LBL_WEB, STN_CLICKED),
               reinterpret_cast<LPARAM>(fm->lblWeb));
  ASSERT_EQ(1u, opened.size());
  EXPECT_NE(std::string::npos, opened[0].find("/kestrin/index.htm"));
}

TEST_F(MainWnd, UnknownSkinKeepsTheDesignTheme) {
  WritePrivateProfileStringA("Kestrin", "SkinType", "7", ini.c_str());
  Start();
  EXPECT_EQ(kui::Theme::BlueGlass, fm->tmMain.GetTheme());
  EXPECT_TRUE(fm->tmMain.Themed().empty());
}

// ---- The window procedure keeps exceptions inside ---------------------------------------------

class Throwing : public kui::Window {
 public:
  bool Make() {
    RegisterClassOnce("KestrinTestThrowing", nullptr);
    return CreateWnd(0, "KestrinTestThrowing", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr) != nullptr;
  }

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_APP) throw std::runtime_error("handler failed");
    return DefProc(msg, wp, lp);
  }
};

TEST_F(MainWnd, ExceptionInAHandlerIsShownAndTheWindowStays) {
  Throwing w;
  ASSERT_TRUE(w.Make());
  SendMessageA(w.hwnd(), WM_APP, 0, 0);
  ASSERT_EQ(1u, shown.size());
  EXPECT_EQ("handler failed", shown[0].text);
  EXPECT_EQ("Orlenta Kestrin", shown[0].caption);
  EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), shown[0].icon);
  EXPECT_TRUE(IsWindow(w.hwnd()));
}

}  // namespace

namespace {

// One key through the dialog manager, as the message loop hands it over.
bool Key(HWND main, UINT msg, WPARAM key, bool alt) {
  MSG m{};
  m.hwnd = GetFocus();
  m.message = msg;
  m.wParam = key;
  m.lParam = 1 | (alt ? (1 << 29) : 0);
  return kui::DialogKeys(main, m);
}

TEST_F(MainWnd, TabAndSharedMnemonicsMoveTheFocus) {
  Start();
  SetForegroundWindow(fm->hwnd());
  SetFocus(fm->slvApp);
  ASSERT_EQ(fm->slvApp, GetFocus());
  EXPECT_TRUE(Key(fm->hwnd(), WM_KEYDOWN, VK_TAB, false));
  EXPECT_EQ(fm->sbtnInstall, GetFocus());
  EXPECT_TRUE(Key(fm->hwnd(), WM_KEYDOWN, VK_TAB, false));
  EXPECT_EQ(fm->sbtnUninst, GetFocus());

  // "E&xit" stands twice: Alt+X moves between the two buttons and clicks neither.
  EXPECT_TRUE(Key(fm->hwnd(), WM_SYSCHAR, 'x', true));
  HWND first = GetFocus();
  EXPECT_TRUE(Key(fm->hwnd(), WM_SYSCHAR, 'x', true));
  HWND second = GetFocus();
  EXPECT_TRUE((first == fm->sbtnExit && second == fm->sbtnClose) ||
              (first == fm->sbtnClose && second == fm->sbtnExit));
  EXPECT_TRUE(shown.empty());  // no quit question: nothing was clicked

  // A unique mnemonic clicks: "P&roperties" takes the focus through its click (its dialog is
  // cancelled at once); a plain letter
  // does the same while a button has the focus.
  bool propsOpened = false;
  kui::SetNextModalAction(TfmCondProp::kClassName, [&](kui::ModalWindow& w) {
    propsOpened = true;
    static_cast<TfmCondProp&>(w).sbtnCancelClick();
  });
  EXPECT_TRUE(Key(fm->hwnd(), WM_SYSCHAR, 'r', true));
  EXPECT_TRUE(propsOpened);
  EXPECT_EQ(fm->sbtnSysProp, GetFocus());
  EXPECT_TRUE(Key(fm->hwnd(), WM_CHAR, 'i', false));
  EXPECT_EQ(fm->sbtnInstall, GetFocus());
  // A disabled button's mnemonic does nothing here (the menu may take it).
  EnableWindow(fm->sbtnRestore, FALSE);
  EXPECT_FALSE(kui::HandleMnemonic(fm->hwnd(), MSG{GetFocus(), WM_SYSCHAR, 't', 1 << 29, 0, {}}));
  // Typed letters go to the table, not to the buttons.
  SetFocus(fm->slvApp);
  EXPECT_FALSE(kui::HandleMnemonic(fm->hwnd(), MSG{fm->slvApp, WM_CHAR, 'i', 1, 0, {}}));
}

// After a message box or another window the keyboard goes on where it was: the focus comes back
// to the control that had it; to the application table when that control went away meanwhile.
TEST_F(MainWnd, FocusComesBackWhenTheWindowIsActivatedAgain) {
  Start();
  HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                               nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(other);
  struct Case {
    const char* what;
    HWND had;
    bool disable;
    HWND gets;
  } cases[] = {
      {"the system table", fm->slvSys, false, fm->slvSys},
      {"a button", fm->sbtnInstall, false, fm->sbtnInstall},
      {"a button disabled meanwhile", fm->sbtnInstall, true, fm->slvApp},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetForegroundWindow(fm->hwnd());
    SetFocus(c.had);
    ASSERT_EQ(c.had, GetFocus());
    SetForegroundWindow(other);
    SetActiveWindow(other);
    ASSERT_EQ(other, GetActiveWindow());
    if (c.disable) EnableWindow(c.had, FALSE);
    SetForegroundWindow(fm->hwnd());
    SetActiveWindow(fm->hwnd());
    EXPECT_EQ(c.gets, GetFocus());
    EnableWindow(c.had, TRUE);
  }
  DestroyWindow(other);
}

}  // namespace
