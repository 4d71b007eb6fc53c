#include "SkinFrame.h"

#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <vector>

#include "Dpi.h"
#include "HighContrast.h"
#include "misc/KxHandle.h"
#include "SkinDraw.h"
#include "SkinPalette.h"
#include "Subclass.h"

namespace kui {
namespace {

const UINT_PTR kFrameId = 0x4B53'0010;
const char kMenuHotProp[] = "KestrinFrameMenuHot";    // hot menu bar item + 1
const char kCloseDownProp[] = "KestrinFrameCloseDown";  // 1 pressed, 2 pressed but outside
const char kCloseHotProp[] = "KestrinFrameCloseHot";
const char kThemeProp[] = "KestrinFrameTheme";        // theme + 1

LRESULT CALLBACK FrameProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref);

int PropInt(HWND h, const char* name) {
  return static_cast<int>(reinterpret_cast<INT_PTR>(GetPropA(h, name)));
}
void SetPropInt(HWND h, const char* name, int v) {
  if (v) {
    SetPropA(h, name, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(v)));
  } else {
    RemovePropA(h, name);
  }
}

// The system's caption or menu font, at the layout DPI.
HFONT NonClientFont(bool caption) {
  static std::map<int, HFONT> fonts;  // by DPI times two, plus one for the caption
  HFONT& f = fonts[Dpi() * 2 + (caption ? 1 : 0)];
  if (!f) {
    NONCLIENTMETRICSA m{};
    m.cbSize = sizeof m;
    LOGFONTA lf{};
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0)) {
      lf = caption ? m.lfCaptionFont : m.lfMenuFont;
    } else {
      GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    }
    if (caption) lf.lfWeight = FW_BOLD;
    lf.lfHeight = ScaleFromSystem(lf.lfHeight);
    lf.lfWidth = ScaleFromSystem(lf.lfWidth);
    f = CreateFontIndirectA(&lf);  // one per DPI, kept for the process's lifetime
  }
  return f;
}

HBRUSH PopupBrush(Theme t) {
  if (HighContrast()) return GetSysColorBrush(COLOR_BTNFACE);
  static HBRUSH brushes[5] = {};
  HBRUSH& b = brushes[static_cast<int>(t) % 5];
  if (!b) b = CreateSolidBrush(PaletteOf(t).menuPopup);
  return b;
}

POINT ToWindow(HWND h, POINT screen) {
  RECT wr;
  GetWindowRect(h, &wr);
  return POINT{screen.x - wr.left, screen.y - wr.top};
}

void UpdateRegion(HWND h, Theme t) {
  RECT wr;
  GetWindowRect(h, &wr);
  const int r = Scale(PaletteOf(t).frameRadius) * 2;
  const int w = wr.right - wr.left, hh = wr.bottom - wr.top;
  // Round at the top only: the bottom corners belong to the client area the window draws.
  HRGN rgn = CreateRoundRectRgn(0, 0, w + 1, hh + 1, r, r);
  HRGN lower = CreateRectRgn(0, hh / 2, w, hh);
  if (rgn && lower) CombineRgn(rgn, rgn, lower, RGN_OR);
  if (lower) DeleteObject(lower);
  if (rgn && !SetWindowRgn(h, rgn, TRUE)) DeleteObject(rgn);  // the system owns it once set
}

// The menu bar items where the frame draws them, in window coordinates: the system's layout,
// moved onto the frame's menu bar and scaled with it.
std::vector<RECT> MenuItemRects(HWND h, const SkinFrame::Layout& l) {
  std::vector<RECT> items;
  HMENU menu = GetMenu(h);
  if (!menu || !l.hasMenu) return items;
  RECT wr;
  GetWindowRect(h, &wr);
  POINT origin{l.client.left, l.menuBar.top};  // where the system's bar starts
  MENUBARINFO mbi{};
  mbi.cbSize = sizeof mbi;
  if (GetMenuBarInfo(h, OBJID_MENU, 0, &mbi) && mbi.rcBar.bottom > mbi.rcBar.top) {
    origin = POINT{mbi.rcBar.left - wr.left, mbi.rcBar.top - wr.top};
  }
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    RECT r{};
    if (GetMenuItemRect(h, menu, static_cast<UINT>(i), &r)) {
      OffsetRect(&r, -wr.left - origin.x, -wr.top - origin.y);
      const int x = l.menuBar.left, y = l.menuBar.top;
      r = RECT{x + ScaleFromSystem(r.left), y + ScaleFromSystem(r.top),
               x + ScaleFromSystem(r.right), y + ScaleFromSystem(r.bottom)};
    }
    items.push_back(r);
  }
  return items;
}

int MenuItemAt(HWND h, Theme t, POINT screen) {
  const POINT pt = ToWindow(h, screen);
  const std::vector<RECT> items = SkinFrame::GetLayout(h, t).menuItems;
  for (size_t i = 0; i < items.size(); ++i) {
    if (PtInRect(&items[i], pt)) return static_cast<int>(i);
  }
  return -1;
}

// The menu bar item whose mnemonic is `key`, or -1.
int MenuItemByKey(HWND h, char key) {
  HMENU menu = GetMenu(h);
  if (!menu) return -1;
  const int want = toupper(static_cast<unsigned char>(key));
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    char text[128] = {};
    GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    for (const char* p = text; *p; ++p) {
      if (*p != '&') continue;
      if (p[1] == '&') {
        ++p;
        continue;
      }
      if (toupper(static_cast<unsigned char>(p[1])) == want) return i;
      break;
    }
  }
  return -1;
}

void PaintNow(HWND h, Theme t) {
  HDC dc = GetWindowDC(h);
  if (!dc) return;
  SkinFrame::PaintNonClient(h, dc, t);
  ReleaseDC(h, dc);
}

void TrackMenuItem(HWND h, Theme t, int index) {
  HMENU menu = GetMenu(h);
  const std::vector<RECT> items = SkinFrame::GetLayout(h, t).menuItems;
  if (!menu || index < 0 || index >= static_cast<int>(items.size())) return;
  RECT wr;
  GetWindowRect(h, &wr);
  RECT ir = items[static_cast<size_t>(index)];
  OffsetRect(&ir, wr.left, wr.top);
  SetPropInt(h, kMenuHotProp, index + 1);
  PaintNow(h, t);
  if (HMENU sub = GetSubMenu(menu, index)) {
    TPMPARAMS tpm{sizeof tpm, ir};
    TrackPopupMenuEx(sub, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_VERTICAL | TPM_LEFTBUTTON, ir.left,
                     ir.bottom, h, &tpm);
  } else {
    UINT id = GetMenuItemID(menu, index);
    if (id != static_cast<UINT>(-1)) PostMessageA(h, WM_COMMAND, MAKEWPARAM(id, 0), 0);
  }
  if (IsWindow(h)) {
    SetPropInt(h, kMenuHotProp, 0);
    PaintNow(h, t);
  }
}

void DrawCaptionButton(HDC dc, const RECT& r, const Palette& p, bool close, bool down, bool hot) {
  Grad g = close ? p.closeButton : p.sysButton;
  if (hot) g.top = Mix(g.top, RGB(0xFF, 0xFF, 0xFF), 0.35);
  if (down) std::swap(g.top, g.bottom);
  const int w = r.right - r.left;
  FillRoundGrad(dc, r, g, p.roundCaptionButtons ? w / 2 : Scale(3), p.captionButtonBorder);
  const COLORREF glyph = close ? p.closeGlyph : p.sysGlyph;
  const int m = w / 4 + (p.roundCaptionButtons ? 1 : 0);
  if (close) {
    Line(dc, r.left + m, r.top + m, r.right - m - 1, r.bottom - m - 1, glyph, Scale(2));
    Line(dc, r.right - m - 1, r.top + m, r.left + m, r.bottom - m - 1, glyph, Scale(2));
  } else {
    // Three bars: the window's menu.
    for (int i = 0; i < 3; ++i) {
      int y = r.top + m + i * (w - 2 * m) / 2;
      Line(dc, r.left + m, y, r.right - m - 1, y, glyph, Scale(2));
    }
  }
}

}  // namespace

SkinFrame::Layout SkinFrame::GetLayout(HWND h, Theme) {
  Layout l{};
  RECT wr;
  GetWindowRect(h, &wr);
  l.window = RECT{0, 0, wr.right - wr.left, wr.bottom - wr.top};
  RECT cr;
  GetClientRect(h, &cr);
  POINT o{0, 0};
  ClientToScreen(h, &o);
  l.client = RECT{o.x - wr.left, o.y - wr.top, o.x - wr.left + cr.right, o.y - wr.top + cr.bottom};
  l.hasMenu = GetMenu(h) != nullptr;
  int captionBottom = l.client.top;
  if (l.hasMenu) {
    // The system's bar height, scaled as WM_NCCALCSIZE scaled the whole top of the frame.
    int mh = GetSystemMetrics(SM_CYMENU);
    MENUBARINFO mbi{};
    mbi.cbSize = sizeof mbi;
    if (GetMenuBarInfo(h, OBJID_MENU, 0, &mbi) && mbi.rcBar.bottom > mbi.rcBar.top) {
      mh = mbi.rcBar.bottom - mbi.rcBar.top;
    }
    mh = ScaleFromSystem(mh);
    l.menuBar = RECT{l.client.left, l.client.top - mh, l.client.right, l.client.top};
    captionBottom = l.menuBar.top;
  }
  l.caption = RECT{0, 0, l.window.right, captionBottom};
  const int border = l.client.left;
  const int capH = captionBottom - border;
  const int size = std::max(Scale(8), std::min(capH - Scale(6), Scale(20)));
  const int y = border + (capH - size) / 2, in = Scale(4);
  l.sysButton = RECT{border + in, y, border + in + size, y + size};
  l.closeButton = RECT{l.window.right - border - in - size, y, l.window.right - border - in, y + size};
  l.menuItems = MenuItemRects(h, l);
  return l;
}

void SkinFrame::PaintNonClient(HWND h, HDC dc, Theme t) {
  const Palette& p = PaletteOf(t);
  const Layout l = GetLayout(h, t);
  const int saved = SaveDC(dc);
  ExcludeClipRect(dc, l.client.left, l.client.top, l.client.right, l.client.bottom);

  // Border: the caption's dark end round the sides, an outline and a light inner edge.
  FillSolid(dc, l.window, p.caption.bottom);
  RECT edge = l.window;
  InflateRect(&edge, -1, -1);
  FrameRound(dc, edge, 0, p.frameEdge);
  FrameRound(dc, l.window, 0, p.frameBorder);

  // Title bar.
  RECT cap{1, 1, l.window.right - 1, l.caption.bottom};
  FillGrad(dc, cap, p.caption);
  const int radius = Scale(p.frameRadius);
  Line(dc, cap.left + radius, 1, cap.right - radius, 1, p.captionShine);
  // The round top outline; the lower half of the outline is square.
  {
    const int top = SaveDC(dc);
    IntersectClipRect(dc, 0, 0, l.window.right, l.window.bottom / 2);
    FrameRound(dc, l.window, radius, p.frameBorder);
    RestoreDC(dc, top);
  }
  const bool closeDown = PropInt(h, kCloseDownProp) == 1;
  DrawCaptionButton(dc, l.sysButton, p, false, false, false);
  DrawCaptionButton(dc, l.closeButton, p, true, closeDown, PropInt(h, kCloseHotProp) != 0);
  char title[256] = {};
  GetWindowTextA(h, title, sizeof title);
  HGDIOBJ oldFont = SelectObject(dc, NonClientFont(true));
  const int gap = Scale(8);
  RECT tr{l.sysButton.right + gap, l.caption.top + l.client.left, l.closeButton.left - gap, l.caption.bottom};
  // Mac OS centres the title; the others put it after the system-menu button.
  const UINT align = t == Theme::MacOS ? DT_CENTER : DT_LEFT;
  DrawLabel(dc, title, tr, p.captionText, align | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);

  // Menu bar.
  if (l.hasMenu) {
    HMENU menu = GetMenu(h);
    RECT bar = l.menuBar;
    FillGrad(dc, bar, p.menuBar);
    Line(dc, bar.left, bar.bottom - 1, bar.right, bar.bottom - 1, p.menuLine);
    SelectObject(dc, NonClientFont(false));
    const int hot = PropInt(h, kMenuHotProp) - 1;
    for (int i = 0; i < static_cast<int>(l.menuItems.size()); ++i) {
      const RECT& ir = l.menuItems[static_cast<size_t>(i)];
      if (IsRectEmpty(&ir)) continue;
      char text[128] = {};
      GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
      COLORREF color = p.menuText;
      if (i == hot) {
        RECT hr = ir;
        InflateRect(&hr, 0, -1);
        FillRoundGrad(dc, hr, p.menuHot, Scale(3), p.menuHot.bottom);
        color = p.menuHotText;
      }
      DrawLabel(dc, text, ir, color, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
  }
  SelectObject(dc, oldFont);
  RestoreDC(dc, saved);
}

bool SkinFrame::AttachedTheme(HWND hwnd, Theme& t) {
  const int v = PropInt(hwnd, kThemeProp);
  if (v <= 0) return false;
  t = static_cast<Theme>(v - 1);
  return true;
}

void SkinFrame::Attach(HWND hwnd, Theme t) {
  if (!hwnd || !IsWindow(hwnd)) return;
  const bool first = PropInt(hwnd, kThemeProp) == 0;
  RECT before;
  GetClientRect(hwnd, &before);
  SetSubclass(hwnd, FrameProc, kFrameId, static_cast<DWORD_PTR>(t));
  SetPropInt(hwnd, kThemeProp, static_cast<int>(t) + 1);
  if (first) {
    // The frame's own top (see WM_NCCALCSIZE) takes effect; the client area keeps its size and
    // the window its centre.
    const UINT keep = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, keep | SWP_NOMOVE | SWP_NOSIZE | SWP_FRAMECHANGED);
    RECT after, wr;
    GetClientRect(hwnd, &after);
    GetWindowRect(hwnd, &wr);
    const int dw = before.right - after.right, dh = before.bottom - after.bottom;
    if (dw || dh) {
      const int x = wr.left - dw / 2, y = wr.top - dh / 2;
      // A window that was on the desktop stays there.
      SetWindowPos(hwnd, nullptr, wr.left >= 0 ? std::max(0, x) : x,
                   wr.top >= 0 ? std::max(0, y) : y, wr.right - wr.left + dw,
                   wr.bottom - wr.top + dh, keep);
    }
  }
  UpdateRegion(hwnd, t);
  if (HMENU menu = GetMenu(hwnd)) {
    MENUINFO mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIM_BACKGROUND | MIM_APPLYTOSUBMENUS;
    mi.hbrBack = PopupBrush(t);
    SetMenuInfo(menu, &mi);
  }
  RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

namespace {

LRESULT CALLBACK FrameProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  const Theme t = static_cast<Theme>(ref);
  switch (msg) {
    case WM_NCPAINT:
      PaintNow(h, t);
      return 0;
    case WM_NCACTIVATE: {
      // lParam -1: update the state without the system's own caption painting.
      LRESULT res = DefSubclass(h, msg, wp, -1);
      PaintNow(h, t);
      return res;
    }
    case WM_SETTEXT: case WM_SETICON: case WM_EXITMENULOOP: {
      LRESULT res = DefSubclass(h, msg, wp, lp);
      if (msg == WM_EXITMENULOOP) SetPropInt(h, kMenuHotProp, 0);
      PaintNow(h, t);
      return res;
    }
    case WM_MENUSELECT:
      // The keyboard's way through the menu bar: show which item it is on.
      if (reinterpret_cast<HMENU>(lp) == GetMenu(h) && lp) {
        const UINT flags = HIWORD(wp);
        SetPropInt(h, kMenuHotProp, (flags != 0xFFFF && (flags & MF_POPUP)) ? LOWORD(wp) + 1 : 0);
        PaintNow(h, t);
      }
      break;
    case WM_NCCALCSIZE: {
      // The system lays out its border, caption and menu bar for its own DPI; the title bar and
      // the menu bar take the layout's, so the top of the frame grows (or shrinks) to match.
      RECT* r = reinterpret_cast<RECT*>(lp);  // the first rectangle of either form
      const RECT before = *r;
      LRESULT res = DefSubclass(h, msg, wp, lp);
      const int border = r->left - before.left;
      const int top = r->top - before.top - border;
      if (top > 0) {
        const LONG want = r->top + ScaleFromSystem(top) - top;
        r->top = std::max<LONG>(before.top + border, std::min(want, r->bottom));
      }
      return res;
    }
    case WM_SYSCOMMAND:
      // Under a DPI of its own the bar's items are not where the system would open them: a
      // menu key opens its menu from the frame's bar.
      if ((wp & 0xFFF0) == SC_KEYMENU && lp > ' ' && Dpi() != SystemDpi()) {
        const int i = MenuItemByKey(h, static_cast<char>(lp));
        if (i >= 0) {
          TrackMenuItem(h, t, i);
          return 0;
        }
      }
      break;
    case WM_NCHITTEST: {
      LRESULT hit = DefSubclass(h, msg, wp, lp);
      const SkinFrame::Layout l = SkinFrame::GetLayout(h, t);
      POINT pt = ToWindow(h, POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))});
      if (PtInRect(&l.closeButton, pt)) return HTCLOSE;
      if (PtInRect(&l.sysButton, pt)) return HTSYSMENU;
      if (l.hasMenu && PtInRect(&l.menuBar, pt)) return HTMENU;
      // The system's buttons and bar stand elsewhere: there the title bar is just caption.
      if (hit == HTCLOSE || hit == HTSYSMENU || hit == HTMINBUTTON || hit == HTMAXBUTTON ||
          hit == HTHELP || hit == HTMENU) {
        return PtInRect(&l.caption, pt) ? HTCAPTION : HTNOWHERE;
      }
      return hit;
    }
    case WM_NCMOUSEMOVE: {
      const int hot = wp == HTCLOSE ? 1 : 0;
      if (hot != PropInt(h, kCloseHotProp)) {
        SetPropInt(h, kCloseHotProp, hot);
        if (hot) {
          TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE | TME_NONCLIENT, h, 0};
          TrackMouseEvent(&tme);
        }
        PaintNow(h, t);
      }
      break;
    }
    case WM_NCMOUSELEAVE:
      if (PropInt(h, kCloseHotProp)) {
        SetPropInt(h, kCloseHotProp, 0);
        PaintNow(h, t);
      }
      break;
    case WM_NCLBUTTONDOWN: {
      POINT screen{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
      if (wp == HTCLOSE) {
        SetPropInt(h, kCloseDownProp, 1);
        SetCapture(h);
        PaintNow(h, t);
        return 0;
      }
      if (wp == HTSYSMENU) {
        const SkinFrame::Layout l = SkinFrame::GetLayout(h, t);
        RECT wr;
        GetWindowRect(h, &wr);
        UINT cmd = static_cast<UINT>(TrackPopupMenu(GetSystemMenu(h, FALSE),
                                                    TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN,
                                                    wr.left + l.sysButton.left,
                                                    wr.top + l.sysButton.bottom, 0, h, nullptr));
        if (cmd) SendMessageA(h, WM_SYSCOMMAND, cmd, 0);
        return 0;
      }
      if (wp == HTMENU) {
        int i = MenuItemAt(h, t, screen);
        if (i >= 0) TrackMenuItem(h, t, i);
        return 0;
      }
      break;
    }
    case WM_MOUSEMOVE:
      if (PropInt(h, kCloseDownProp) && GetCapture() == h) {
        POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        ClientToScreen(h, &pt);
        const SkinFrame::Layout l = SkinFrame::GetLayout(h, t);
        const POINT w = ToWindow(h, pt);
        const int state = PtInRect(&l.closeButton, w) ? 1 : 2;
        if (state != PropInt(h, kCloseDownProp)) {
          SetPropInt(h, kCloseDownProp, state);
          PaintNow(h, t);
        }
        return 0;
      }
      break;
    case WM_LBUTTONUP:
      if (PropInt(h, kCloseDownProp)) {
        const bool inside = PropInt(h, kCloseDownProp) == 1;
        SetPropInt(h, kCloseDownProp, 0);
        ReleaseCapture();
        PaintNow(h, t);
        if (inside) PostMessageA(h, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
      }
      break;
    case WM_CAPTURECHANGED:
      if (PropInt(h, kCloseDownProp)) {
        SetPropInt(h, kCloseDownProp, 0);
        PaintNow(h, t);
      }
      break;
    case WM_WINDOWPOSCHANGED: {
      LRESULT res = DefSubclass(h, msg, wp, lp);
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(lp);
      if (!(pos->flags & SWP_NOSIZE)) UpdateRegion(h, t);
      return res;
    }
    case WM_NCDESTROY:
      for (const char* prop : {kMenuHotProp, kCloseDownProp, kCloseHotProp, kThemeProp}) RemovePropA(h, prop);
      RemoveSubclass(h, FrameProc, kFrameId);
      break;
    default:
      break;
  }
  return DefSubclass(h, msg, wp, lp);
}

}  // namespace

}  // namespace kui
