// High contrast switched on and off while the windows are open: they repaint in the system's
// colours, without the skin's pictures and gradients, and go back to the skin.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "AccessWalk.h"
#include "SkinCapture.h"
#include "ui/HighContrast.h"

namespace atest {
namespace {

using skintest::Capture;
using skintest::Picture;
using skintest::RectInWindow;

class HighContrastTest : public WindowsTest {
 protected:
  void TearDown() override {
    kui::ForceHighContrast(kui::HighContrastMode::System);
    WindowsTest::TearDown();
  }
  // What a user does in the control panel, as the program hears it.
  static void Switch(HWND window, bool on) {
    kui::ForceHighContrast(on ? kui::HighContrastMode::On : kui::HighContrastMode::Off);
    SendMessageA(window, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
  }
};

// The points of the main window that show the look: a button's face away from its caption, the
// bottom panel between two buttons, the banner picture, the selected row past its text.
struct MainPoints {
  POINT button, panel, banner, selection;
};

MainPoints PointsOf(TfmMain& m) {
  const HWND top = m.hwnd();
  MainPoints p{};
  RECT b = RectInWindow(m.sbtnBackup, top);
  p.button = {b.left + 6, b.top + (b.bottom - b.top) * 3 / 4};
  RECT refresh = RectInWindow(m.sbtnRefresh, top);
  p.panel = {refresh.right + 20, (refresh.top + refresh.bottom) / 2};
  RECT banner = RectInWindow(m.imgBanner, top);
  p.banner = {(banner.left + banner.right) / 2, (banner.top + banner.bottom) / 2};
  RECT row{};
  ListView_GetItemRect(m.slvApp, 0, &row, LVIR_BOUNDS);
  RECT lv = RectInWindow(m.slvApp, top);
  POINT origin{0, 0};
  ClientToScreen(m.slvApp, &origin);
  RECT wr;
  GetWindowRect(top, &wr);
  p.selection = {origin.x - wr.left + row.right - 8, origin.y - wr.top + (row.top + row.bottom) / 2};
  EXPECT_LT(p.selection.x, lv.right);
  return p;
}

COLORREF At(const Picture& pic, POINT pt) { return pic.At(pt.x, pt.y); }

TEST_F(HighContrastTest, TheMainWindowTurnsToSystemColoursAndBack) {
  StartWithASet();
  SelectOnly({0});
  SetFocus(fm->slvApp);
  const MainPoints pts = PointsOf(*fm);
  const Picture skin = Capture(fm->hwnd());
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  // The skin's own look first, or the test would prove nothing.
  EXPECT_NE(face, At(skin, pts.button));
  EXPECT_NE(face, At(skin, pts.panel));
  EXPECT_NE(GetSysColor(COLOR_HIGHLIGHT), At(skin, pts.selection));

  Switch(fm->hwnd(), true);
  const Picture hc = Capture(fm->hwnd());
  EXPECT_EQ(face, At(hc, pts.button));
  EXPECT_EQ(face, At(hc, pts.panel));
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), At(hc, pts.banner));
  EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), At(hc, pts.selection));
  // The whole banner is plain: no picture.
  const RECT banner = RectInWindow(fm->imgBanner, fm->hwnd());
  const Picture plain = hc.Crop(banner);
  for (uint32_t v : plain.px) {
    ASSERT_EQ(GetSysColor(COLOR_WINDOW), RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF));
  }

  // The focus stays visible: a focused button shows its focus rectangle.
  const RECT b = RectInWindow(fm->sbtnBackup, fm->hwnd());
  const int ringY = b.top + 3;
  auto ringMarked = [&](const Picture& pic) {
    for (int x = b.left + 6; x < b.right - 6; ++x) {
      if (pic.At(x, ringY) != face) return true;
    }
    return false;
  };
  EXPECT_FALSE(ringMarked(hc));
  SetFocus(fm->sbtnBackup);
  EXPECT_TRUE(ringMarked(Capture(fm->hwnd())));
  SetFocus(fm->slvApp);

  Switch(fm->hwnd(), false);
  const Picture back = Capture(fm->hwnd());
  for (POINT pt : {pts.button, pts.panel, pts.banner, pts.selection}) {
    EXPECT_EQ(At(skin, pt), At(back, pt)) << pt.x << "," << pt.y;
  }
}

TEST_F(HighContrastTest, AnOpenDialogFollowsTheChange) {
  StartWithASet();
  Properties([&](TfmCondProp& d) {
    const RECT ok = RectInWindow(d.sbtnOK, d.hwnd());
    const POINT pt{ok.left + 6, ok.top + (ok.bottom - ok.top) * 3 / 4};
    // Inside the read-only box, past its text.
    const RECT file = RectInWindow(d.edtVersion, d.hwnd());
    const POINT box{file.right - 6, (file.top + file.bottom) / 2};
    const Picture skin = Capture(d.hwnd());
    EXPECT_NE(GetSysColor(COLOR_BTNFACE), skin.At(pt.x, pt.y));
    EXPECT_EQ(RGB(0xE4, 0xE4, 0xE4), skin.At(box.x, box.y));

    Switch(d.hwnd(), true);
    const Picture hc = Capture(d.hwnd());
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), hc.At(pt.x, pt.y));
    EXPECT_NE(RGB(0xE4, 0xE4, 0xE4), hc.At(box.x, box.y));

    Switch(d.hwnd(), false);
    const Picture back = Capture(d.hwnd());
    EXPECT_EQ(skin.At(pt.x, pt.y), back.At(pt.x, pt.y));
    EXPECT_EQ(skin.At(box.x, box.y), back.At(box.x, box.y));
  });
}

// A window opened while high contrast is on draws in system colours from the start.
TEST_F(HighContrastTest, WindowsOpenedDuringHighContrastStartInSystemColours) {
  StartWithASet();
  kui::ForceHighContrast(kui::HighContrastMode::On);
  auto expectFace = [](HWND top, HWND button) {
    const RECT r = RectInWindow(button, top);
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), Capture(top).At(r.left + 6, r.top + (r.bottom - r.top) * 3 / 4));
  };
  Backup([&](TfmBackup& d) { expectFace(d.hwnd(), d.btnCancel); });
  Options([&](TfmSkin& d) { expectFace(d.hwnd(), d.btnFont); });
  About([&](TfmAbout& d) {
    const RECT r = RectInWindow(d.urlHome, d.hwnd());
    const Picture pic = Capture(d.hwnd());
    bool link = false;  // some of the caption's pixels are in the link colour
    for (int y = r.top; y < r.bottom && !link; ++y) {
      for (int x = r.left; x < r.right && !link; ++x) link = pic.At(x, y) == GetSysColor(COLOR_HOTLIGHT);
    }
    EXPECT_TRUE(link);
  });
}

TEST(HighContrastSwitch, OnlyTheWholeWordForcesIt) {
  struct Case {
    const char* line;
    bool on;
  } cases[] = {
      {"/highcontrast", true},     {"/HighContrast /dpi=144", true}, {"/dpi=96 /highcontrast", true},
      {"/highcontrast=1", false},  {"x/highcontrast", false},        {"/high", false},
      {"", false},                 {nullptr, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line ? c.line : "(null)");
    EXPECT_EQ(c.on, kui::HighContrastFromCommandLine(c.line));
  }
}

}  // namespace
}  // namespace atest
