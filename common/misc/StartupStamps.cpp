#include "StartupStamps.h"

#include <windows.h>

#include <cstdio>

namespace kx {
namespace {

struct Stamp {
  const char* step;
  LONGLONG count;
};

const int kMaxStamps = 32;
Stamp g_stamps[kMaxStamps];
int g_count = 0;
bool g_written = false;

// The file's name, read once: empty when the stamps are off.
const char* Target() {
  static char path[MAX_PATH] = {};
  static const bool read = [] {
    DWORD n = GetEnvironmentVariableA("KESTRIN_STARTUP_STAMPS", path, sizeof path);
    if (n == 0 || n >= sizeof path) path[0] = '\0';
    return true;
  }();
  (void)read;
  return path;
}

}  // namespace

void StartupStamp(const char* step) {
  if (g_written || g_count >= kMaxStamps || !Target()[0]) return;
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  g_stamps[g_count++] = Stamp{step, c.QuadPart};
}

void WriteStartupStamps() {
  if (g_written || !Target()[0]) return;
  g_written = true;
  FILE* f = fopen(Target(), "w");
  if (!f) return;
  LARGE_INTEGER freq;
  QueryPerformanceFrequency(&freq);
  fprintf(f, "frequency %lld\n", static_cast<long long>(freq.QuadPart));
  for (int i = 0; i < g_count; ++i)
    fprintf(f, "%s %lld\n", g_stamps[i].step, static_cast<long long>(g_stamps[i].count));
  fclose(f);
}

}  // namespace kx
