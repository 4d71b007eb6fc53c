// HotSync, Custom, Help, the home page and the About box, reached from the main window's menu.
#include <windows.h>

#include <string>

#include "AboutForm.h"
#include "DialogsFixture.h"
#include "misc/WinUtil.h"
#include "palm/PalmLibs.h"
#include "ui/LinkLabel.h"

namespace dtest {
namespace {

using itest::Click;
using itest::Text;

int g_customCalls = 0;
size_t g_openedAtCall = 0;
std::vector<std::string>* g_opened = nullptr;

int WINAPI FakeCustomDlg() {
  ++g_customCalls;
  g_openedAtCall = g_opened ? g_opened->size() : 0;
  return 0;
}

class CommandsTest : public DialogsTest {
 protected:
  void TearDown() override {
    g_opened = nullptr;
    DialogsTest::TearDown();
  }
};

TEST_F(CommandsTest, MenuCommandsHandTheirTargetsToTheShell) {
  Start();
  const std::string program = dir.path();
  struct Case {
    const char* name;
    int command;
    int custom;  // 1: HsDisplayCustomDlg bound (to the fake), 0: not bound, -1: left as it is
    std::vector<std::string> opened;
    int customCalls;
  } cases[] = {
      {"Run HotSync Manager", IDM_RUNHOTSYNC, 1, {"hotsync.exe"}, 0},
      {"Customize, entry bound", IDM_CUSTOMIZE, 1, {"hotsync.exe"}, 1},
      {"Customize, entry not bound", IDM_CUSTOMIZE, 0, {"hotsync.exe"}, 0},
      {"Content", IDM_CONTENT, -1, {program + "kestrinhelp.chm"}, 0},
      {"Home Page", IDM_HOMEPAGE, -1, {std::string(kWebHost) + "/kestrin/index.htm?ref=app"}, 0},
  };
  FARPROC& entry = palm::Entry(palm::HsEntry::HsDisplayCustomDlg);
  const FARPROC bound = entry;
  ASSERT_NE(nullptr, bound);  // the stand-in exports it
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    opened.clear();
    g_opened = &opened;
    g_customCalls = 0;
    if (c.custom >= 0) entry = c.custom ? reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&FakeCustomDlg)) : nullptr;
    SendMessageA(fm->hwnd(), WM_COMMAND, MAKEWPARAM(c.command, 0), 0);
    entry = bound;
    EXPECT_EQ(c.opened, opened);
    EXPECT_EQ(c.customCalls, g_customCalls);
    if (g_customCalls) {
      EXPECT_EQ(1u, g_openedAtCall) << "HotSync is started first";
    }
  }
  // The Help button and the menu item share the handler.
  opened.clear();
  Click(fm->sbtnHelp);
  EXPECT_EQ(std::vector<std::string>{program + "kestrinhelp.chm"}, opened);
  EXPECT_TRUE(shown.empty());
}

TEST_F(CommandsTest, TheAboutBoxShowsTheVersionLinksHomeAndClosesOnOk) {
  WriteSkin(4);
  Start();
  bool closed = false;
  std::string title, label1, label2, link, address;
  SIZE size{};
  HICON icon = nullptr;
  int frameTheme = -1, okTheme = -1, labelTheme = 0;
  LOGFONTA lf1{};
  ASSERT_TRUE(RunMenuDialog(IDM_ABOUT, TfmAbout::kClassName, [&](kui::ModalWindow& w) {
    auto& d = static_cast<TfmAbout&>(w);
    title = Text(d.hwnd());
    size = ClientSize(d.hwnd());
    label1 = Text(d.Label1);
    label2 = Text(d.Label2);
    link = Text(d.urlHome);
    address = kui::LinkLabel::Address(d.urlHome);
    icon = reinterpret_cast<HICON>(SendMessageA(d.imgIcon, STM_GETICON, 0, 0));
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(d.Label1, WM_GETFONT, 0, 0)), sizeof lf1, &lf1);
    frameTheme = ThemeOf(d.hwnd());
    okTheme = ThemeOf(d.btnOK);
    labelTheme = ThemeOf(d.Label2);
    EXPECT_EQ((std::vector<std::string>{"sfAbout", "btnOK"}), d.tmAbout.Themed());
    SendMessageA(d.urlHome, WM_KEYDOWN, VK_RETURN, 0);  // the link opens the page
    EXPECT_FALSE(d.IsModalEnded());
    Click(d.btnOK);
    closed = d.IsModalEnded();
  }));
  EXPECT_EQ("About Kestrin", title);
  EXPECT_EQ(394, size.cx);
  EXPECT_EQ(219, size.cy);
  EXPECT_EQ("Orlenta Kestrin", label1);
  EXPECT_EQ(FW_BOLD, lf1.lfWeight);
  EXPECT_EQ("( version 3.3.0.1220 )", label2);
  EXPECT_EQ("Visit Kestrin homepage.", link);
  EXPECT_EQ(std::string(kWebHost) + "/kestrin/index.htm?ref=soft", address);
  EXPECT_EQ(std::vector<std::string>{address}, opened);
  EXPECT_NE(nullptr, icon);
  EXPECT_EQ(static_cast<int>(kui::Theme::Protein), frameTheme);
  EXPECT_EQ(static_cast<int>(kui::Theme::Protein), okTheme);
  EXPECT_EQ(-1, labelTheme);
  EXPECT_TRUE(closed);
  EXPECT_TRUE(shown.empty());
}

}  // namespace
}  // namespace dtest
