#include "KxClock.h"

#include <cstdio>

namespace kx {
namespace {

bool g_hasOverride = false;
time_t g_override = 0;

const char* Name(const char* const* names, int count, int index) {
  return index >= 0 && index < count ? names[index] : "???";
}

}  // namespace

time_t Now() { return g_hasOverride ? g_override : time(nullptr); }

void SetClockOverride(time_t t) {
  g_override = t;
  g_hasOverride = true;
}

void ClearClockOverride() { g_hasOverride = false; }

char* FormatTimeStamp(const struct tm& tmTime, char* buf, size_t cap) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  if (!buf || cap == 0) return buf;
  snprintf(buf, cap, "%s %s %02d %02d:%02d:%02d %d\n", Name(kDays, 7, tmTime.tm_wday),
           Name(kMonths, 12, tmTime.tm_mon), tmTime.tm_mday, tmTime.tm_hour, tmTime.tm_min,
           tmTime.tm_sec, tmTime.tm_year + 1900);
  return buf;
}

char* LocalTimeStamp(time_t t, char* buf, size_t cap) {
  if (!buf || cap == 0) return buf;
  // The runtime's own conversion, so the page agrees with the user's time zone settings.
  const struct tm* ptm = localtime(&t);
  if (!ptm) {
    buf[0] = '\0';
    return buf;
  }
  return FormatTimeStamp(*ptm, buf, cap);
}

}  // namespace kx
