#pragma once
// Skinned painting of standard controls by subclassing: behaviour (clicks, BM_CLICK, the dialog
// manager, mnemonics, list view notifications) stays the control's own; only the look changes.

#include <windows.h>

#include "ThemeManager.h"

namespace kui {

// Paints `ctl` in theme `t` from now on (buttons, radio buttons, check boxes, group boxes,
// edits, list views with their header). Calling it again switches the theme. False for a
// control of another kind (it keeps its own look).
bool SkinControl(HWND ctl, Theme t);

// The theme a control is painted in; false when it is not skinned.
bool SkinnedTheme(HWND ctl, Theme& t);

// Painters, also reached through WM_PRINTCLIENT: draw the control as it is now into `dc`
// (client coordinates).
void PaintButton(HWND btn, HDC dc, Theme t);
void PaintHeader(HWND header, HDC dc, Theme t);

}  // namespace kui
