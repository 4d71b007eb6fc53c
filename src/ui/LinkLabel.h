#pragma once
// A link label: blue and underlined, red while the mouse is over it. A click, Enter or Space
// opens its address through the shell (unless the address is blank) and tells the parent with
// WM_COMMAND / STN_CLICKED. It takes the keyboard focus (give it WS_TABSTOP) and shows it.
// Its look is fixed: no theme reaches it.

#include <windows.h>

#include <string>

namespace kui {

class LinkLabel {
 public:
  static const COLORREF kBlue, kRed;

  // The window class; registered on first use, so CreateWindowEx can name it.
  static const char* ClassName();
  static HWND Create(HWND parent, const char* text, int id, int x, int y, int w, int h,
                     DWORD extraStyle = WS_TABSTOP);
  static void SetAddress(HWND link, const std::string& address);
  static std::string Address(HWND link);
  static bool IsHot(HWND link);
  // Draws the label as it is now into `dc` (client coordinates).
  static void Paint(HWND link, HDC dc);

 private:
  static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
};

}  // namespace kui
