#include "Window.h"

#include <algorithm>
#include <exception>

#include "Help.h"
#include "HighContrast.h"
#include "MsgBox.h"
#include "Pictures.h"
#include "resource.h"

namespace kui {

const char kAppTitle[] = "Orlenta Kestrin";

void ShowException(HWND owner, const char* what) {
  ShowMessage(owner, what ? what : "", kAppTitle, MB_ICONERROR);
}

Window::~Window() {
  if (m_hwnd) {
    // The derived part is gone: detach first so no message reaches it during destruction.
    SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, 0);
    HWND h = m_hwnd;
    m_hwnd = nullptr;
    DestroyWindow(h);
  }
}

void Window::RegisterClassOnce(const char* cls, HBRUSH background, UINT style) {
  WNDCLASSEXA wc{};
  HINSTANCE inst = GetModuleHandleA(nullptr);
  if (GetClassInfoExA(inst, cls, &wc)) return;
  wc = WNDCLASSEXA{};
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = StaticProc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hIcon = LoadProgramIcon(IDI_KESTRIN, GetSystemMetrics(SM_CXICON));
  wc.hIconSm = LoadProgramIcon(IDI_KESTRIN, GetSystemMetrics(SM_CXSMICON));
  wc.hbrBackground = background;
  wc.lpszClassName = cls;
  RegisterClassExA(&wc);
}

HWND Window::CreateWnd(DWORD exStyle, const char* cls, const char* caption, DWORD style, int x,
                       int y, int w, int h, HWND parent, HMENU menu) {
  return CreateWindowExA(exStyle, cls, caption, style, x, y, w, h, parent, menu,
                         GetModuleHandleA(nullptr), this);
}

HWND Window::CreateDialogWnd(const char* cls, const char* caption, int clientWidth,
                             int clientHeight, HWND owner) {
  RegisterClassOnce(cls, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  const RECT r =
      CentredWindowRect(Scale(clientWidth), Scale(clientHeight), style, exStyle, false);
  return CreateWnd(exStyle, cls, caption, style, r.left, r.top, r.right - r.left,
                   r.bottom - r.top, owner, nullptr);
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) { return DefProc(msg, wp, lp); }

LRESULT CALLBACK Window::StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Window* self = nullptr;
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
    self = static_cast<Window*>(cs->lpCreateParams);
    self->m_hwnd = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcA(hwnd, msg, wp, lp);

  // Every window of the program follows a change of high contrast the same way.
  if (msg == WM_SETTINGCHANGE || msg == WM_SYSCOLORCHANGE) RefreshLook(hwnd, msg, wp);
  LRESULT result = 0;
  try {
    if (msg == WM_HELP && self->HelpTopic()) {
      OpenHelpTopic(self->HelpTopic());
      return TRUE;
    }
    result = self->HandleMessage(msg, wp, lp);
  } catch (const std::exception& e) {
    ShowException(hwnd, e.what());
  } catch (...) {
    ShowException(hwnd, "");
  }
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->m_hwnd = nullptr;
  }
  return result;
}

bool ReturnFocus(HWND wnd, WPARAM wp, FocusReturn mode, HWND& last, HWND fallback) {
  if (LOWORD(wp) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (mode == FocusReturn::Remembered && focus && IsChild(wnd, focus)) last = focus;
    return true;
  }
  if (HIWORD(wp)) return false;
  HWND focus = mode == FocusReturn::Remembered ? last : nullptr;
  if (!focus || !IsWindow(focus) || !IsChild(wnd, focus) || !IsWindowVisible(focus) ||
      !IsWindowEnabled(focus)) {
    focus = fallback;
  }
  if (focus) SetFocus(focus);
  return true;
}

RECT CentredWindowRect(int cw, int ch, DWORD style, DWORD exStyle, bool hasMenu) {
  RECT r{0, 0, cw, ch};
  AdjustWindowRectEx(&r, style, hasMenu ? TRUE : FALSE, exStyle);
  int w = r.right - r.left, h = r.bottom - r.top;
  // A window larger than the screen keeps its title bar on it.
  int x = std::max(0, (GetSystemMetrics(SM_CXSCREEN) - w) / 2);
  int y = std::max(0, (GetSystemMetrics(SM_CYSCREEN) - h) / 2);
  return RECT{x, y, x + w, y + h};
}

}  // namespace kui
