// The program's pictures as the windows load them from the resources the build made.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <vector>

#include "ForcedDpi.h"
#include "ui/Pictures.h"
#include "ui/resource.h"

namespace {

struct Pixels {
  int w = 0, h = 0;
  std::vector<COLORREF> rgb;
  COLORREF at(int x, int y) const { return rgb[static_cast<size_t>(y) * w + x]; }
};

// Reads a bitmap back through a 32-bit top-down DIB, whatever its own format.
Pixels Read(HBITMAP bmp) {
  Pixels p;
  BITMAP bm{};
  if (!GetObjectA(bmp, sizeof bm, &bm)) return p;
  p.w = bm.bmWidth;
  p.h = bm.bmHeight;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = p.w;
  bi.bmiHeader.biHeight = -p.h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  std::vector<DWORD> raw(static_cast<size_t>(p.w) * p.h);
  HDC dc = GetDC(nullptr);
  GetDIBits(dc, bmp, 0, p.h, raw.data(), &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  for (DWORD v : raw) p.rgb.push_back(RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF));
  return p;
}

struct Bitmap {
  HBITMAP h;
  explicit Bitmap(HBITMAP b) : h(b) {}
  ~Bitmap() { if (h) DeleteObject(h); }
};

int BitsPerPixel(HBITMAP bmp) {
  DIBSECTION ds{};
  if (GetObjectA(bmp, sizeof ds, &ds) != sizeof ds) return 0;
  return ds.dsBmih.biBitCount;
}

const COLORREF kMagenta = RGB(255, 0, 255);
const COLORREF kSplashBlue = RGB(0x33, 0x99, 0xCC);

int ColourCount(const Pixels& p, int x0, int y0, int w, int h) {
  std::vector<COLORREF> seen;
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x) {
      COLORREF c = p.at(x, y);
      bool known = false;
      for (COLORREF s : seen) known = known || s == c;
      if (!known) seen.push_back(c);
    }
  return static_cast<int>(seen.size());
}

}  // namespace

TEST(Pictures, BannerIsTheTopPanelsSizeOnWhite) {
  Bitmap b(kui::LoadPicture(IDB_BANNER));
  ASSERT_NE(nullptr, b.h);
  EXPECT_EQ(24, BitsPerPixel(b.h));
  Pixels p = Read(b.h);
  ASSERT_EQ(340, p.w);
  ASSERT_EQ(67, p.h);
  // It sits on the white top panel: its edges must be white, its middle must carry a drawing.
  for (int x = 0; x < p.w; ++x) EXPECT_EQ(RGB(255, 255, 255), p.at(x, p.h - 1)) << "x " << x;
  EXPECT_EQ(RGB(255, 255, 255), p.at(p.w - 1, 0));
  EXPECT_GT(ColourCount(p, 0, 0, p.w, p.h), 50);
}

TEST(Pictures, SplashPictureBlendsIntoTheSplashBlue) {
  Bitmap b(kui::LoadPicture(IDB_SPLASH));
  ASSERT_NE(nullptr, b.h);
  EXPECT_EQ(24, BitsPerPixel(b.h));
  Pixels p = Read(b.h);
  ASSERT_EQ(160, p.w);
  ASSERT_EQ(160, p.h);
  EXPECT_EQ(kSplashBlue, p.at(0, 0));
  EXPECT_EQ(kSplashBlue, p.at(159, 0));
  EXPECT_EQ(kSplashBlue, p.at(0, 159));
  EXPECT_EQ(kSplashBlue, p.at(159, 159));
  EXPECT_GT(ColourCount(p, 40, 40, 80, 80), 50);
}

TEST(Pictures, TableStripHoldsThreeMaskedPictures) {
  Bitmap b(kui::LoadPicture(IDB_CONDLIST));
  ASSERT_NE(nullptr, b.h);
  EXPECT_EQ(24, BitsPerPixel(b.h));
  Pixels p = Read(b.h);
  ASSERT_EQ(45, p.w);
  ASSERT_EQ(15, p.h);
  COLORREF centre[3];
  for (int i = 0; i < 3; ++i) {
    const int x0 = i * 15;
    // Corners clear, so a highlighted row shows through; the middle drawn.
    EXPECT_EQ(kMagenta, p.at(x0, 0)) << "picture " << i;
    EXPECT_EQ(kMagenta, p.at(x0 + 14, 14)) << "picture " << i;
    int drawn = 0;
    for (int y = 0; y < 15; ++y)
      for (int x = x0; x < x0 + 15; ++x) drawn += p.at(x, y) != kMagenta;
    EXPECT_GT(drawn, 100) << "picture " << i;
    centre[i] = p.at(x0 + 2, 7);  // left of the mark: the badge's own colour
  }
  // Installed green, removed blue, missing red: told apart by their strongest channel.
  EXPECT_GT(GetGValue(centre[0]), GetRValue(centre[0]));
  EXPECT_GT(GetBValue(centre[1]), GetRValue(centre[1]));
  EXPECT_GT(GetRValue(centre[2]), GetGValue(centre[2]));
}

TEST(Pictures, TableImageListDrawsTheBadgesAndLeavesTheCornersClear) {
  HIMAGELIST il = ImageList_Create(15, 15, ILC_COLOR24 | ILC_MASK, 3, 0);
  ASSERT_NE(nullptr, il);
  Bitmap strip(kui::LoadPicture(IDB_CONDLIST));
  ASSERT_NE(nullptr, strip.h);
  ImageList_AddMasked(il, strip.h, kMagenta);
  ASSERT_EQ(3, ImageList_GetImageCount(il));
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  Bitmap target(CreateCompatibleBitmap(screen, 15, 15));
  ReleaseDC(nullptr, screen);
  for (int i = 0; i < 3; ++i) {
    HGDIOBJ old = SelectObject(dc, target.h);
    RECT all{0, 0, 15, 15};
    HBRUSH yellow = CreateSolidBrush(RGB(255, 255, 0));
    FillRect(dc, &all, yellow);
    DeleteObject(yellow);
    ImageList_Draw(il, i, dc, 0, 0, ILD_TRANSPARENT);
    SelectObject(dc, old);
    Pixels p = Read(target.h);
    EXPECT_EQ(RGB(255, 255, 0), p.at(0, 0)) << "picture " << i;
    EXPECT_NE(RGB(255, 255, 0), p.at(7, 7)) << "picture " << i;
    for (COLORREF c : p.rgb) EXPECT_NE(kMagenta, c) << "picture " << i;
  }
  DeleteDC(dc);
  ImageList_Destroy(il);
}

// The sizes a group icon resource lists (RT_GROUP_ICON entries; a width byte of 0 means 256).
static std::vector<int> IconSizes(int id) {
  std::vector<int> sizes;
  HINSTANCE inst = GetModuleHandleA(nullptr);
  HRSRC group = FindResourceA(inst, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14));
  if (!group) return sizes;
  const BYTE* dir = static_cast<const BYTE*>(LockResource(LoadResource(inst, group)));
  const int count = dir[4] | (dir[5] << 8);
  for (int i = 0; i < count; ++i) {
    const BYTE* e = dir + 6 + 14 * i;
    EXPECT_EQ(32, e[6] | (e[7] << 8)) << "bits per pixel of entry " << i;
    sizes.push_back(e[0] ? e[0] : 256);
  }
  return sizes;
}

TEST(Pictures, ProgramIconHasEachSizeDrawn) {
  // Every size the desktop asks for exists as its own picture, so none is a blurred stretch.
  // 24 and 64 are the small and large icons at 150 % and 200 %; 48 the large one at 150 %.
  EXPECT_EQ((std::vector<int>{16, 24, 32, 48, 64, 256}), IconSizes(IDI_KESTRIN));
  EXPECT_EQ((std::vector<int>{16, 32, 48, 64}), IconSizes(IDI_ABOUT));
  HINSTANCE inst = GetModuleHandleA(nullptr);
  for (int id : {IDI_KESTRIN, IDI_ABOUT}) {
    for (int size : {16, 32, 48, 64}) {
      HICON icon = static_cast<HICON>(
          LoadImageA(inst, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
      ASSERT_NE(nullptr, icon) << id << " at " << size;
      ICONINFO ii{};
      ASSERT_TRUE(GetIconInfo(icon, &ii));
      BITMAP bm{};
      GetObjectA(ii.hbmColor, sizeof bm, &bm);
      EXPECT_EQ(size, bm.bmWidth);
      for (HBITMAP h : {ii.hbmColor, ii.hbmMask})
        if (h) DeleteObject(h);
      DestroyIcon(icon);
    }
  }
}

TEST(Pictures, DrawPictureCopiesAtItsSizeAndStretchesWhenScaled) {
  Bitmap splash(kui::LoadPicture(IDB_SPLASH));
  ASSERT_NE(nullptr, splash.h);
  Pixels src = Read(splash.h);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  Bitmap same(CreateCompatibleBitmap(screen, 160, 160));
  Bitmap big(CreateCompatibleBitmap(screen, 240, 240));
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, same.h);
  kui::DrawPicture(dc, RECT{0, 0, 160, 160}, splash.h);
  SelectObject(dc, big.h);
  kui::DrawPicture(dc, RECT{0, 0, 240, 240}, splash.h);
  SelectObject(dc, old);
  DeleteDC(dc);
  Pixels a = Read(same.h), b = Read(big.h);
  EXPECT_EQ(src.rgb, a.rgb);
  EXPECT_EQ(kSplashBlue, b.at(0, 0));
  EXPECT_EQ(kSplashBlue, b.at(239, 239));
  EXPECT_GT(ColourCount(b, 60, 60, 120, 120), 50);
}

TEST(Pictures, MissingPictureDrawsNothingAndIconFallsBack) {
  EXPECT_EQ(nullptr, kui::LoadPicture(999));
  HDC dc = CreateCompatibleDC(nullptr);
  kui::DrawPicture(dc, RECT{0, 0, 10, 10}, nullptr);  // must not crash
  DeleteDC(dc);
  EXPECT_NE(nullptr, kui::LoadProgramIcon(999, 32));
}

// ---- At other DPIs ------------------------------------------------------------------------------

TEST(Pictures, EachDpiGetsARenderingMadeForItsScaleWithTheSameEdges) {
  struct Case {
    int dpi;
    SIZE banner, splash, strip;
  };
  // 120 DPI takes the 150 % rendering (drawn smaller), 288 the largest (drawn larger).
  const Case cases[] = {{96, {340, 67}, {160, 160}, {45, 15}},
                        {120, {510, 101}, {240, 240}, {69, 23}},
                        {144, {510, 101}, {240, 240}, {69, 23}},
                        {192, {680, 134}, {320, 320}, {90, 30}},
                        {288, {680, 134}, {320, 320}, {90, 30}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dpi);
    ktest::ForcedDpi dpi(c.dpi);
    Bitmap banner(kui::LoadPicture(IDB_BANNER)), splash(kui::LoadPicture(IDB_SPLASH)),
        strip(kui::LoadPicture(IDB_CONDLIST));
    ASSERT_TRUE(banner.h && splash.h && strip.h);
    Pixels b = Read(banner.h), s = Read(splash.h), t = Read(strip.h);
    EXPECT_EQ(c.banner.cx, b.w);
    EXPECT_EQ(c.banner.cy, b.h);
    EXPECT_EQ(c.splash.cx, s.w);
    EXPECT_EQ(c.splash.cy, s.h);
    EXPECT_EQ(c.strip.cx, t.w);
    EXPECT_EQ(c.strip.cy, t.h);
    // Rendered for its background at every scale: white banner edge, blue splash corners, clear
    // corners of each table picture.
    EXPECT_EQ(RGB(255, 255, 255), b.at(b.w - 1, b.h - 1));
    EXPECT_EQ(kSplashBlue, s.at(s.w - 1, s.h - 1));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(kMagenta, t.at(i * t.h, 0)) << "picture " << i;
  }
}

TEST(Pictures, TablePicturesResizedForAnImageListKeepTheMaskColourExact) {
  // At 120 DPI the image list wants 19-pixel pictures: the 23-pixel rendering made smaller.
  ktest::ForcedDpi dpi(120);
  const int n = kui::Scale(15);
  ASSERT_EQ(19, n);
  Bitmap strip(kui::LoadPictureSized(IDB_CONDLIST, 3 * n, n, false));
  ASSERT_NE(nullptr, strip.h);
  Pixels p = Read(strip.h);
  ASSERT_EQ(3 * n, p.w);
  ASSERT_EQ(n, p.h);
  // Averaging would leave pinkish pixels the mask misses; each pixel is magenta or clearly not.
  int clear = 0;
  for (COLORREF c : p.rgb) {
    if (c == kMagenta) {
      ++clear;
      continue;
    }
    const bool pinkish = GetRValue(c) > 200 && GetBValue(c) > 200 && GetGValue(c) < 80;
    EXPECT_FALSE(pinkish) << std::hex << c;
  }
  EXPECT_GT(clear, 3 * 4);
  EXPECT_LT(clear, p.w * p.h / 2);
}
