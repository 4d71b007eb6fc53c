#include "Pictures.h"

#include "Dpi.h"
#include "HighContrast.h"
#include "resource.h"

namespace kui {
namespace {

HBITMAP LoadRendering(int id) {
  return static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id),
                                         IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

void Blit(HDC dc, const RECT& r, HDC mem, int sw, int sh, bool smooth) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w == sw && h == sh) {
    BitBlt(dc, r.left, r.top, w, h, mem, 0, 0, SRCCOPY);
    return;
  }
  // HALFTONE averages the source pixels; COLORONCOLOR takes the nearest one.
  const int oldMode = SetStretchBltMode(dc, smooth ? HALFTONE : COLORONCOLOR);
  POINT org;
  SetBrushOrgEx(dc, 0, 0, &org);
  StretchBlt(dc, r.left, r.top, w, h, mem, 0, 0, sw, sh, SRCCOPY);
  SetBrushOrgEx(dc, org.x, org.y, nullptr);
  SetStretchBltMode(dc, oldMode);
}

}  // namespace

HBITMAP LoadPicture(int id) {
  // Percent of 96 DPI the layout asks for, and the renderings from the best fit down.
  const int want = MulDiv(Dpi(), 100, 96);
  const int first = want <= 100 ? 0 : want <= 150 ? 1 : 2;
  const int offsets[] = {0, IDB_AT150, IDB_AT200};
  for (int i = first; i >= 0; --i) {
    if (HBITMAP b = LoadRendering(id + offsets[i])) return b;
  }
  return nullptr;
}

HBITMAP LoadPictureSized(int id, int w, int h, bool smooth) {
  HBITMAP src = LoadPicture(id);
  BITMAP bm{};
  if (!src || !GetObjectA(src, sizeof bm, &bm)) return src;
  if (bm.bmWidth == w && bm.bmHeight == h) return src;
  HBITMAP out = nullptr;
  HDC screen = GetDC(nullptr);
  HDC from = CreateCompatibleDC(screen), to = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  if (from && to && w > 0 && h > 0) {
    out = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  }
  if (out) {
    HGDIOBJ oldFrom = SelectObject(from, src), oldTo = SelectObject(to, out);
    Blit(to, RECT{0, 0, w, h}, from, bm.bmWidth, bm.bmHeight, smooth);
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
  }
  if (from) DeleteDC(from);
  if (to) DeleteDC(to);
  ReleaseDC(nullptr, screen);
  DeleteObject(src);
  return out;
}

void DrawPicture(HDC dc, const RECT& r, HBITMAP bmp) {
  if (HighContrast()) {
    // No pictures under high contrast: the window's plain face instead.
    FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
    return;
  }
  BITMAP bm{};
  if (!bmp || !GetObjectA(bmp, sizeof bm, &bm)) return;
  HDC mem = CreateCompatibleDC(dc);
  if (!mem) return;
  HGDIOBJ old = SelectObject(mem, bmp);
  Blit(dc, r, mem, bm.bmWidth, bm.bmHeight, true);
  SelectObject(mem, old);
  DeleteDC(mem);
}

HICON LoadProgramIcon(int id, int size) {
  auto icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id),
                                            IMAGE_ICON, size, size, LR_SHARED));
  return icon ? icon : LoadIcon(nullptr, IDI_APPLICATION);
}

}  // namespace kui
