#include "SkinDraw.h"

#include "Dpi.h"
#include "GdiHandle.h"
#include "HighContrast.h"

namespace kui {

void FillGrad(HDC dc, const RECT& r, const Grad& g) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  TRIVERTEX v[2] = {
      {r.left, r.top, static_cast<COLOR16>(GetRValue(g.top) << 8),
       static_cast<COLOR16>(GetGValue(g.top) << 8), static_cast<COLOR16>(GetBValue(g.top) << 8), 0},
      {r.right, r.bottom, static_cast<COLOR16>(GetRValue(g.bottom) << 8),
       static_cast<COLOR16>(GetGValue(g.bottom) << 8),
       static_cast<COLOR16>(GetBValue(g.bottom) << 8), 0}};
  GRADIENT_RECT gr{0, 1};
  GradientFill(dc, v, 2, &gr, 1, GRADIENT_FILL_RECT_V);
}

void FillSolid(HDC dc, const RECT& r, COLORREF c) {
  COLORREF old = SetBkColor(dc, c);
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
  SetBkColor(dc, old);
}

void FillRoundGrad(HDC dc, const RECT& r, const Grad& g, int radius, COLORREF border) {
  if (radius <= 0) {
    FillGrad(dc, r, g);
    FrameRound(dc, r, 0, border);
    return;
  }
  kx::UniqueGdiObject rgn(CreateRoundRectRgn(r.left, r.top, r.right + 1, r.bottom + 1, radius * 2,
                                             radius * 2));
  int saved = SaveDC(dc);
  // The region is in device units; the DC may be offset (buffered or printed).
  POINT org{0, 0};
  GetViewportOrgEx(dc, &org);
  OffsetRgn(static_cast<HRGN>(rgn.get()), org.x, org.y);
  ExtSelectClipRgn(dc, static_cast<HRGN>(rgn.get()), RGN_AND);
  FillGrad(dc, r, g);
  RestoreDC(dc, saved);
  FrameRound(dc, r, radius, border);
}

void FrameRound(HDC dc, const RECT& r, int radius, COLORREF c) {
  kx::UniqueGdiObject pen(CreatePen(PS_SOLID, 1, c));
  HGDIOBJ oldPen = SelectObject(dc, pen.get());
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  if (radius <= 0) {
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
  } else {
    RoundRect(dc, r.left, r.top, r.right, r.bottom, radius * 2, radius * 2);
  }
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
}

void Line(HDC dc, int x0, int y0, int x1, int y1, COLORREF c, int width) {
  kx::UniqueGdiObject pen(CreatePen(PS_SOLID, width, c));
  HGDIOBJ old = SelectObject(dc, pen.get());
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
  SelectObject(dc, old);
}

void PaintParentBackground(HWND ctl, HDC dc) {
  HWND parent = GetParent(ctl);
  RECT r;
  GetClientRect(ctl, &r);
  if (!parent) {
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    return;
  }
  POINT pt{0, 0};
  MapWindowPoints(ctl, parent, &pt, 1);
  int saved = SaveDC(dc);
  IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
  POINT org;
  GetViewportOrgEx(dc, &org);
  SetViewportOrgEx(dc, org.x - pt.x, org.y - pt.y, nullptr);
  if (!SendMessageA(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0)) {
    RECT pr{pt.x, pt.y, pt.x + r.right, pt.y + r.bottom};
    FillRect(dc, &pr, GetSysColorBrush(COLOR_BTNFACE));
  }
  RestoreDC(dc, saved);
}

void DrawLabel(HDC dc, const char* text, RECT r, COLORREF c, UINT format) {
  int oldMode = SetBkMode(dc, TRANSPARENT);
  COLORREF old = SetTextColor(dc, c);
  DrawTextA(dc, text, -1, &r, format);
  SetTextColor(dc, old);
  SetBkMode(dc, oldMode);
}

void PaintPanel(HDC dc, const RECT& r, Theme t, PanelKind kind) {
  if (HighContrast()) {
    // Flat system faces: the top panel is a window, the bottom one a button face.
    const bool top = kind == PanelKind::Top;
    FillSolid(dc, r, GetSysColor(top ? COLOR_WINDOW : COLOR_BTNFACE));
    const int y = top ? r.bottom - 1 : r.top;
    Line(dc, r.left, y, r.right, y, GetSysColor(top ? COLOR_WINDOWTEXT : COLOR_BTNTEXT));
    return;
  }
  const Palette& p = PaletteOf(t);
  if (kind == PanelKind::Top) {
    FillSolid(dc, r, RGB(0xFF, 0xFF, 0xFF));
    RECT shade{r.left, r.bottom - Scale(6), r.right, r.bottom - 1};
    FillGrad(dc, shade, {RGB(0xFF, 0xFF, 0xFF), Mix(p.panel.bottom, RGB(0xFF, 0xFF, 0xFF), 0.4)});
    Line(dc, r.left, r.bottom - 1, r.right, r.bottom - 1, p.panelLine);
    return;
  }
  FillGrad(dc, r, p.panel);
  // Fine horizontal stripes, the brushed look of the theme's panels.
  COLORREF stripe = Mix(p.panel.top, p.panel.bottom, 0.5);
  stripe = Mix(stripe, RGB(0xFF, 0xFF, 0xFF), 0.25);
  const int step = Scale(4);
  for (int y = r.top + step / 2; y < r.bottom; y += step) {
    Line(dc, r.left, y, r.right, y, Mix(stripe, p.panel.top, 0.5));
  }
  Line(dc, r.left, r.top, r.right, r.top, p.panelLine);
  Line(dc, r.left, r.top + 1, r.right, r.top + 1, RGB(0xFF, 0xFF, 0xFF));
}

BufferedDC::BufferedDC(HDC target, const RECT& r) : m_target(target), m_r(r) {
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return;
  m_mem = CreateCompatibleDC(target);
  m_bmp = CreateCompatibleBitmap(target, w, h);
  if (!m_mem || !m_bmp) {
    if (m_mem) DeleteDC(m_mem);
    if (m_bmp) DeleteObject(m_bmp);
    m_mem = nullptr;
    m_bmp = nullptr;
    return;
  }
  m_old = SelectObject(m_mem, m_bmp);
  SetViewportOrgEx(m_mem, -r.left, -r.top, nullptr);
  // Carry the target's font and colours, as painting code expects of a fresh DC.
  SelectObject(m_mem, GetCurrentObject(target, OBJ_FONT));
}

BufferedDC::~BufferedDC() {
  if (!m_mem) return;
  SetViewportOrgEx(m_mem, 0, 0, nullptr);
  BitBlt(m_target, m_r.left, m_r.top, m_r.right - m_r.left, m_r.bottom - m_r.top, m_mem, 0, 0,
         SRCCOPY);
  SelectObject(m_mem, m_old);
  DeleteObject(m_bmp);
  DeleteDC(m_mem);
}

}  // namespace kui
