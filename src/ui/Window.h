#pragma once
// Window base: one window procedure for every window of the program. It keeps `this` in
// GWLP_USERDATA, hands each message to HandleMessage, and stops every exception at the Win32
// boundary (a C++ exception must not unwind through user32): the exception's text is shown and
// the window stays open.

#include <windows.h>

#include "Dpi.h"

namespace kui {

extern const char kAppTitle[];  // "Orlenta Kestrin": caption of exception messages

// Shows an escaped exception the way the entry point and every window procedure do.
void ShowException(HWND owner, const char* what);

class Window {
 public:
  Window() = default;
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND hwnd() const { return m_hwnd; }
  // The help topic F1 opens for this window ("main-window"); none by default.
  virtual const char* HelpTopic() const { return nullptr; }

 protected:
  // Registers the class once per process (our procedure, arrow cursor, the given background).
  static void RegisterClassOnce(const char* cls, HBRUSH background, UINT style = 0);
  // Creates the window; WM_NCCREATE already reaches HandleMessage of this object.
  HWND CreateWnd(DWORD exStyle, const char* cls, const char* caption, DWORD style, int x, int y,
                 int w, int h, HWND parent, HMENU menu);
  // A dialog-style window (caption, system menu, modal frame, button-face background) whose
  // client area of the given 96-DPI size is centred on the desktop.
  HWND CreateDialogWnd(const char* cls, const char* caption, int clientWidth, int clientHeight,
                       HWND owner);
  virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT DefProc(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcA(m_hwnd, msg, wp, lp); }

 private:
  static LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  HWND m_hwnd = nullptr;
};

// Where the focus goes when a window is activated.
enum class FocusReturn {
  Default,     // the window's default control, every time
  Remembered,  // back to the child that had it when the window went inactive, else the default
};

// One window's WM_ACTIVATE (wp as it came): with Remembered, the focused child is kept in `last`
// on WA_INACTIVE. On activation the focus goes to `last` while it is a visible, enabled child,
// else to `fallback` (when there is one). False, with nothing done, when the window is minimised
// (DefWindowProc's turn).
bool ReturnFocus(HWND wnd, WPARAM wp, FocusReturn mode, HWND& last, HWND fallback);

// Top-level window position that centres a client area of cw x ch on the desktop (its top-left
// corner stays on the desktop when the window is larger).
RECT CentredWindowRect(int cw, int ch, DWORD style, DWORD exStyle, bool hasMenu);

}  // namespace kui
