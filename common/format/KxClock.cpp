#include "KxClock.h"

#include <cstdio>
#include <cstring>

namespace kx {
namespace {

bool g_hasOverride = false;
time_t g_override = 0;

const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

const char* Name(const char* const* names, int count, int index) {
  return index >= 0 && index < count ? names[index] : "???";
}

const long long kSlot = 15 * 60;
const long long kDay = 24 * 60 * 60;

long long FloorDiv(long long a, long long b) { return a / b - (a % b < 0 ? 1 : 0); }

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar (month 1 to 12).
long long DaysFromCivil(long long y, long long m, long long d) {
  y -= m <= 2;
  const long long era = FloorDiv(y, 400);
  const long long yoe = y - era * 400;
  const long long doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(long long z, long long* py, int* pm, int* pd) {
  z += 719468;
  const long long era = FloorDiv(z, 146097);
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  *pd = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *pm = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *py = yoe + era * 400 + (*pm <= 2);
}

// The runtime's local time of t as an offset from UTC; false when it cannot convert t.
bool LocalOffset(time_t t, long long* pOffset) {
  const struct tm* ptm = localtime(&t);
  if (!ptm) return false;
  const long long local = DaysFromCivil(ptm->tm_year + 1900LL, ptm->tm_mon + 1LL, ptm->tm_mday) * kDay +
                          ptm->tm_hour * 3600LL + ptm->tm_min * 60LL + ptm->tm_sec;
  *pOffset = local - static_cast<long long>(t);
  return true;
}

void Two(char* p, int v) {
  p[0] = static_cast<char>('0' + v / 10);
  p[1] = static_cast<char>('0' + v % 10);
}

}  // namespace

time_t Now() { return g_hasOverride ? g_override : time(nullptr); }

void SetClockOverride(time_t t) {
  g_override = t;
  g_hasOverride = true;
}

void ClearClockOverride() { g_hasOverride = false; }

char* FormatTimeStamp(const struct tm& tmTime, char* buf, size_t cap) {
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

size_t LocalStamps::Stamp(time_t t, char* buf) {
  const long long secs = static_cast<long long>(t);
  const long long slot = FloorDiv(secs, kSlot);
  if (!m_bSlot || slot != m_slot) {
    m_bSlot = true;
    m_slot = slot;
    long long first = 0, last = 0;
    m_bEach = !LocalOffset(static_cast<time_t>(slot * kSlot), &first) ||
              !LocalOffset(static_cast<time_t>(slot * kSlot + kSlot - 1), &last) || first != last;
    m_offset = first;
  }
  const long long local = secs + m_offset;
  const long long days = FloorDiv(local, kDay);
  long long year = 0;
  int month = 0, mday = 0;
  CivilFromDays(days, &year, &month, &mday);
  // Years of other than four digits are rare enough for the runtime's own text.
  if (m_bEach || year < 1000 || year > 9999) {
    LocalTimeStamp(t, buf, kTimeStampSize);
    return strlen(buf);
  }
  const long long sod = local - days * kDay;
  const int hour = static_cast<int>(sod / 3600), minute = static_cast<int>(sod / 60 % 60),
            second = static_cast<int>(sod % 60);
  // "Www Mmm dd hh:mm:ss yyyy\n", as FormatTimeStamp writes it.
  const int wday = static_cast<int>(days + 4 - FloorDiv(days + 4, 7) * 7);  // 1970-01-01: a Thursday
  memcpy(buf, kDays[wday], 3);
  buf[3] = ' ';
  memcpy(buf + 4, kMonths[month - 1], 3);
  buf[7] = ' ';
  Two(buf + 8, mday);
  buf[10] = ' ';
  Two(buf + 11, hour);
  buf[13] = ':';
  Two(buf + 14, minute);
  buf[16] = ':';
  Two(buf + 17, second);
  buf[19] = ' ';
  Two(buf + 20, static_cast<int>(year / 100));
  Two(buf + 22, static_cast<int>(year % 100));
  buf[24] = '\n';
  buf[25] = '\0';
  return 25;
}

}  // namespace kx
