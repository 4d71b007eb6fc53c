#include "SkinControls.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "Accessible.h"
#include "Controls.h"
#include "Dpi.h"
#include "HighContrast.h"
#include "misc/KxHandle.h"
#include "SkinDraw.h"
#include "SkinPalette.h"
#include "Subclass.h"

namespace kui {
namespace {

const UINT_PTR kButtonId = 0x4B53'0001, kEditId = 0x4B53'0002, kListId = 0x4B53'0003,
               kHeaderId = 0x4B53'0004, kReflectId = 0x4B53'0005;
const char kHotProp[] = "KestrinSkinHot";
const char kSkinProp[] = "KestrinSkinTheme";  // theme + 1 of a skinned control

void SetSkinProp(HWND h, Theme t) {
  SetPropA(h, kSkinProp, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(static_cast<int>(t) + 1)));
}

bool GetSkinProp(HWND h, Theme& t) {
  INT_PTR v = reinterpret_cast<INT_PTR>(GetPropA(h, kSkinProp));
  if (v <= 0) return false;
  t = static_cast<Theme>(v - 1);
  return true;
}

LRESULT CALLBACK ListProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref);

// Class name without a side-by-side version prefix ("6.0...!Button").
bool IsClass(HWND h, const char* want) {
  char cls[128] = {};
  GetClassNameA(h, cls, sizeof cls);
  const char* bang = strrchr(cls, '!');
  return lstrcmpiA(bang ? bang + 1 : cls, want) == 0;
}

HFONT FontOf(HWND h) {
  auto f = reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0));
  return f ? f : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

int TextOf(HWND h, char* buf, int cap) {
  buf[0] = '\0';
  return GetWindowTextA(h, buf, cap);
}

// ---- Buttons -----------------------------------------------------------------------------------

void PaintPush(HWND h, HDC dc, const Palette& p) {
  RECT r;
  GetClientRect(h, &r);
  PaintParentBackground(h, dc);
  const LRESULT st = SendMessageA(h, BM_GETSTATE, 0, 0);
  const bool disabled = !IsWindowEnabled(h);
  const bool pressed = (st & BST_PUSHED) != 0;
  const bool focused = GetFocus() == h;
  const bool hot = GetPropA(h, kHotProp) != nullptr;
  const ButtonState s = disabled ? kBtnDisabled : pressed ? kBtnPressed : hot ? kBtnHot : kBtnNormal;
  const ButtonColors& c = p.button[s];
  const int radius = std::min(Scale(p.buttonRadius), static_cast<int>((r.bottom - r.top) / 2));
  FillRoundGrad(dc, r, c.face, radius, c.border);
  const bool system = HighContrast();
  if (!pressed && !system && RelativeLuminance(c.text) < 0.2) {
    // A glassy light band over the upper half; it only lightens behind dark text.
    const int in = Scale(2);
    RECT gloss{r.left + in, r.top + in, r.right - in, (r.top + r.bottom) / 2};
    Grad g{Mix(c.face.top, RGB(0xFF, 0xFF, 0xFF), 0.7), Mix(c.face.top, RGB(0xFF, 0xFF, 0xFF), 0.15)};
    FillRoundGrad(dc, gloss, g, std::max(radius - in, 0), Mix(g.top, g.bottom, 0.5));
  }
  const LONG type = GetWindowLongA(h, GWL_STYLE) & BS_TYPEMASK;
  if (type == BS_DEFPUSHBUTTON && !disabled) {
    RECT d = r;
    InflateRect(&d, -1, -1);
    FrameRound(dc, d, std::max(radius - 1, 0), p.defaultRing);
  }
  if (focused) {
    RECT f = r;
    const int in = Scale(3);
    InflateRect(&f, -in, -in);
    if (system) {
      SetTextColor(dc, c.text);
      SetBkColor(dc, c.face.top);
      DrawFocusRect(dc, &f);
    } else {
      FrameRound(dc, f, std::max(radius - in, 0), p.focus);
    }
  }
  char text[128];
  TextOf(h, text, sizeof text);
  HGDIOBJ old = SelectObject(dc, FontOf(h));
  RECT t = r;
  if (pressed) OffsetRect(&t, Scale(1), Scale(1));
  DrawLabel(dc, text, t, c.text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, old);
}

void PaintMark(HWND h, HDC dc, const Palette& p, bool radio) {
  RECT r;
  GetClientRect(h, &r);
  PaintParentBackground(h, dc);
  const bool disabled = !IsWindowEnabled(h);
  const bool checked = IsChecked(h);
  const bool hot = GetPropA(h, kHotProp) != nullptr;
  const int box = Scale(13);
  const int top = (r.top + r.bottom - box) / 2;
  RECT b{r.left + 1, top, r.left + 1 + box, top + box};
  const Grad fill = disabled ? p.button[kBtnDisabled].face : p.markFill;
  const COLORREF ring = disabled ? p.button[kBtnDisabled].border : hot ? p.focus : p.markRing;
  FillRoundGrad(dc, b, fill, radio ? box / 2 : Scale(2), ring);
  if (checked) {
    const COLORREF dot = disabled ? p.button[kBtnDisabled].text : p.markDot;
    if (radio) {
      RECT d = b;
      InflateRect(&d, -Scale(4), -Scale(4));
      FillRoundGrad(dc, d, {dot, dot}, Scale(2), dot);
    } else {
      // A tick through three points of the 13-pixel box, drawn at the layout's scale.
      auto x = [&](int v) { return b.left + Scale(v); };
      auto y = [&](int v) { return b.top + Scale(v); };
      Line(dc, x(3), y(6), x(5), y(9), dot, Scale(2));
      Line(dc, x(5), y(9), x(10), y(3), dot, Scale(2));
    }
  }
  char text[128];
  TextOf(h, text, sizeof text);
  HGDIOBJ old = SelectObject(dc, FontOf(h));
  RECT t{b.right + Scale(5), r.top, r.right, r.bottom};
  const COLORREF color = disabled ? p.button[kBtnDisabled].text : p.markText;
  DrawLabel(dc, text, t, color, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  if (GetFocus() == h && text[0]) {
    RECT m = t;
    DrawTextA(dc, text, -1, &m, DT_LEFT | DT_SINGLELINE | DT_CALCRECT);
    int dy = ((t.bottom - t.top) - (m.bottom - m.top)) / 2;
    RECT f{m.left - 2, t.top + dy - 1, m.right + 2, t.top + dy + (m.bottom - m.top) + 1};
    if (HighContrast()) {
      SetTextColor(dc, p.markText);
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      DrawFocusRect(dc, &f);
    } else {
      FrameRound(dc, f, 0, p.focus);
    }
  }
  SelectObject(dc, old);
}

void PaintGroup(HWND h, HDC dc, const Palette& p) {
  RECT r;
  GetClientRect(h, &r);
  char text[128];
  TextOf(h, text, sizeof text);
  HGDIOBJ old = SelectObject(dc, FontOf(h));
  SIZE sz{0, 0};
  GetTextExtentPoint32A(dc, "Ag", 2, &sz);
  const int th = sz.cy;
  RECT frame{r.left, r.top + th / 2, r.right, r.bottom};
  if (text[0]) {
    // The caption strip may hold an older, longer caption: the parent's face goes first.
    int saved = SaveDC(dc);
    IntersectClipRect(dc, r.left, r.top, r.right, r.top + th + 1);
    PaintParentBackground(h, dc);
    RestoreDC(dc, saved);
  }
  const bool system = HighContrast();
  FrameRound(dc, frame, system ? 0 : Scale(5), p.groupLine);
  if (!system) {
    RECT inner = frame;
    InflateRect(&inner, -1, -1);
    FrameRound(dc, inner, Scale(5) - 1, Mix(p.groupLine, RGB(0xFF, 0xFF, 0xFF), 0.75));
  }
  if (text[0]) {
    RECT m{0, 0, 0, 0};
    DrawTextA(dc, text, -1, &m, DT_SINGLELINE | DT_CALCRECT);
    const int left = r.left + Scale(8);
    RECT chip{left, r.top, left + (m.right - m.left) + Scale(4), r.top + th};
    int saved = SaveDC(dc);
    IntersectClipRect(dc, chip.left, chip.top, chip.right, chip.bottom + 1);
    PaintParentBackground(h, dc);
    RestoreDC(dc, saved);
    RECT t = chip;
    t.left += Scale(2);
    DrawLabel(dc, text, t, IsWindowEnabled(h) ? p.groupText : p.button[kBtnDisabled].text,
              DT_LEFT | DT_TOP | DT_SINGLELINE);
  }
  SelectObject(dc, old);
}

LRESULT RepaintAfter(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT res = DefSubclass(h, msg, wp, lp);
  // The control may have drawn itself directly; draw the skin over it at once.
  if (IsWindow(h) && IsWindowVisible(h)) RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  return res;
}

LRESULT CALLBACK ButtonProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  const Theme t = static_cast<Theme>(ref);
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      RECT r;
      GetClientRect(h, &r);
      if ((GetWindowLongA(h, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX) {
        // A group box is see-through: only its lines and caption are drawn, straight on.
        PaintButton(h, dc, t);
      } else {
        BufferedDC b(dc, r);
        PaintButton(h, b.dc(), t);
      }
      EndPaint(h, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintButton(h, reinterpret_cast<HDC>(wp), t);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_GETOBJECT: {
      // Drawn by the skin, so the skin says what it is.
      bool handled = false;
      const LRESULT res = AnswerGetObject(h, wp, lp, ButtonRole(h), handled);
      if (handled) return res;
      break;
    }
    case WM_MOUSEMOVE:
      if (!GetPropA(h, kHotProp)) {
        SetPropA(h, kHotProp, reinterpret_cast<HANDLE>(1));
        TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, h, 0};
        TrackMouseEvent(&tme);
        InvalidateRect(h, nullptr, FALSE);
      }
      break;
    case WM_MOUSELEAVE:
      RemovePropA(h, kHotProp);
      InvalidateRect(h, nullptr, FALSE);
      break;
    case WM_SETFOCUS: case WM_KILLFOCUS: case BM_SETSTATE: case BM_SETCHECK: case WM_ENABLE:
    case BM_SETSTYLE: case WM_SETTEXT: case WM_LBUTTONDOWN: case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK: case WM_KEYDOWN: case WM_KEYUP: case WM_CAPTURECHANGED:
    case WM_UPDATEUISTATE:
      return RepaintAfter(h, msg, wp, lp);
    case WM_NCDESTROY:
      RemovePropA(h, kHotProp);
      RemovePropA(h, kSkinProp);
      RemoveSubclass(h, ButtonProc, kButtonId);
      break;
    default:
      break;
  }
  return DefSubclass(h, msg, wp, lp);
}

// ---- Edits and list view borders ---------------------------------------------------------------

void PaintBorder(HWND h, COLORREF outer, COLORREF inner) {
  RECT wr;
  GetWindowRect(h, &wr);
  POINT o{0, 0};
  ClientToScreen(h, &o);
  RECT cr;
  GetClientRect(h, &cr);
  const int ox = o.x - wr.left, oy = o.y - wr.top;
  if (ox <= 0 && oy <= 0) return;  // no border
  OffsetRect(&wr, -wr.left, -wr.top);
  HDC dc = GetWindowDC(h);
  if (!dc) return;
  ExcludeClipRect(dc, ox, oy, ox + cr.right, oy + cr.bottom);
  FillSolid(dc, wr, inner);
  FrameRound(dc, wr, 0, outer);
  ReleaseDC(h, dc);
}

LRESULT CALLBACK EditProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  const Palette& p = PaletteOf(static_cast<Theme>(ref));
  switch (msg) {
    case WM_NCPAINT: {
      const bool focused = GetFocus() == h;
      // The focused edit gets a two-pixel ring in the focus colour.
      const COLORREF inner = HighContrast() ? GetSysColor(COLOR_WINDOW)
                                            : Mix(p.editBorder, RGB(0xFF, 0xFF, 0xFF), 0.8);
      PaintBorder(h, focused ? p.editFocus : p.editBorder, focused ? p.editFocus : inner);
      return 0;
    }
    case WM_SETFOCUS: case WM_KILLFOCUS: case WM_ENABLE: {
      LRESULT res = DefSubclass(h, msg, wp, lp);
      RedrawWindow(h, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
      return res;
    }
    case WM_NCDESTROY:
      RemovePropA(h, kSkinProp);
      RemoveSubclass(h, EditProc, kEditId);
      break;
    default:
      break;
  }
  return DefSubclass(h, msg, wp, lp);
}

// ---- List views ----------------------------------------------------------------------------------

bool ListTheme(HWND lv, Theme& t) { return lv && IsClass(lv, WC_LISTVIEWA) && GetSkinProp(lv, t); }

// One whole row: background or selection, picture, the text of every column, focus ring.
void DrawRow(HWND lv, HDC dc, int item, const Palette& p) {
  RECT row;
  if (!ListView_GetItemRect(lv, item, &row, LVIR_BOUNDS)) return;
  const UINT state = ListView_GetItemState(lv, item, LVIS_SELECTED | LVIS_FOCUSED);
  const bool selected = (state & LVIS_SELECTED) != 0;
  if (selected) {
    FillGrad(dc, row, p.selection);
  } else {
    FillSolid(dc, row, (item % 2) ? p.rowAltBack : p.rowBack);
  }
  COLORREF text = ListView_GetTextColor(lv);
  // The table font's own colour gives way to the system's under high contrast.
  if (text == CLR_DEFAULT || text == CLR_NONE || HighContrast()) text = GetSysColor(COLOR_WINDOWTEXT);
  if (selected) text = p.selectionText;

  LVITEMA it{};
  it.mask = LVIF_IMAGE;
  it.iItem = item;
  SendMessageA(lv, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
  HIMAGELIST il = ListView_GetImageList(lv, LVSIL_SMALL);
  RECT icon;
  if (il && it.iImage >= 0 && ListView_GetItemRect(lv, item, &icon, LVIR_ICON)) {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(il, &cx, &cy);
    ImageList_Draw(il, it.iImage, dc, icon.left + (icon.right - icon.left - cx) / 2,
                   icon.top + (icon.bottom - icon.top - cy) / 2, ILD_TRANSPARENT);
  }
  HGDIOBJ old = SelectObject(dc, FontOf(lv));
  const int columns = Header_GetItemCount(ListView_GetHeader(lv));
  for (int c = 0; c < std::max(columns, 1); ++c) {
    RECT cell;
    if (c == 0) {
      if (!ListView_GetItemRect(lv, item, &cell, LVIR_LABEL)) continue;
      cell.left += Scale(2);
    } else {
      if (!ListView_GetSubItemRect(lv, item, c, LVIR_BOUNDS, &cell)) continue;
      cell.left += Scale(6);
    }
    cell.right -= Scale(4);
    const std::string s = ListItemText(lv, item, c);
    DrawLabel(dc, s.c_str(), cell, text,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
  }
  SelectObject(dc, old);
  if ((state & LVIS_FOCUSED) && GetFocus() == lv) {
    RECT f = row;
    InflateRect(&f, 0, 0);
    FrameRound(dc, f, 0, selected ? p.selectionText : p.focus);
  }
}

LRESULT ListCustomDraw(NMLVCUSTOMDRAW* cd, Theme t) {
  switch (cd->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      DrawRow(cd->nmcd.hdr.hwndFrom, cd->nmcd.hdc, static_cast<int>(cd->nmcd.dwItemSpec),
              PaletteOf(t));
      return CDRF_SKIPDEFAULT;
    default:
      return CDRF_DODEFAULT;
  }
}

// On the list view's parent: the rows' custom draw arrives there.
LRESULT CALLBACK ReflectProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  if (msg == WM_NOTIFY) {
    auto* nm = reinterpret_cast<NMHDR*>(lp);
    Theme t;
    if (nm && nm->code == static_cast<UINT>(NM_CUSTOMDRAW) && ListTheme(nm->hwndFrom, t)) {
      return ListCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(lp), t);
    }
  } else if (msg == WM_NCDESTROY) {
    RemoveSubclass(h, ReflectProc, kReflectId);
  }
  return DefSubclass(h, msg, wp, lp);
}

LRESULT CALLBACK ListProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  const Palette& p = PaletteOf(static_cast<Theme>(ref));
  switch (msg) {
    case WM_NCPAINT:
      if (GetWindowLongA(h, GWL_STYLE) & WS_BORDER || GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) {
        const bool focused = GetFocus() == h;
        PaintBorder(h, focused ? p.editFocus : p.editBorder, focused ? p.editFocus : p.rowBack);
        return 0;
      }
      break;
    case WM_SETFOCUS: case WM_KILLFOCUS: {
      LRESULT res = DefSubclass(h, msg, wp, lp);
      RedrawWindow(h, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
      return res;
    }
    case WM_NCDESTROY:
      RemovePropA(h, kSkinProp);
      RemoveSubclass(h, ListProc, kListId);
      break;
    default:
      break;
  }
  return DefSubclass(h, msg, wp, lp);
}

LRESULT CALLBACK HeaderProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  const Theme t = static_cast<Theme>(ref);
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      RECT r;
      GetClientRect(h, &r);
      {
        BufferedDC b(dc, r);
        PaintHeader(h, b.dc(), t);
      }
      EndPaint(h, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintHeader(h, reinterpret_cast<HDC>(wp), t);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_NCDESTROY:
      RemoveSubclass(h, HeaderProc, kHeaderId);
      break;
    default:
      break;
  }
  return DefSubclass(h, msg, wp, lp);
}

}  // namespace

void PaintButton(HWND btn, HDC dc, Theme t) {
  const Palette& p = PaletteOf(t);
  switch (GetWindowLongA(btn, GWL_STYLE) & BS_TYPEMASK) {
    case BS_GROUPBOX:
      PaintGroup(btn, dc, p);
      break;
    case BS_RADIOBUTTON: case BS_AUTORADIOBUTTON:
      PaintMark(btn, dc, p, true);
      break;
    case BS_CHECKBOX: case BS_AUTOCHECKBOX: case BS_3STATE: case BS_AUTO3STATE:
      PaintMark(btn, dc, p, false);
      break;
    default:
      PaintPush(btn, dc, p);
      break;
  }
}

void PaintHeader(HWND header, HDC dc, Theme t) {
  const Palette& p = PaletteOf(t);
  RECT r;
  GetClientRect(header, &r);
  FillGrad(dc, r, p.header);
  Line(dc, r.left, r.bottom - 1, r.right, r.bottom - 1, p.headerLine);
  HGDIOBJ old = SelectObject(dc, FontOf(header));
  const int n = Header_GetItemCount(header);
  for (int i = 0; i < n; ++i) {
    RECT ir;
    if (!Header_GetItemRect(header, i, &ir)) continue;
    char text[128] = {};
    HDITEMA hi{};
    hi.mask = HDI_TEXT;
    hi.pszText = text;
    hi.cchTextMax = sizeof text;
    SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&hi));
    Line(dc, ir.right - 1, ir.top + Scale(3), ir.right - 1, ir.bottom - Scale(3), p.headerLine);
    RECT tr = ir;
    tr.left += Scale(6);
    tr.right -= Scale(6);
    DrawLabel(dc, text, tr, p.headerText,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
  }
  SelectObject(dc, old);
}

bool SkinControl(HWND ctl, Theme t) {
  if (!ctl || !IsWindow(ctl)) return false;
  const DWORD_PTR ref = static_cast<DWORD_PTR>(t);
  if (IsClass(ctl, "Button")) {
    const LONG type = GetWindowLongA(ctl, GWL_STYLE) & BS_TYPEMASK;
    if (type == BS_OWNERDRAW || type == BS_USERBUTTON) return false;
    SetSubclass(ctl, ButtonProc, kButtonId, ref);
  } else if (IsClass(ctl, "Edit")) {
    SetSubclass(ctl, EditProc, kEditId, ref);
  } else if (IsClass(ctl, WC_LISTVIEWA)) {
    const Palette& p = PaletteOf(t);
    SetSubclass(ctl, ListProc, kListId, ref);
    if (HWND header = ListView_GetHeader(ctl)) {
      SetSubclass(header, HeaderProc, kHeaderId, ref);
      InvalidateRect(header, nullptr, TRUE);
    }
    if (HWND parent = GetParent(ctl)) SetSubclass(parent, ReflectProc, kReflectId, 0);
    ListView_SetBkColor(ctl, p.rowBack);
    ListView_SetTextBkColor(ctl, p.rowBack);
  } else {
    return false;
  }
  SetSkinProp(ctl, t);
  RedrawWindow(ctl, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  return true;
}

bool SkinnedTheme(HWND ctl, Theme& t) { return ctl && GetSkinProp(ctl, t); }

}  // namespace kui
