#include "Pictures.h"

namespace kui {

HBITMAP LoadPicture(int id) {
  return static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id),
                                         IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

void DrawPicture(HDC dc, const RECT& r, HBITMAP bmp) {
  BITMAP bm{};
  if (!bmp || !GetObjectA(bmp, sizeof bm, &bm)) return;
  HDC mem = CreateCompatibleDC(dc);
  if (!mem) return;
  HGDIOBJ old = SelectObject(mem, bmp);
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w == bm.bmWidth && h == bm.bmHeight) {
    BitBlt(dc, r.left, r.top, w, h, mem, 0, 0, SRCCOPY);
  } else {
    // HALFTONE averages the source pixels; the default mode drops rows and columns.
    int oldMode = SetStretchBltMode(dc, HALFTONE);
    POINT org;
    SetBrushOrgEx(dc, 0, 0, &org);
    StretchBlt(dc, r.left, r.top, w, h, mem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    SetBrushOrgEx(dc, org.x, org.y, nullptr);
    SetStretchBltMode(dc, oldMode);
  }
  SelectObject(mem, old);
  DeleteDC(mem);
}

HICON LoadProgramIcon(int id, int size) {
  auto icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id),
                                            IMAGE_ICON, size, size, LR_SHARED));
  return icon ? icon : LoadIcon(nullptr, IDI_APPLICATION);
}

}  // namespace kui
