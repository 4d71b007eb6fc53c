#pragma once
// Reading back what a window shows: its pixels from the window DC after a synchronous repaint.

#include <windows.h>

#include <cstdint>
#include <vector>

namespace skintest {

struct Picture {
  int w = 0, h = 0;
  std::vector<uint32_t> px;  // 0x00RRGGBB, rows top-down
  COLORREF At(int x, int y) const {
    uint32_t v = px[static_cast<size_t>(y) * w + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }
  // Part of the picture (for comparing regions).
  Picture Crop(const RECT& r) const {
    Picture p;
    p.w = r.right - r.left;
    p.h = r.bottom - r.top;
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) p.px.push_back(px[static_cast<size_t>(y) * w + x]);
    }
    return p;
  }
  bool operator==(const Picture& o) const { return w == o.w && h == o.h && px == o.px; }
  bool operator!=(const Picture& o) const { return !(*this == o); }
};

// The whole window (frame and children included) as it is on screen after a repaint.
inline Picture Capture(HWND hwnd) {
  RedrawWindow(hwnd, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RECT wr;
  GetWindowRect(hwnd, &wr);
  Picture p;
  p.w = wr.right - wr.left;
  p.h = wr.bottom - wr.top;
  p.px.resize(static_cast<size_t>(p.w) * p.h);
  HDC wdc = GetWindowDC(hwnd);
  HDC mem = CreateCompatibleDC(wdc);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = p.w;
  bi.bmiHeader.biHeight = -p.h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(wdc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, p.w, p.h, wdc, 0, 0, SRCCOPY);
  GdiFlush();
  const auto* src = static_cast<const uint32_t*>(bits);
  for (size_t i = 0; i < p.px.size(); ++i) p.px[i] = src[i] & 0x00FFFFFF;
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(hwnd, wdc);
  return p;
}

// A child's rectangle in the coordinates of its top-level window's picture.
inline RECT RectInWindow(HWND child, HWND top) {
  RECT r, wr;
  GetWindowRect(child, &r);
  GetWindowRect(top, &wr);
  OffsetRect(&r, -wr.left, -wr.top);
  return r;
}

}  // namespace skintest
