#pragma once
// The skinned form frame: any top-level window can carry it. It draws the border, the title bar
// with its system-menu and close buttons, and the menu bar in a theme, and gives the window
// round corners. The window keeps its standard non-client layout (so its client area, its
// HMENU and the keyboard's way into the menu stay as they were); only the drawing and the
// mouse on the title bar's buttons and the menu bar are the frame's.

#include <windows.h>

#include <vector>

#include "ThemeManager.h"

namespace kui {

class SkinFrame {
 public:
  // Attaches the frame to `hwnd` (or switches its theme) and repaints it.
  static void Attach(HWND hwnd, Theme t);
  // The theme of an attached frame; false when none is attached.
  static bool AttachedTheme(HWND hwnd, Theme& t);

  // Parts of the frame in window coordinates (0,0 is the window's top-left corner). The title
  // and menu bars are the system's, scaled from its DPI to the layout's (the same unless forced).
  struct Layout {
    RECT window, client, caption, menuBar, sysButton, closeButton;
    bool hasMenu;
    std::vector<RECT> menuItems;  // where each item of the menu bar is drawn and answers the mouse
  };
  static Layout GetLayout(HWND hwnd, Theme t);

  // Draws the whole non-client area as it is now into `dc`, in window coordinates (a window DC,
  // or a memory DC of the window's size).
  static void PaintNonClient(HWND hwnd, HDC dc, Theme t);
};

}  // namespace kui
