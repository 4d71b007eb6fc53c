#pragma once
// One DPI for the whole process. Every size of the windows is written for 96 DPI and passes
// through Scale on its way to the screen. The DPI is the screen's (the program declares itself
// DPI-aware in its manifest), unless forced: by the /dpi=N switch of kestrin.exe, or by a test.

#include <windows.h>

namespace kui {

// The screen's DPI (LOGPIXELSY of the screen DC), read once.
int SystemDpi();
// The DPI the windows are laid out for: the forced one, else the screen's.
int Dpi();
// Forces the layout DPI for windows created from now on; 0 goes back to the screen's. Values
// outside kMinDpi..kMaxDpi are ignored.
void SetDpiOverride(int dpi);
constexpr int kMinDpi = 72, kMaxDpi = 480;

// A size at 96 DPI in pixels at the layout DPI (rounded to the nearest pixel), and back.
inline int Scale(int px) { return MulDiv(px, Dpi(), 96); }
inline int Unscale(int px) { return MulDiv(px, 96, Dpi()); }
// A size the system measured at its own DPI, at the layout DPI (the same unless forced).
inline int ScaleFromSystem(int px) { return MulDiv(px, Dpi(), SystemDpi()); }

// A LOGFONT height (negative: the character height) of a point size at the layout DPI.
inline int PointsToHeight(int pt) { return -MulDiv(pt, Dpi(), 72); }

// The DPI a command line asks for with "/dpi=N" (N between kMinDpi and kMaxDpi), or 0 when it
// asks for none or for one out of range. Other words of the line are left alone.
int DpiFromCommandLine(const char* cmdLine);

}  // namespace kui
