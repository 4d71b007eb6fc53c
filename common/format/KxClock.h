#pragma once
// The one source of "now" for the program's own time stamps, so that tests can fix the clock,
// and the classic calendar-time text the history shows ("Tue Mar 06 14:05:09 2007\n").

#include <cstddef>
#include <ctime>

namespace kx {

// Seconds since 1970-01-01 00:00 UTC: the system clock, or the override while one is set.
time_t Now();

// Tests fix the clock; ClearClockOverride returns to the system clock.
void SetClockOverride(time_t t);
void ClearClockOverride();

// Room for a time stamp with its line feed and terminator.
constexpr size_t kTimeStampSize = 26;

// Writes "Www Mmm dd hh:mm:ss yyyy\n" (English names, two-digit day with a leading zero) into
// buf of cap bytes, cut and terminated inside it. Names out of range show as "???".
char* FormatTimeStamp(const struct tm& tmTime, char* buf, size_t cap);

// The time stamp of t in the runtime's local time; an empty text when the runtime cannot
// convert t (for example a negative time). Returns buf.
char* LocalTimeStamp(time_t t, char* buf, size_t cap);

// LocalTimeStamp for many times, most of them close together (the history page's 100,000):
// the runtime converts the first and the last second of each 15-minute slot of UTC that the
// times fall in, and the times inside take the slot's offset. A slot whose two ends differ in
// offset, or that the runtime cannot convert, has each of its times converted on its own.
class LocalStamps {
 public:
  // Writes the same text as LocalTimeStamp into buf of kTimeStampSize bytes; returns its length.
  size_t Stamp(time_t t, char* buf);

 private:
  bool m_bSlot = false;       // a slot has been looked at
  long long m_slot = 0;       // which: seconds since 1970 / 900, rounded down
  bool m_bEach = false;       // its times are converted one by one
  long long m_offset = 0;     // else local time minus UTC, in seconds
};

}  // namespace kx
