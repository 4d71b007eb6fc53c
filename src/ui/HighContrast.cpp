#include "HighContrast.h"

#include <cstring>

#include "SkinControls.h"
#include "SkinFrame.h"

namespace kui {
namespace {

// Plain ints, constant-initialised: a test may force the mode before any other static runs.
int g_forced = 0;   // HighContrastMode
int g_system = -1;  // the system's setting: -1 not read yet

bool SystemHighContrast() {
  if (g_system < 0) {
    HIGHCONTRASTA hc{};
    hc.cbSize = sizeof hc;
    g_system = SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0) &&
                       (hc.dwFlags & HCF_HIGHCONTRASTON)
                   ? 1
                   : 0;
  }
  return g_system == 1;
}

BOOL CALLBACK Reskin(HWND child, LPARAM lp) {
  Theme t;
  if (SkinnedTheme(child, t)) SkinControl(child, t);
  // Common controls take new system colours only when told.
  if (lp == WM_SYSCOLORCHANGE) SendMessageA(child, WM_SYSCOLORCHANGE, 0, 0);
  return TRUE;
}

}  // namespace

bool HighContrast() {
  switch (static_cast<HighContrastMode>(g_forced)) {
    case HighContrastMode::On: return true;
    case HighContrastMode::Off: return false;
    default: return SystemHighContrast();
  }
}

void ForceHighContrast(HighContrastMode mode) { g_forced = static_cast<int>(mode); }

bool HighContrastFromCommandLine(const char* cmdLine) {
  if (!cmdLine) return false;
  const char* p = cmdLine;
  static const char kWord[] = "/highcontrast";
  const size_t n = sizeof kWord - 1;
  while (*p) {
    while (*p == ' ' || *p == '\t') ++p;
    const char* word = p;
    while (*p && *p != ' ' && *p != '\t') ++p;
    if (static_cast<size_t>(p - word) == n && _strnicmp(word, kWord, n) == 0) return true;
  }
  return false;
}

void RefreshLook(HWND top, UINT msg, WPARAM wp) {
  if (!top || !IsWindow(top)) return;
  // Other settings (the work area, the wallpaper...) leave the look alone.
  if (msg == WM_SETTINGCHANGE && wp != SPI_SETHIGHCONTRAST && wp != 0) return;
  g_system = -1;
  Theme t;
  if (SkinFrame::AttachedTheme(top, t)) SkinFrame::Attach(top, t);
  EnumChildWindows(top, Reskin, static_cast<LPARAM>(msg));
  RedrawWindow(top, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

}  // namespace kui
