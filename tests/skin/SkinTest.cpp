// The skinned control set on a small form of its own: every theme paints the controls its own
// way, the text stays readable, and the controls behave as before.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "misc/WinUtil.h"
#include "SkinCapture.h"
#include "ui/LinkLabel.h"
#include "ui/Mnemonic.h"
#include "ui/SkinControls.h"
#include "ui/SkinFrame.h"
#include "ui/SkinPalette.h"
#include "ui/ThemeManager.h"

using kui::Theme;
using skintest::Capture;
using skintest::Picture;

namespace {

const Theme kThemes[] = {Theme::BlueGlass, Theme::DeepBlue, Theme::MacOS, Theme::WinXP,
                         Theme::Protein};
enum { IDC_BTN = 10, IDC_RADIO, IDC_GROUP, IDC_EDIT, IDC_LIST, IDC_LINK, IDM_OPEN = 100 };

// What the form's window procedure saw.
struct Seen {
  std::vector<int> clicks;       // control ids of BN_CLICKED / STN_CLICKED
  int itemChanges = 0;           // LVN_ITEMCHANGED
  std::vector<HMENU> popups;     // WM_INITMENUPOPUP
};
Seen g_seen;

LRESULT CALLBACK FormProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (lp && (HIWORD(wp) == BN_CLICKED)) g_seen.clicks.push_back(LOWORD(wp));
      return 0;
    case WM_NOTIFY:
      if (reinterpret_cast<NMHDR*>(lp)->code == LVN_ITEMCHANGED) ++g_seen.itemChanges;
      break;
    case WM_INITMENUPOPUP:
      g_seen.popups.push_back(reinterpret_cast<HMENU>(wp));
      EndMenu();  // the test only needs to know the menu opened
      return 0;
    default:
      break;
  }
  return DefWindowProcA(h, msg, wp, lp);
}

class Skin : public ::testing::Test {
 protected:
  HWND form = nullptr, btn = nullptr, radio = nullptr, group = nullptr, edit = nullptr,
       list = nullptr, link = nullptr;
  HMENU menu = nullptr;
  HFONT font = nullptr;
  kui::ThemeManager tm{{"sfForm", "sbtn", "rbtn", "gb", "edt", "lv"}, Theme::BlueGlass};

  void SetUp() override {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    g_seen = Seen{};
    WNDCLASSA wc{};
    wc.lpfnWndProc = FormProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "KestrinSkinTestForm";
    RegisterClassA(&wc);
    menu = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, IDM_OPEN, "&Open");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    form = CreateWindowExA(WS_EX_CONTROLPARENT, "KestrinSkinTestForm", "Skin test",
                           WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 20, 20, 420, 330, nullptr,
                           menu, GetModuleHandleA(nullptr), nullptr);
    // Bold and without smoothing: the rendered text has pixels of the text colour itself.
    font = CreateFontA(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                       NONANTIALIASED_QUALITY, 0, "Tahoma");
    auto child = [&](const char* cls, const char* text, DWORD style, int x, int y, int w, int hh,
                     int id) {
      HWND c = CreateWindowExA(cls == std::string("EDIT") ? WS_EX_CLIENTEDGE : 0, cls, text,
                               WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, x, y, w, hh, form,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleA(nullptr), nullptr);
      SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
      return c;
    };
    btn = child("BUTTON", "&Install", WS_TABSTOP | BS_PUSHBUTTON, 10, 10, 80, 27, IDC_BTN);
    radio = child("BUTTON", "&Blue Glass", WS_TABSTOP | BS_AUTORADIOBUTTON, 100, 14, 120, 20, IDC_RADIO);
    edit = child("EDIT", "text", WS_TABSTOP | ES_AUTOHSCROLL, 230, 12, 160, 22, IDC_EDIT);
    group = child("BUTTON", " Group ", BS_GROUPBOX, 10, 44, 390, 60, IDC_GROUP);
    list = child(WC_LISTVIEWA, "", WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS, 10, 112,
                 390, 120, IDC_LIST);
    link = kui::LinkLabel::Create(form, "Web site", IDC_LINK, 10, 240, 120, 18);
    SendMessageA(link, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    const char* cols[] = {"Name", "Creator ID"};
    for (int i = 0; i < 2; ++i) {
      LVCOLUMNA c{};
      c.mask = LVCF_TEXT | LVCF_WIDTH;
      c.pszText = const_cast<char*>(cols[i]);
      c.cx = 150;
      SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&c));
    }
    for (int i = 0; i < 3; ++i) {
      std::string name = "Conduit " + std::to_string(i);
      LVITEMA it{};
      it.mask = LVIF_TEXT;
      it.iItem = i;
      it.pszText = const_cast<char*>(name.c_str());
      SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it));
    }
    Select(1);
    SetWindowPos(group, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    for (auto n : {std::make_pair("sfForm", form), std::make_pair("sbtn", btn),
                   std::make_pair("rbtn", radio), std::make_pair("gb", group),
                   std::make_pair("edt", edit), std::make_pair("lv", list)}) {
      tm.RegisterComponent(n.first, n.second);
    }
    ShowWindow(form, SW_SHOWNOACTIVATE);
    UpdateWindow(form);
    g_seen = Seen{};
  }

  void TearDown() override {
    DestroyWindow(form);
    DeleteObject(font);
    SetShellOpener(nullptr);
  }

  void Select(int row) {
    LVITEMA st{};
    st.stateMask = LVIS_SELECTED;
    st.state = LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&st));
  }

  Picture Part(HWND ctl) {
    Picture all = Capture(form);
    return all.Crop(skintest::RectInWindow(ctl, form));
  }
};

// ---- Every theme its own look; the skin reaches the listed components only -------------------

TEST_F(Skin, EachThemePaintsEachComponentItsOwnWay) {
  struct Component {
    const char* what;
    HWND ctl;
  };
  const Component parts[] = {{"frame and title bar", form}, {"button", btn},
                             {"radio button", radio},       {"group box", group},
                             {"edit", edit},                {"table with a selected row", list}};
  for (const Component& part : parts) {
    std::vector<Picture> seen;
    for (Theme t : kThemes) {
      tm.SetTheme(t);
      HWND h = part.ctl;
      Picture p = h == form ? Capture(form) : Part(h);
      for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_NE(seen[i], p) << part.what << ": " << kui::ThemeName(t) << " looks like "
                              << kui::ThemeName(kThemes[i]);
      }
      seen.push_back(p);
    }
  }
  // The link label is not in the list: it looks the same in every skin.
  tm.SetTheme(Theme::BlueGlass);
  Picture first = Part(link);
  for (Theme t : kThemes) {
    tm.SetTheme(t);
    EXPECT_EQ(first, Part(link)) << kui::ThemeName(t);
  }
}

TEST_F(Skin, ButtonStatesAndFocusAreVisible) {
  tm.SetTheme(Theme::WinXP);
  SetFocus(edit);
  const Picture normal = Part(btn);
  SetFocus(btn);
  const Picture focused = Part(btn);
  EXPECT_NE(normal, focused) << "focus not drawn";
  SendMessageA(btn, BM_SETSTATE, TRUE, 0);
  const Picture pressed = Part(btn);
  SendMessageA(btn, BM_SETSTATE, FALSE, 0);
  EXPECT_NE(focused, pressed);
  SetFocus(edit);
  EnableWindow(btn, FALSE);
  const Picture disabled = Part(btn);
  EnableWindow(btn, TRUE);
  EXPECT_NE(normal, disabled);
  // The focused edit and the focused table show it too.
  const Picture editFocused = Part(edit);
  SetFocus(btn);
  EXPECT_NE(editFocused, Part(edit));
}

// ---- Contrast ---------------------------------------------------------------------------------

// Disabled buttons are held to 4.5:1 as well: they still name a command the user may look for.
TEST(SkinContrast, ThemeColoursKeepTextReadable) {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const COLORREF tableText = GetSysColor(COLOR_WINDOWTEXT);
  for (Theme t : kThemes) {
    const kui::Palette& p = kui::PaletteOf(t);
    struct Pair {
      const char* what;
      COLORREF text;
      kui::Grad back;
    };
    const Pair pairs[] = {
        {"button normal", p.button[kui::kBtnNormal].text, p.button[kui::kBtnNormal].face},
        {"button hot", p.button[kui::kBtnHot].text, p.button[kui::kBtnHot].face},
        {"button pressed", p.button[kui::kBtnPressed].text, p.button[kui::kBtnPressed].face},
        {"button disabled", p.button[kui::kBtnDisabled].text, p.button[kui::kBtnDisabled].face},
        {"table header", p.headerText, p.header},
        {"table row", tableText, {p.rowBack, p.rowBack}},
        {"table alternate row", tableText, {p.rowAltBack, p.rowAltBack}},
        {"table selected row", p.selectionText, p.selection},
        {"title bar", p.captionText, p.caption},
        {"menu bar", p.menuText, p.menuBar},
        {"menu bar item under the mouse", p.menuHotText, p.menuHot},
        {"group box caption", p.groupText, {face, face}},
        {"radio button", p.markText, {face, face}},
    };
    for (const Pair& c : pairs) {
      EXPECT_GE(kui::MinContrast(c.text, c.back), 4.5) << kui::ThemeName(t) << ": " << c.what;
    }
    // The focus ring is not text: 3:1 against the faces it is drawn on.
    for (int s : {kui::kBtnNormal, kui::kBtnHot}) {
      EXPECT_GE(kui::MinContrast(p.focus, p.button[s].face), 3.0) << kui::ThemeName(t) << ": focus ring, state " << s;
    }
  }
}

TEST(SkinContrast, ContrastFormulaMatchesKnownValues) {
  EXPECT_NEAR(21.0, kui::ContrastRatio(RGB(0, 0, 0), RGB(255, 255, 255)), 1e-9);
  EXPECT_NEAR(1.0, kui::ContrastRatio(RGB(0x33, 0x99, 0xCC), RGB(0x33, 0x99, 0xCC)), 1e-9);
  EXPECT_NEAR(4.54, kui::ContrastRatio(RGB(0x76, 0x76, 0x76), RGB(255, 255, 255)), 0.01);
  // Red rising while green falls: the darkest point of this blend is inside, not at an end.
  const kui::Grad g{RGB(0, 200, 0), RGB(255, 0, 0)};
  EXPECT_LT(kui::MinContrast(RGB(0, 0, 0), g),
            std::min(kui::ContrastRatio(0, g.top), kui::ContrastRatio(0, g.bottom)));
}

// From the pixels: the strongest text pixel against the face beside it on the same row.
double RenderedTextContrast(const Picture& p) {
  double best = 1.0;
  for (int y = 4; y < p.h - 4; ++y) {
    const COLORREF face = p.At(6, y);
    for (int x = p.w / 5; x < p.w * 4 / 5; ++x) best = std::max(best, kui::ContrastRatio(p.At(x, y), face));
  }
  return best;
}

TEST_F(Skin, RenderedButtonTextKeepsItsContrast) {
  SetFocus(edit);  // no focus ring through the text area
  for (Theme t : kThemes) {
    tm.SetTheme(t);
    struct State {
      const char* what;
      bool enabled, pressed;
    };
    for (const State s : {State{"normal", true, false}, State{"pressed", true, true},
                          State{"disabled", false, false}}) {
      EnableWindow(btn, s.enabled);
      SendMessageA(btn, BM_SETSTATE, s.pressed, 0);
      const double c = RenderedTextContrast(Part(btn));
      EXPECT_GE(c, 4.5) << kui::ThemeName(t) << ", " << s.what;
      SendMessageA(btn, BM_SETSTATE, FALSE, 0);
      EnableWindow(btn, TRUE);
    }
  }
}

// ---- Behaviour stays the control's own ----------------------------------------------------------

TEST_F(Skin, ClicksKeysAndNotificationsStillArrive) {
  tm.SetTheme(Theme::Protein);
  SendMessageA(btn, BM_CLICK, 0, 0);
  SendMessageA(radio, BM_CLICK, 0, 0);
  EXPECT_EQ((std::vector<int>{IDC_BTN, IDC_RADIO}), g_seen.clicks);
  EXPECT_EQ(BST_CHECKED, SendMessageA(radio, BM_GETCHECK, 0, 0));
  // A mnemonic clicks through the dialog keys; Tab moves the focus on.
  MSG m{form, WM_SYSCHAR, 'i', 1 << 29, 0, {}};
  EXPECT_TRUE(kui::DialogKeys(form, m));
  EXPECT_EQ(IDC_BTN, g_seen.clicks.back());
  SetFocus(btn);
  MSG tab{btn, WM_KEYDOWN, VK_TAB, 1, 0, {}};
  EXPECT_TRUE(kui::DialogKeys(form, tab));
  EXPECT_EQ(radio, GetFocus());
  Select(2);
  EXPECT_GT(g_seen.itemChanges, 0);
  kui::Theme t;
  ASSERT_TRUE(kui::SkinnedTheme(list, t));
  EXPECT_EQ(Theme::Protein, t);
}

TEST_F(Skin, FrameKeepsClientAreaMenuAndKeyboardMenu) {
  RECT before;
  GetClientRect(form, &before);
  tm.SetTheme(Theme::MacOS);
  RECT after;
  GetClientRect(form, &after);
  EXPECT_EQ(before.right, after.right);
  EXPECT_EQ(before.bottom, after.bottom);
  EXPECT_EQ(menu, GetMenu(form));
  // Round corners: the window's corner pixel is outside its region.
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(ERROR, GetWindowRgn(form, rgn));
  EXPECT_FALSE(PtInRegion(rgn, 0, 0));
  RECT wr;
  GetWindowRect(form, &wr);
  EXPECT_TRUE(PtInRegion(rgn, (wr.right - wr.left) / 2, 2));
  DeleteObject(rgn);
  // The drawn buttons answer the mouse where they are drawn.
  const kui::SkinFrame::Layout l = kui::SkinFrame::GetLayout(form, Theme::MacOS);
  auto hit = [&](const RECT& r) {
    POINT c{wr.left + (r.left + r.right) / 2, wr.top + (r.top + r.bottom) / 2};
    return SendMessageA(form, WM_NCHITTEST, 0, MAKELPARAM(c.x, c.y));
  };
  EXPECT_EQ(HTCLOSE, hit(l.closeButton));
  EXPECT_EQ(HTSYSMENU, hit(l.sysButton));
  EXPECT_EQ(HTMENU, hit(l.menuBar));
  // Alt+F still opens the File menu.
  SendMessageA(form, WM_SYSCOMMAND, SC_KEYMENU, 'f');
  ASSERT_FALSE(g_seen.popups.empty());
  EXPECT_EQ(GetSubMenu(menu, 0), g_seen.popups.front());
}

// ---- The link label -------------------------------------------------------------------------------

int CountColour(const Picture& p, COLORREF c) {
  int n = 0;
  for (int y = 0; y < p.h; ++y) {
    for (int x = 0; x < p.w; ++x) n += p.At(x, y) == c;
  }
  return n;
}

TEST_F(Skin, LinkLabelTurnsRedUnderTheMouseAndOpensItsAddress) {
  std::vector<std::string> opened;
  SetShellOpener([&](const char* what) { opened.push_back(what); });
  Picture idle = Part(link);
  EXPECT_GT(CountColour(idle, kui::LinkLabel::kBlue), 0);
  EXPECT_EQ(0, CountColour(idle, kui::LinkLabel::kRed));
  SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(kui::LinkLabel::IsHot(link));
  Picture hot = Part(link);
  EXPECT_GT(CountColour(hot, kui::LinkLabel::kRed), 0);
  EXPECT_EQ(0, CountColour(hot, kui::LinkLabel::kBlue));
  SendMessageA(link, WM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(kui::LinkLabel::IsHot(link));

  struct Case {
    const char* what;
    std::string address;
    UINT msg;
    WPARAM key;
    size_t opens;
  };
  const Case cases[] = {{"click", "http://example.org/a", WM_LBUTTONDOWN, 0, 1},
                        {"Enter", "http://example.org/b", WM_KEYDOWN, VK_RETURN, 1},
                        {"Space", "http://example.org/c", WM_KEYDOWN, VK_SPACE, 1},
                        {"blank address", "", WM_KEYDOWN, VK_RETURN, 0}};
  for (const Case& c : cases) {
    opened.clear();
    g_seen.clicks.clear();
    kui::LinkLabel::SetAddress(link, c.address);
    if (c.msg == WM_LBUTTONDOWN) {
      SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
      SendMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    } else {
      SendMessageA(link, c.msg, c.key, 1);
    }
    ASSERT_EQ(c.opens, opened.size()) << c.what;
    if (c.opens) {
      EXPECT_EQ(c.address, opened[0]) << c.what;
    }
    // The parent hears of it either way (STN_CLICKED is 0, as BN_CLICKED).
    EXPECT_EQ(std::vector<int>{IDC_LINK}, g_seen.clicks) << c.what;
  }
  // A Tab stop that wants Enter for itself, and shows its focus.
  MSG enter{link, WM_KEYDOWN, VK_RETURN, 1, 0, {}};
  EXPECT_EQ(DLGC_WANTMESSAGE, SendMessageA(link, WM_GETDLGCODE, VK_RETURN,
                                           reinterpret_cast<LPARAM>(&enter)) & DLGC_WANTMESSAGE);
  SetFocus(btn);
  Picture unfocused = Part(link);
  SetFocus(link);
  EXPECT_EQ(link, GetFocus());
  EXPECT_NE(unfocused, Part(link));
}

}  // namespace
