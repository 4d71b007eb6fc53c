#include "LinkLabel.h"

#include <oleacc.h>

#include <algorithm>

#include "Accessible.h"
#include "GdiHandle.h"
#include "HighContrast.h"
#include "misc/WinUtil.h"
#include "SkinDraw.h"

namespace kui {
namespace {

const char kClass[] = "KestrinLinkLabel";

struct LinkState {
  std::string address;
  HFONT font = nullptr;       // the font given by WM_SETFONT (not owned)
  kx::UniqueFont underlined;  // that font, underlined
  bool hot = false;
  bool down = false;
};

LinkState* StateOf(HWND h) {
  return reinterpret_cast<LinkState*>(GetWindowLongPtrA(h, GWLP_USERDATA));
}

void Activate(HWND h) {
  LinkState* s = StateOf(h);
  if (!s) return;
  if (!s->address.empty()) ShellOpen(s->address.c_str());
  HWND parent = GetParent(h);
  if (parent) {
    SendMessageA(parent, WM_COMMAND,
                 MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(h)), STN_CLICKED),
                 reinterpret_cast<LPARAM>(h));
  }
}

}  // namespace

const COLORREF LinkLabel::kBlue = RGB(0, 0, 255);
const COLORREF LinkLabel::kRed = RGB(255, 0, 0);

const char* LinkLabel::ClassName() {
  WNDCLASSEXA wc{};
  HINSTANCE inst = GetModuleHandleA(nullptr);
  if (!GetClassInfoExA(inst, kClass, &wc)) {
    wc = WNDCLASSEXA{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Proc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursor(nullptr, IDC_HAND);
    wc.lpszClassName = kClass;
    RegisterClassExA(&wc);
  }
  return kClass;
}

HWND LinkLabel::Create(HWND parent, const char* text, int id, int x, int y, int w, int h,
                       DWORD extraStyle) {
  return CreateWindowExA(0, ClassName(), text, WS_CHILD | WS_VISIBLE | extraStyle, x, y, w, h,
                         parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleA(nullptr), nullptr);
}

void LinkLabel::SetAddress(HWND link, const std::string& address) {
  if (LinkState* s = StateOf(link)) s->address = address;
}

std::string LinkLabel::Address(HWND link) {
  LinkState* s = StateOf(link);
  return s ? s->address : std::string();
}

bool LinkLabel::IsHot(HWND link) {
  LinkState* s = StateOf(link);
  return s && s->hot;
}

void LinkLabel::Paint(HWND h, HDC dc) {
  LinkState* s = StateOf(h);
  RECT r;
  GetClientRect(h, &r);
  PaintParentBackground(h, dc);
  char text[256] = {};
  GetWindowTextA(h, text, sizeof text);
  HFONT f = s && s->underlined ? s->underlined.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  HGDIOBJ old = SelectObject(dc, f);
  const bool system = HighContrast();
  const COLORREF c = !IsWindowEnabled(h) ? GetSysColor(COLOR_GRAYTEXT)
                     : system            ? GetSysColor(COLOR_HOTLIGHT)
                     : (s && s->hot)     ? kRed
                                         : kBlue;
  DrawLabel(dc, text, r, c, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
  if (GetFocus() == h) {
    RECT m = r;
    DrawTextA(dc, text, -1, &m, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    m.right = std::min(m.right + 1, r.right);
    m.bottom = std::min(m.bottom + 1, r.bottom);
    SetTextColor(dc, system ? GetSysColor(COLOR_WINDOWTEXT) : RGB(0, 0, 0));
    SetBkColor(dc, system ? GetSysColor(COLOR_WINDOW) : RGB(0xFF, 0xFF, 0xFF));
    DrawFocusRect(dc, &m);
  }
  SelectObject(dc, old);
}

LRESULT CALLBACK LinkLabel::Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  LinkState* s = StateOf(h);
  switch (msg) {
    case WM_NCCREATE:
      SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new LinkState));
      break;
    case WM_NCDESTROY:
      delete s;
      SetWindowLongPtrA(h, GWLP_USERDATA, 0);
      break;
    case WM_SETFONT: {
      if (!s) break;
      s->font = reinterpret_cast<HFONT>(wp);
      LOGFONTA lf{};
      if (s->font && GetObjectA(s->font, sizeof lf, &lf)) {
        lf.lfUnderline = TRUE;
        s->underlined.reset(CreateFontIndirectA(&lf));
      }
      if (LOWORD(lp)) InvalidateRect(h, nullptr, FALSE);
      return 0;
    }
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(s ? s->font : nullptr);
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      RECT r;
      GetClientRect(h, &r);
      {
        BufferedDC b(dc, r);
        Paint(h, b.dc());
      }
      EndPaint(h, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(h, reinterpret_cast<HDC>(wp));
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_GETOBJECT: {
      bool handled = false;
      const LRESULT res = AnswerGetObject(h, wp, lp, ROLE_SYSTEM_LINK, handled);
      if (handled) return res;
      break;
    }
    case WM_MOUSEMOVE:
      if (s && !s->hot) {
        s->hot = true;
        TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, h, 0};
        TrackMouseEvent(&tme);
        InvalidateRect(h, nullptr, FALSE);
      }
      return 0;
    case WM_MOUSELEAVE:
      if (s && s->hot) {
        s->hot = false;
        InvalidateRect(h, nullptr, FALSE);
      }
      return 0;
    case WM_LBUTTONDOWN:
      if (s) s->down = true;
      if (GetWindowLongA(h, GWL_STYLE) & WS_TABSTOP) SetFocus(h);
      SetCapture(h);
      return 0;
    case WM_LBUTTONUP: {
      const bool wasDown = s && s->down;
      if (s) s->down = false;
      if (GetCapture() == h) ReleaseCapture();
      RECT r;
      GetClientRect(h, &r);
      POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
      if (wasDown && PtInRect(&r, pt)) Activate(h);
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (s) s->down = false;
      return 0;
    case WM_KEYDOWN:
      if (wp == VK_RETURN || wp == VK_SPACE) {
        Activate(h);
        return 0;
      }
      break;
    case WM_GETDLGCODE:
      // Enter belongs to the link (not to a default button); Space arrives as a key too.
      if (lp) {
        const MSG* m = reinterpret_cast<const MSG*>(lp);
        if (m->message == WM_KEYDOWN && (m->wParam == VK_RETURN || m->wParam == VK_SPACE)) {
          return DLGC_WANTMESSAGE;
        }
      }
      return 0;
    case WM_SETFOCUS: case WM_KILLFOCUS: case WM_ENABLE: case WM_SETTEXT: {
      LRESULT res = DefWindowProcA(h, msg, wp, lp);
      InvalidateRect(h, nullptr, FALSE);
      return res;
    }
    default:
      break;
  }
  return DefWindowProcA(h, msg, wp, lp);
}

}  // namespace kui
