// The real main window and splash: the parts that take no skin look the same in every skin,
// the themed ones differ.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "InitForm.h"
#include "MainForm.h"
#include "MainWindowStart.h"
#include "misc/WinUtil.h"
#include "SkinCapture.h"
#include "TestSupport.h"
#include "ui/MsgBox.h"

using skintest::Capture;
using skintest::Picture;
using skintest::RectInWindow;

namespace {

const char kPalmCore[] = "Software\\U.S. Robotics\\Pilot Desktop\\Core";

class MainSkin : public ::testing::Test {
 protected:
  ktest::TempDir dir{"skin_prog"};
  std::unique_ptr<TfmMain> fm;

  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\U.S. Robotics\\Pilot Desktop");
    HKEY h;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kPalmCore, 0, nullptr, 0,
                                             KEY_SET_VALUE, nullptr, &h, nullptr));
    const std::string palm = ktest::PalmFolder();
    RegSetValueExA(h, "DesktopPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(palm.c_str()),
                   static_cast<DWORD>(palm.size() + 1));
    RegCloseKey(h);
    SetProgramFolderOverride(dir.path().c_str());
    kui::SetMessageAnswerer([](const kui::MessageRequest&) { return IDYES; });
    SetShellOpener([](const char*) {});
    TfmInit::ResetRunFlags();
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    ASSERT_TRUE(ktest::StartMainWindow(fm));
  }

  void TearDown() override {
    fm.reset();
    ktest::DrainQuit();
    kui::ClearModalActions();
    kui::SetMessageAnswerer(nullptr);
    SetShellOpener(nullptr);
    SetProgramFolderOverride(nullptr);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\U.S. Robotics\\Pilot Desktop");
  }

  // The main window in skin n, as the Options command leaves it.
  Picture InSkin(uint32_t n) {
    fm->m_Settings.nSkinType = n;
    ApplySkin(&fm->tmMain);
    SetFocus(fm->slvApp);
    return Capture(fm->hwnd());
  }
};

// A panel without the buttons standing on it.
Picture PanelWithoutButtons(const Picture& p, RECT panel, std::vector<RECT> buttons) {
  Picture out = p.Crop(panel);
  for (const RECT& b : buttons) {
    for (int y = b.top; y < b.bottom; ++y) {
      for (int x = b.left; x < b.right; ++x) {
        if (x >= panel.left && x < panel.right && y >= panel.top && y < panel.bottom) {
          out.px[static_cast<size_t>(y - panel.top) * out.w + (x - panel.left)] = 0;
        }
      }
    }
  }
  return out;
}

TEST_F(MainSkin, PanelsGroupBoxesAndLinkTakeNoSkinButtonsAndTablesDo) {
  HWND w = fm->hwnd();
  RECT client;
  GetClientRect(w, &client);
  POINT o{0, 0};
  ClientToScreen(w, &o);
  RECT wr;
  GetWindowRect(w, &wr);
  const int ox = o.x - wr.left, oy = o.y - wr.top;
  const RECT top{ox, oy, ox + client.right, oy + 96};
  const RECT bottom{ox, oy + client.bottom - 90, ox + client.right, oy + client.bottom};
  std::vector<RECT> buttons;
  for (HWND b : {fm->sbtnHelp, fm->sbtnExit, fm->sbtnBackup, fm->sbtnRestoreCond, fm->sbtnSkin,
                 fm->sbtnRefresh, fm->sbtnClose}) {
    buttons.push_back(RectInWindow(b, w));
  }
  struct Fixed {
    const char* what;
    RECT r;
  };
  const RECT gbApp = RectInWindow(fm->gbApp, w);
  const Fixed fixed[] = {{"link label", RectInWindow(fm->lblWeb, w)},
                         {"application group caption", RECT{gbApp.left, gbApp.top, gbApp.left + 150, gbApp.top + 14}},
                         {"system group box", RectInWindow(fm->gbSys, w)}};

  std::vector<Picture> shots;
  for (uint32_t n = 0; n < 5; ++n) shots.push_back(InSkin(n));
  for (uint32_t n = 1; n < 5; ++n) {
    EXPECT_EQ(PanelWithoutButtons(shots[0], top, buttons), PanelWithoutButtons(shots[n], top, buttons))
        << "top panel, skin " << n;
    EXPECT_EQ(PanelWithoutButtons(shots[0], bottom, buttons),
              PanelWithoutButtons(shots[n], bottom, buttons))
        << "bottom panel, skin " << n;
    EXPECT_EQ(shots[0].Crop(fixed[0].r), shots[n].Crop(fixed[0].r)) << fixed[0].what << ", skin " << n;
    EXPECT_EQ(shots[0].Crop(fixed[1].r), shots[n].Crop(fixed[1].r)) << fixed[1].what << ", skin " << n;
  }
  // The system group box holds a themed table and button: only its caption strip is fixed.
  const RECT gbSys = fixed[2].r;
  const RECT sysCaption{gbSys.left, gbSys.top, gbSys.left + 130, gbSys.top + 14};
  for (uint32_t n = 1; n < 5; ++n) {
    EXPECT_EQ(shots[0].Crop(sysCaption), shots[n].Crop(sysCaption)) << "system group caption, skin " << n;
  }
  // Themed: a bottom button, the application table, the title bar: five different pictures.
  const RECT caption{0, 0, wr.right - wr.left, oy};
  for (const RECT& r : {RectInWindow(fm->sbtnBackup, w), RectInWindow(fm->slvApp, w), caption}) {
    for (uint32_t a = 0; a < 5; ++a) {
      for (uint32_t b = a + 1; b < 5; ++b) EXPECT_NE(shots[a].Crop(r), shots[b].Crop(r)) << a << " vs " << b;
    }
  }
  // A number outside 0..4 leaves the window as it was.
  EXPECT_EQ(shots[4], InSkin(7));
}

TEST_F(MainSkin, SplashLooksTheSameInEverySkin) {
  std::vector<Picture> shots;
  for (uint32_t n : {0u, 1u, 2u, 3u, 4u, 7u}) {
    fm->m_Settings.nSkinType = n;
    ApplySkin(&fm->tmMain);
    TfmInit splash;
    ASSERT_TRUE(splash.Create(fm->hwnd()));
    ShowWindow(splash.hwnd(), SW_SHOWNOACTIVATE);
    shots.push_back(Capture(splash.hwnd()));
    KillTimer(splash.hwnd(), 1);
  }
  for (size_t i = 1; i < shots.size(); ++i) EXPECT_EQ(shots[0], shots[i]) << "skin case " << i;
  // Its group box is drawn (Deep Blue lines on the blue face), not left to the system.
  kui::Theme t;
  TfmInit splash;
  ASSERT_TRUE(splash.Create(fm->hwnd()));
  ASSERT_TRUE(kui::ThemeManager::GetComponentTheme(splash.gbInit, t));
  EXPECT_EQ(kui::Theme::DeepBlue, t);
  KillTimer(splash.hwnd(), 1);
}

}  // namespace
