#pragma once
// The C runtime's time zone for one test: TZ set for the process and the runtime told, the zone
// before put back at the end. Under TZ the runtime applies daylight saving when the zone names
// a daylight zone ("PST8PDT"); the offset may have minutes and seconds ("XST8:07:30XDT").

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

class RuntimeZone {
 public:
  explicit RuntimeZone(const char* tz) {
    const char* old = getenv("TZ");
    m_had = old != nullptr;
    if (old) m_old = old;
    Set(tz);
  }
  ~RuntimeZone() { Set(m_had ? m_old.c_str() : ""); }
  RuntimeZone(const RuntimeZone&) = delete;
  RuntimeZone& operator=(const RuntimeZone&) = delete;

  // Local time minus UTC at t, as the runtime converts t.
  static long long Offset(time_t t) {
    struct tm local = *localtime(&t);
    return static_cast<long long>(_mkgmtime(&local)) - static_cast<long long>(t);
  }

  // The seconds in [from, to) where the offset differs from the second before.
  static std::vector<time_t> Changes(time_t from, time_t to) {
    std::vector<time_t> out;
    const time_t kStep = 3600;  // changes are months apart
    for (time_t t = from; t < to; t += kStep) {
      if (Offset(t) == Offset(t + kStep)) continue;
      time_t lo = t, hi = t + kStep;  // the offset differs somewhere in (lo, hi]
      while (hi - lo > 1) {
        const time_t mid = lo + (hi - lo) / 2;
        (Offset(mid) == Offset(lo) ? lo : hi) = mid;
      }
      out.push_back(hi);
    }
    return out;
  }

 private:
  static void Set(const char* tz) {
    _putenv(("TZ=" + std::string(tz)).c_str());
    _tzset();
    // Wine 8's msvcrt reads TZ without setting the daylight bias, which keeps what the zone read
    // before left (0 after a zone without daylight saving, as CI's); a TZ zone moves by an hour.
    if (*tz && _daylight) _dstbias = -3600;
  }
  bool m_had = false;
  std::string m_old;
};
