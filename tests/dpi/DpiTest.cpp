// The windows at 96, 144 and 192 DPI (forced, as the /dpi=N switch forces it): every size of the
// 96-DPI layout grows by the same factor, fonts and the frame's title and menu bars with it, and
// pictures are drawn from the rendering made for the scale.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../skin/SkinCapture.h"
#include "BackupForm.h"
#include "CondProp.h"
#include "ForcedDpi.h"
#include "InitForm.h"
#include "MainForm.h"
#include "MainWindowStart.h"
#include "misc/WinUtil.h"
#include "TestSupport.h"
#include "ui/MsgBox.h"
#include "ui/Pictures.h"
#include "ui/resource.h"
#include "ui/SkinFrame.h"

namespace {

const char kPalmRoot[] = "Software\\U.S. Robotics\\Pilot Desktop";
const int kDpis[] = {96, 144, 192};

// ---- The switch --------------------------------------------------------------------------------

TEST(DpiSwitch, OnlyDpiEqualsAWholeNumberInRangeForcesTheDpi) {
  const struct {
    const char* line;
    int dpi;
  } cases[] = {{"", 0},
               {"/dpi=144", 144},
               {"/DPI=192", 192},
               {"  other /dpi=120 words", 120},
               {"/dpi=72", 72},
               {"/dpi=480", 480},
               {"/dpi=71", 0},
               {"/dpi=481", 0},
               {"/dpi=99999999999999", 0},
               {"/dpi=", 0},
               {"/dpi=14x", 0},
               {"/dpi=-96", 0},
               {"/dpi:144", 0},
               {"x/dpi=144", 0}};
  for (const auto& c : cases) EXPECT_EQ(c.dpi, kui::DpiFromCommandLine(c.line)) << c.line;
  EXPECT_EQ(0, kui::DpiFromCommandLine(nullptr));

  // Out of range leaves the forced DPI as it was; 0 goes back to the screen's.
  ktest::ForcedDpi forced(144);
  kui::SetDpiOverride(1000);
  EXPECT_EQ(144, kui::Dpi());
  kui::SetDpiOverride(0);
  EXPECT_EQ(kui::SystemDpi(), kui::Dpi());
}

// ---- Measuring ----------------------------------------------------------------------------------

// A rectangle in its parent's client coordinates.
RECT InParent(HWND h) {
  RECT r;
  GetWindowRect(h, &r);
  MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

SIZE ClientSize(HWND h) {
  RECT r;
  GetClientRect(h, &r);
  return SIZE{r.right, r.bottom};
}

int FontHeight(HWND h) {
  LOGFONTA lf{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0)), sizeof lf, &lf);
  return lf.lfHeight;
}

// What one window shows at one DPI, as numbers that all grow with the DPI.
struct Measures {
  std::vector<RECT> rects;
  std::vector<int> lengths;  // column widths, font heights, bar heights, picture sizes
};

// `got` at `dpi` against `at96`: each number times dpi / 96, give or take a pixel.
void ExpectScaled(const Measures& at96, const Measures& got, int dpi) {
  auto expect = [dpi](int v96, int v, const std::string& what) {
    EXPECT_NEAR(MulDiv(v96, dpi, 96), v, 1) << what << " (" << v96 << " at 96 DPI)";
  };
  ASSERT_EQ(at96.rects.size(), got.rects.size());
  ASSERT_EQ(at96.lengths.size(), got.lengths.size());
  for (size_t i = 0; i < got.rects.size(); ++i) {
    const RECT &a = at96.rects[i], &b = got.rects[i];
    const std::string what = "rectangle " + std::to_string(i);
    expect(a.left, b.left, what + " left");
    expect(a.top, b.top, what + " top");
    expect(a.right, b.right, what + " right");
    expect(a.bottom, b.bottom, what + " bottom");
  }
  for (size_t i = 0; i < got.lengths.size(); ++i) {
    expect(at96.lengths[i], got.lengths[i], "length " + std::to_string(i));
  }
}

// The title bar and menu bar heights of a skinned frame, and its close button's size.
void AddFrame(Measures& m, HWND h) {
  kui::Theme t = kui::Theme::BlueGlass;
  ASSERT_TRUE(kui::SkinFrame::AttachedTheme(h, t));
  const kui::SkinFrame::Layout l = kui::SkinFrame::GetLayout(h, t);
  m.lengths.push_back(l.caption.bottom - l.client.left);  // title bar below the top border
  if (l.hasMenu) m.lengths.push_back(l.menuBar.bottom - l.menuBar.top);
  m.lengths.push_back(l.closeButton.right - l.closeButton.left);
}

// ---- The program's windows ----------------------------------------------------------------------

class DpiWindows : public ::testing::Test {
 protected:
  ktest::TempDir dir{"dpi_prog"};
  std::unique_ptr<TfmMain> fm;

  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, kPalmRoot);
    HKEY h;
    const std::string core = std::string(kPalmRoot) + "\\Core";
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, core.c_str(), 0, nullptr, 0,
                                             KEY_SET_VALUE, nullptr, &h, nullptr));
    const std::string palm = ktest::PalmFolder();
    RegSetValueExA(h, "DesktopPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(palm.c_str()),
                   static_cast<DWORD>(palm.size() + 1));
    RegCloseKey(h);
    SetProgramFolderOverride(dir.path().c_str());
    kui::SetMessageAnswerer([](const kui::MessageRequest&) { return IDYES; });
    SetShellOpener([](const char*) {});
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
  }

  void TearDown() override {
    Stop();
    kui::ClearModalActions();
    kui::SetMessageAnswerer(nullptr);
    SetShellOpener(nullptr);
    SetProgramFolderOverride(nullptr);
    RegDeleteTreeA(HKEY_CURRENT_USER, kPalmRoot);
  }

  void Start() {
    TfmInit::ResetRunFlags();
    ASSERT_TRUE(ktest::StartMainWindow(fm));
  }

  void Stop() {
    fm.reset();
    ktest::DrainQuit();
  }

  Measures MainWindow() {
    Measures m;
    for (HWND h : {fm->imgBanner, fm->lblWeb, fm->sbtnExit, fm->gbApp, fm->slvApp,
                   fm->sbtnInstall, fm->sbtnAppProp, fm->slvSys, fm->sbtnSysProp,
                   fm->sbtnBackup, fm->sbtnClose}) {
      m.rects.push_back(InParent(h));
    }
    for (int c = 0; c < 3; ++c) m.lengths.push_back(ListView_GetColumnWidth(fm->slvApp, c));
    m.lengths.push_back(FontHeight(fm->sbtnInstall));
    m.lengths.push_back(FontHeight(fm->slvApp));
    int cx = 0, cy = 0;
    ImageList_GetIconSize(fm->ilCond.get(), &cx, &cy);
    m.lengths.push_back(cx);
    m.lengths.push_back(cy);
    AddFrame(m, fm->hwnd());
    return m;
  }

  static Measures Properties(TfmCondProp& d) {
    Measures m;
    for (HWND h : {d.gbSync, d.edtCreatorID, d.sbtnCreatorID, d.edtDirectory, d.gbMisc,
                   d.edtVersion, d.sbtnOK, d.sbtnCancel}) {
      m.rects.push_back(InParent(h));
    }
    m.lengths.push_back(FontHeight(d.edtDirectory));
    AddFrame(m, d.hwnd());
    return m;
  }

  static Measures Backup(TfmBackup& d) {
    Measures m;
    for (HWND h : {d.rbtnNew, d.edtNewFile, d.edtDesc, d.lvFile, d.btnOK, d.btnCancel}) {
      m.rects.push_back(InParent(h));
    }
    for (int c = 0; c < 3; ++c) m.lengths.push_back(ListView_GetColumnWidth(d.lvFile, c));
    m.lengths.push_back(FontHeight(d.lvFile));
    AddFrame(m, d.hwnd());
    return m;
  }
};

TEST_F(DpiWindows, EveryWindowKeepsItsProportionsAtEachDpi) {
  // The client areas the layout asks for, exactly.
  const struct {
    int dpi;
    SIZE main, splash, properties, backup;
  } sizes[] = {{96, {794, 594}, {425, 187}, {376, 404}, {462, 319}},
               {144, {1191, 891}, {638, 281}, {564, 606}, {693, 479}},
               {192, {1588, 1188}, {850, 374}, {752, 808}, {924, 638}}};
  Measures main96, props96, backup96;
  for (const auto& c : sizes) {
    SCOPED_TRACE("DPI " + std::to_string(c.dpi));
    ktest::ForcedDpi forced(c.dpi);
    {
      TfmInit splash;
      ASSERT_TRUE(splash.Create(nullptr));
      const SIZE s = ClientSize(splash.hwnd());
      EXPECT_EQ(c.splash.cx, s.cx);
      EXPECT_EQ(c.splash.cy, s.cy);
    }
    Start();
    SIZE s = ClientSize(fm->hwnd());
    EXPECT_EQ(c.main.cx, s.cx);
    EXPECT_EQ(c.main.cy, s.cy);
    const Measures main = MainWindow();

    TfmCondProp props;
    ASSERT_TRUE(props.Create(fm->hwnd()));
    s = ClientSize(props.hwnd());
    EXPECT_EQ(c.properties.cx, s.cx);
    EXPECT_EQ(c.properties.cy, s.cy);
    const Measures prop = Properties(props);

    TfmBackup backup;
    ASSERT_TRUE(backup.Create(fm->hwnd()));
    s = ClientSize(backup.hwnd());
    EXPECT_EQ(c.backup.cx, s.cx);
    EXPECT_EQ(c.backup.cy, s.cy);
    const Measures back = Backup(backup);

    if (c.dpi == 96) {
      main96 = main;
      props96 = prop;
      backup96 = back;
    } else {
      ExpectScaled(main96, main, c.dpi);
      ExpectScaled(props96, prop, c.dpi);
      ExpectScaled(backup96, back, c.dpi);
    }
    DestroyWindow(backup.hwnd());
    DestroyWindow(props.hwnd());
    Stop();
  }
}

TEST_F(DpiWindows, TheBannerIsDrawnFromItsRenderingUnstretched) {
  for (int dpi : kDpis) {
    SCOPED_TRACE("DPI " + std::to_string(dpi));
    ktest::ForcedDpi forced(dpi);
    Start();
    HBITMAP bmp = kui::LoadPicture(IDB_BANNER);
    ASSERT_NE(nullptr, bmp);
    BITMAP bm{};
    GetObjectA(bmp, sizeof bm, &bm);
    // The picture made for this DPI fills the banner's place exactly...
    const RECT r = skintest::RectInWindow(fm->imgBanner, fm->hwnd());
    EXPECT_EQ(bm.bmWidth, r.right - r.left);
    EXPECT_EQ(bm.bmHeight, r.bottom - r.top);
    EXPECT_EQ(MulDiv(340, dpi, 96), bm.bmWidth);
    // ...and is what the window shows there, pixel for pixel.
    const skintest::Picture shown = skintest::Capture(fm->hwnd()).Crop(r);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP copy = CreateCompatibleBitmap(screen, bm.bmWidth, bm.bmHeight);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(mem, copy);
    kui::DrawPicture(mem, RECT{0, 0, bm.bmWidth, bm.bmHeight}, bmp);
    int differ = 0;
    for (int y = 0; y < bm.bmHeight; ++y) {
      for (int x = 0; x < bm.bmWidth; ++x) differ += GetPixel(mem, x, y) != shown.At(x, y);
    }
    EXPECT_EQ(0, differ);
    SelectObject(mem, old);
    DeleteObject(copy);
    DeleteDC(mem);
    DeleteObject(bmp);
    Stop();
  }
}

// ---- The frame on a form of its own -------------------------------------------------------------

std::vector<HMENU> g_popups;

LRESULT CALLBACK FormProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITMENUPOPUP) {
    g_popups.push_back(reinterpret_cast<HMENU>(wp));
    EndMenu();  // enough to know which menu opened
    return 0;
  }
  return DefWindowProcA(h, msg, wp, lp);
}

TEST(DpiFrame, TitleAndMenuBarsScaleAndTheMouseAndKeysFindWhatIsDrawn) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = FormProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "KestrinDpiTestForm";
  RegisterClassA(&wc);
  Measures at96;
  for (int dpi : kDpis) {
    SCOPED_TRACE("DPI " + std::to_string(dpi));
    ktest::ForcedDpi forced(dpi);
    HMENU bar = CreateMenu();
    const char* names[] = {"&File", "&View", "&Help"};
    for (const char* name : names) {
      HMENU sub = CreatePopupMenu();
      AppendMenuA(sub, MF_STRING, 100, "&Item");
      AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), name);
    }
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    RECT wr = kui::CentredWindowRect(kui::Scale(300), kui::Scale(200), style, 0, true);
    HWND form = CreateWindowExA(0, wc.lpszClassName, "DPI test", style, wr.left, wr.top,
                                wr.right - wr.left, wr.bottom - wr.top, nullptr, bar,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, form);
    kui::ThemeManager::ApplyFixedTheme(form, kui::Theme::Protein);
    ShowWindow(form, SW_SHOWNOACTIVATE);

    // The client area is the one asked for: the taller frame went outside it.
    const SIZE client = ClientSize(form);
    EXPECT_EQ(kui::Scale(300), client.cx);
    EXPECT_EQ(kui::Scale(200), client.cy);
    Measures m;
    AddFrame(m, form);
    const kui::SkinFrame::Layout l = kui::SkinFrame::GetLayout(form, kui::Theme::Protein);
    // The bars sit on top of each other and of the client area.
    EXPECT_EQ(l.caption.bottom, l.menuBar.top);
    EXPECT_EQ(l.menuBar.bottom, l.client.top);

    // Each item is drawn where the mouse finds it: a press on its middle opens its own menu.
    GetWindowRect(form, &wr);
    ASSERT_EQ(3u, l.menuItems.size());
    for (int i = 0; i < 3; ++i) {
      const RECT& item = l.menuItems[static_cast<size_t>(i)];
      m.lengths.push_back(item.left - l.menuBar.left);
      m.lengths.push_back(item.right - item.left);
      const LPARAM middle = MAKELPARAM(wr.left + (item.left + item.right) / 2,
                                       wr.top + (item.top + item.bottom) / 2);
      EXPECT_EQ(HTMENU, SendMessageA(form, WM_NCHITTEST, 0, middle)) << "item " << i;
      g_popups.clear();
      SendMessageA(form, WM_NCLBUTTONDOWN, HTMENU, middle);
      ASSERT_EQ(1u, g_popups.size()) << "item " << i;
      EXPECT_EQ(GetSubMenu(bar, i), g_popups.front()) << "item " << i;
    }
    if (dpi == 96) {
      at96 = m;
    } else {
      ExpectScaled(at96, m, dpi);
    }
    // The title bar answers as caption where the system would put its menu bar.
    const POINT title{wr.left + (l.caption.left + l.caption.right) / 2,
                      wr.top + l.caption.bottom - 2};
    EXPECT_EQ(HTCAPTION, SendMessageA(form, WM_NCHITTEST, 0, MAKELPARAM(title.x, title.y)));
    // A menu key opens its menu.
    g_popups.clear();
    SendMessageA(form, WM_SYSCOMMAND, SC_KEYMENU, 'h');
    ASSERT_FALSE(g_popups.empty());
    EXPECT_EQ(GetSubMenu(bar, 2), g_popups.front());
    DestroyWindow(form);
  }
}

}  // namespace
