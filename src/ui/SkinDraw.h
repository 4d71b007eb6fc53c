#pragma once
// Drawing primitives shared by the skinned controls and the form frame.

#include <windows.h>

#include "SkinPalette.h"

namespace kui {

// Vertical gradient over r.
void FillGrad(HDC dc, const RECT& r, const Grad& g);
void FillSolid(HDC dc, const RECT& r, COLORREF c);
// Gradient inside a rounded rectangle with a one-pixel border (radius 0: square corners).
void FillRoundGrad(HDC dc, const RECT& r, const Grad& g, int radius, COLORREF border);
// One-pixel outline of a rounded rectangle.
void FrameRound(HDC dc, const RECT& r, int radius, COLORREF c);
void Line(HDC dc, int x0, int y0, int x1, int y1, COLORREF c, int width = 1);
// What the parent shows behind `ctl` (its background), drawn into the control's DC.
void PaintParentBackground(HWND ctl, HDC dc);

// Text with the '&' mnemonic underlined, in the given colour, transparent background.
void DrawLabel(HDC dc, const char* text, RECT r, COLORREF c, UINT format);

// Which panel of a theme: the top panel is white, the bottom one takes the theme's panel face.
enum class PanelKind { Top, Bottom };
void PaintPanel(HDC dc, const RECT& r, Theme t, PanelKind kind);

// Double-buffered painting: draws into a memory bitmap and copies it on destruction.
class BufferedDC {
 public:
  BufferedDC(HDC target, const RECT& r);
  ~BufferedDC();
  BufferedDC(const BufferedDC&) = delete;
  BufferedDC& operator=(const BufferedDC&) = delete;
  HDC dc() const { return m_mem ? m_mem : m_target; }

 private:
  HDC m_target, m_mem = nullptr;
  RECT m_r;
  HBITMAP m_bmp = nullptr;
  HGDIOBJ m_old = nullptr;
};

}  // namespace kui
