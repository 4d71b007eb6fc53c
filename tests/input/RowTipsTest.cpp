// The tips on the table rows and Tools > Check Conduits, through the real main window: the
// mouse resting on a row shows that row's diagnosis, another row another one, and the page is
// written and handed to the shell.
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "InstallFixture.h"

namespace itest {
namespace {

using ptest::Conduit;

class RowTipsTest : public InstallTest {
 protected:
  // Puts the mouse on the row as a user does and waits for the tooltip to show; the text it
  // was given, or "" when none showed within the time.
  std::string RestOn(HWND lv, int row) {
    RECT r{};
    r.left = LVIR_LABEL;
    if (!SendMessageA(lv, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r)))
      return "";
    POINT pt{r.left + 6, (r.top + r.bottom) / 2};
    const LPARAM at = MAKELPARAM(pt.x, pt.y);
    ClientToScreen(lv, &pt);
    const kui::RowTips& tips = fm->TableTips(lv);
    // Tests beside this one share the display, and a window of theirs may cover the table for a
    // moment: then the mouse comes again.
    for (int attempt = 0; attempt < 4; ++attempt) {
      SetCursorPos(pt.x, pt.y);
      // One move, then rest: every move starts the tooltip's delay again. When the delay ends
      // the tooltip checks that the cursor is on the table.
      SendMessageA(lv, WM_MOUSEMOVE, 0, at);
      const DWORD end = GetTickCount() + 1500;
      while (GetTickCount() < end) {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
          TranslateMessage(&m);
          DispatchMessageA(&m);
        }
        if (tips.Row() == row && IsWindowVisible(tips.Tooltip()) && !tips.Text().empty())
          return tips.Text();
        Sleep(50);
      }
    }
    return "";
  }
};

TEST_F(RowTipsTest, RestingOnARowShowsItsDiagnosis) {
  Register("Need", Conduit("needgone.dll"), "Needs A Runtime");
  Register("addr", Conduit("addrcond.dll"), "Address Book");
  Start();
  SetWindowPos(fm->hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  HWND app = fm->slvApp;
  const int need = RowOf("Need"), addr = RowOf("addr");
  ASSERT_GE(need, 0);
  ASSERT_GE(addr, 0);

  const std::string trouble = RestOn(app, need);
  EXPECT_NE(trouble.find("needgone.dll needs kxgone.dll"), std::string::npos) << trouble;
  // Another row: the tip goes down and comes back with that row's text.
  const std::string fine = RestOn(app, addr);
  EXPECT_NE(fine.find("addrcond.dll is in order"), std::string::npos) << fine;
  EXPECT_NE(fine.find("\"addr\""), std::string::npos) << fine;
  // The system table has tips of its own.
  ASSERT_GT(SendMessageA(fm->slvSys, LVM_GETITEMCOUNT, 0, 0), 0);
  EXPECT_FALSE(RestOn(fm->slvSys, 0).empty());

  // A list view that asks for info tips gets the same text, cut to its buffer.
  char small[16];
  NMLVGETINFOTIPA ask{};
  ask.hdr.hwndFrom = app;
  ask.hdr.idFrom = IDC_SLV_APP;
  ask.hdr.code = LVN_GETINFOTIPA;
  ask.pszText = small;
  ask.cchTextMax = sizeof small;
  ask.iItem = need;
  SendMessageA(fm->hwnd(), WM_NOTIFY, IDC_SLV_APP, reinterpret_cast<LPARAM>(&ask));
  EXPECT_EQ(std::string(small), trouble.substr(0, sizeof small - 1));
  Stop();
}

TEST_F(RowTipsTest, CheckConduitsWritesThePageAndOpensIt) {
  Register("Need", Conduit("needgone.dll"), "Needs A Runtime");
  Start();
  // The command follows the history in the Tools menu.
  HMENU tools = GetSubMenu(GetMenu(fm->hwnd()), 3);
  char before[64] = {}, item[64] = {};
  const int n = GetMenuItemCount(tools);
  for (int i = 0; i + 1 < n; ++i) {
    if (GetMenuItemID(tools, i + 1) != IDM_CHECK) continue;
    GetMenuStringA(tools, static_cast<UINT>(i), before, sizeof before, MF_BYPOSITION);
    GetMenuStringA(tools, static_cast<UINT>(i + 1), item, sizeof item, MF_BYPOSITION);
  }
  EXPECT_STREQ(before, "Install/Uninstall &Log");
  EXPECT_STREQ(item, "&Check Conduits");

  const std::string page = dir.file("condcheck.html");
  SendMessageA(fm->hwnd(), WM_COMMAND, MAKEWPARAM(IDM_CHECK, 0), 0);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(_stricmp(opened[0].c_str(), page.c_str()), 0) << opened[0];
  const std::vector<unsigned char> bytes = ktest::ReadBytes(page);
  const std::string html(bytes.begin(), bytes.end());
  EXPECT_NE(html.find("<td>Needs A Runtime</td>"), std::string::npos);
  EXPECT_NE(html.find("kxgone.dll"), std::string::npos);
  EXPECT_TRUE(shown.empty());
  Stop();
}

}  // namespace
}  // namespace itest
