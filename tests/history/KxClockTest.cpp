#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <string>

#include "format/KxClock.h"
#include "RuntimeZone.h"

namespace {

struct tm Tm(int year, int mon, int mday, int hour, int min, int sec, int wday) {
  struct tm t;
  memset(&t, 0, sizeof t);
  t.tm_year = year - 1900;
  t.tm_mon = mon;
  t.tm_mday = mday;
  t.tm_hour = hour;
  t.tm_min = min;
  t.tm_sec = sec;
  t.tm_wday = wday;
  return t;
}

TEST(TimeStamp, ClassicCalendarText) {
  struct Case {
    struct tm t;
    const char* text;
  };
  const Case cases[] = {
      {Tm(2007, 2, 6, 14, 5, 9, 2), "Tue Mar 06 14:05:09 2007\n"},
      {Tm(1970, 0, 1, 0, 0, 0, 4), "Thu Jan 01 00:00:00 1970\n"},
      {Tm(2038, 11, 31, 23, 59, 59, 0), "Sun Dec 31 23:59:59 2038\n"},
      {Tm(2024, 5, 15, 9, 30, 0, 6), "Sat Jun 15 09:30:00 2024\n"},
      // Fields no conversion gives must not index past the name tables.
      {Tm(2001, 12, 1, 0, 0, 0, 7), "??? ??? 01 00:00:00 2001\n"},
      {Tm(2001, -1, 1, 0, 0, 0, -1), "??? ??? 01 00:00:00 2001\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    char buf[kx::kTimeStampSize];
    memset(buf, 'X', sizeof buf);
    EXPECT_STREQ(kx::FormatTimeStamp(c.t, buf, sizeof buf), c.text);
  }
}

TEST(TimeStamp, CutToTheBuffer) {
  char buf[8];
  EXPECT_STREQ(kx::FormatTimeStamp(Tm(2007, 2, 6, 14, 5, 9, 2), buf, sizeof buf), "Tue Mar");
}

TEST(TimeStamp, LocalTimeOfTheRuntime) {
  const time_t t = 1173189909;
  char buf[kx::kTimeStampSize];
  EXPECT_EQ(std::string(kx::LocalTimeStamp(t, buf, sizeof buf)).size(), 25u);
  char expected[kx::kTimeStampSize];
  EXPECT_STREQ(buf, kx::FormatTimeStamp(*localtime(&t), expected, sizeof expected));
  // A time the runtime cannot convert gives no text rather than garbage.
  EXPECT_STREQ(kx::LocalTimeStamp(-1, buf, sizeof buf), "");
}

// A slot's offset stands for its times only where the runtime agrees: every second around the
// changes of a zone whose changes fall inside slots, times it cannot convert, and times out of
// order.
TEST(TimeStamp, SlotsGiveTheRuntimesText) {
  RuntimeZone zone("XST8:07:30XDT");
  const std::vector<time_t> changes = RuntimeZone::Changes(1167609600, 1199145600);
  ASSERT_EQ(changes.size(), 2u) << "the zone in effect does not change its offset in 2007";
  std::vector<time_t> times = {-1, -900, 0, 899, 900, 1173189909, 0x7FFFFFFF, 86399, 1173189909};
  for (time_t c : changes) {
    ASSERT_NE(c % 900, 0) << "the change falls inside a slot";
    for (time_t t = c - 1800; t < c + 1800; ++t) times.push_back(t);
  }
  kx::LocalStamps stamps;
  for (time_t t : times) {
    SCOPED_TRACE(static_cast<long long>(t));
    char fast[kx::kTimeStampSize], each[kx::kTimeStampSize];
    const size_t n = stamps.Stamp(t, fast);
    kx::LocalTimeStamp(t, each, sizeof each);
    ASSERT_STREQ(fast, each);
    ASSERT_EQ(n, strlen(each));
  }
}

TEST(Clock, OverrideFixesNow) {
  kx::SetClockOverride(258);
  EXPECT_EQ(kx::Now(), 258);
  kx::ClearClockOverride();
  const time_t before = time(nullptr);
  const time_t now = kx::Now();
  EXPECT_GE(now, before);
  EXPECT_LE(now, time(nullptr));
}

}  // namespace
