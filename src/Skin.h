#pragma once
// Carrying the stored skin and table font to the windows.

#include <windows.h>

#include <cstdint>

#include "core/Settings.h"
#include "ui/ThemeManager.h"

// What a table font is made of: the face, height and character set of a LOGFONT, and the
// text colour as a colour value (a system colour has the high bit set and the index below).
// The height is in pixels at 96 DPI, stored so, and scaled when a font is made of it.
struct TableFont {
  LOGFONTA lf;
  int32_t nColor;
};

const int32_t kClWindowText = static_cast<int32_t>(0x80000008u);  // system colour COLOR_WINDOWTEXT

// The built-in table font: MS Sans Serif 8 point in the window text colour.
TableFont DefaultTableFont();
// The COLORREF a colour value stands for (system colours resolved).
COLORREF ColorValueToRGB(int32_t color);

// save false: each set field (non-zero, non-empty) of `s` goes onto `font`; weight and style
// never. save true: height, colour, character set and face are taken from `font`.
// False when either pointer is null.
bool ExchangeFont(AppSettings* s, TableFont* font, bool save);

// The theme of a skin number; false for a number outside 0..4 (the theme then stays).
bool SkinTheme(uint32_t skinType, kui::Theme& theme);

// Gives `m` the theme of fmMain's stored skin. Both must exist ("m && fmMain").
void ApplySkin(kui::ThemeManager* m);
