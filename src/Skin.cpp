#include "Skin.h"

#include <cstring>

#include "format/KxAssert.h"
#include "format/KxText.h"
#include "MainForm.h"

TableFont DefaultTableFont() {
  TableFont f{};
  f.lf.lfHeight = -11;  // 8 point at 96 DPI, the unit of table fonts
  f.lf.lfWeight = FW_NORMAL;
  f.lf.lfCharSet = DEFAULT_CHARSET;
  kx::CopyText(f.lf.lfFaceName, "MS Sans Serif");
  f.nColor = kClWindowText;
  return f;
}

COLORREF ColorValueToRGB(int32_t color) {
  uint32_t v = static_cast<uint32_t>(color);
  if (v & 0x80000000u) return GetSysColor(static_cast<int>(v & 0xFF));
  return static_cast<COLORREF>(v & 0x00FFFFFFu);
}

bool ExchangeFont(AppSettings* s, TableFont* font, bool save) {
  if (!s || !font) return false;
  if (save) {
    s->nFontHeight = font->lf.lfHeight;
    s->nFontColor = font->nColor;
    s->nFontCharSet = font->lf.lfCharSet;
    kx::CopyText(s->szFontFace, font->lf.lfFaceName);
    return true;
  }
  if (s->nFontHeight != 0) font->lf.lfHeight = s->nFontHeight;
  if (s->nFontColor != 0) font->nColor = s->nFontColor;
  if (s->nFontCharSet != 0) font->lf.lfCharSet = static_cast<BYTE>(s->nFontCharSet);
  if (s->szFontFace[0] != '\0') {
    // A record from elsewhere may lack its terminator: never read past the field.
    char face[sizeof s->szFontFace] = {};
    memcpy(face, s->szFontFace, strnlen(s->szFontFace, sizeof face - 1));
    kx::CopyText(font->lf.lfFaceName, face);
  }
  return true;
}

bool SkinTheme(uint32_t skinType, kui::Theme& theme) {
  if (skinType > 4) return false;
  theme = static_cast<kui::Theme>(skinType);
  return true;
}

void ApplySkin(kui::ThemeManager* m) {
  KX_ASSERT_TEXT(m && fmMain, "m && fmMain");
  kui::Theme t;
  if (SkinTheme(fmMain->m_Settings.nSkinType, t)) m->SetTheme(t);
}
