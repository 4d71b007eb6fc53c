#include "Dpi.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace kui {
namespace {

// Plain ints, constant-initialised: a test may force the DPI before any other static runs.
int g_systemDpi = 0;
int g_override = 0;

}  // namespace

int SystemDpi() {
  if (!g_systemDpi) {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    g_systemDpi = dpi > 0 ? dpi : 96;
  }
  return g_systemDpi;
}

int Dpi() { return g_override ? g_override : SystemDpi(); }

void SetDpiOverride(int dpi) {
  if (dpi == 0 || (dpi >= kMinDpi && dpi <= kMaxDpi)) g_override = dpi;
}

int DpiFromCommandLine(const char* cmdLine) {
  if (!cmdLine) return 0;
  const char* p = cmdLine;
  while (*p) {
    while (*p == ' ' || *p == '\t') ++p;
    const char* word = p;
    while (*p && *p != ' ' && *p != '\t') ++p;
    const size_t len = static_cast<size_t>(p - word);
    if (len > 5 && _strnicmp(word, "/dpi=", 5) == 0) {
      int value = 0;
      for (const char* d = word + 5; d < p; ++d) {
        if (!isdigit(static_cast<unsigned char>(*d)) || value > kMaxDpi) return 0;
        value = value * 10 + (*d - '0');
      }
      return value >= kMinDpi && value <= kMaxDpi ? value : 0;
    }
  }
  return 0;
}

}  // namespace kui
