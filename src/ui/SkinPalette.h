#pragma once
// The colours of the five themes, as data: the painters draw from it and the tests compute the
// text contrast from the same table.

#include <windows.h>

#include "ThemeManager.h"

namespace kui {

struct Grad {
  COLORREF top, bottom;
};

struct ButtonColors {
  Grad face;
  COLORREF border;
  COLORREF text;
};

enum ButtonState { kBtnNormal, kBtnHot, kBtnPressed, kBtnDisabled, kBtnStateCount };

struct Palette {
  Theme theme;
  int frameRadius;   // corners of the form frame
  int buttonRadius;  // corners of push buttons
  // Form frame: border, title bar and its two buttons, menu bar.
  COLORREF frameBorder, frameEdge;
  Grad caption;
  COLORREF captionText, captionShine;
  Grad sysButton, closeButton;
  COLORREF sysGlyph, closeGlyph, captionButtonBorder;
  bool roundCaptionButtons;
  Grad menuBar, menuHot;
  COLORREF menuText, menuHotText, menuLine, menuPopup;
  // Push buttons; the focus ring and the default button's extra ring.
  ButtonColors button[kBtnStateCount];
  COLORREF focus, defaultRing;
  // Radio buttons, check boxes and group boxes: their text stands on the form's face.
  COLORREF markRing, markDot, markText;
  Grad markFill;
  COLORREF groupLine, groupText;
  // Edits: the border, and the border of the focused edit.
  COLORREF editBorder, editFocus;
  // List views: header, rows, selection.
  Grad header;
  COLORREF headerText, headerLine;
  COLORREF rowBack, rowAltBack;
  Grad selection;
  COLORREF selectionText;
  // Plain panels of this theme.
  Grad panel;
  COLORREF panelLine;
};

const Palette& PaletteOf(Theme t);

// WCAG 2 relative luminance (0..1) and contrast ratio (1..21).
double RelativeLuminance(COLORREF c);
double ContrastRatio(COLORREF a, COLORREF b);
// Worst contrast of a text colour over a gradient (the text may stand on any part of it).
double MinContrast(COLORREF text, const Grad& g);

// Colour `f` of the way from a to b (0..1).
COLORREF Mix(COLORREF a, COLORREF b, double f);

}  // namespace kui
