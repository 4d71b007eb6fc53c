// orlenta.ini as found on disk: the values the program reads from it, through a portable reader
// of the private-profile format.
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "format/CxList.h"
#include "format/SettingsValues.h"
#include "FuzzSupport.h"
#include "IniText.h"

using namespace kfuzz;

namespace {

// The 32-bit strtol the program had on Windows, from the host's 64-bit one.
int32_t Reference(const char* text) {
  const long long v = strtoll(text, nullptr, 10);
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const IniText ini(reinterpret_cast<const char*>(data), size);
  auto read = [&ini](const char* sec, const char* key, char* buf, size_t cap) {
    ini.Get(sec, key, buf, cap);
  };

  AppSettings s{};
  CxList sets;
  ReadSettingsValues(read, s, sets);
  Check(strnlen(s.szFontFace, sizeof s.szFontFace) <= 63, "the face is cut to 63 characters");

  char count[kProfileIntCap];
  read("KestrinFile", "Count", count, sizeof count);
  const int32_t n = ParseProfileInt(count);
  Check(n == Reference(count), "an integer reads as strtol reads it");
  const uint32_t want = n <= 0 ? 0u : static_cast<uint32_t>(n < kMaxBakSets ? n : kMaxBakSets);
  Check(sets.GetCount() == want, "one entry per counted set, up to the limit");
  for (auto* e = static_cast<BakSetEntry*>(sets.GetFirst()); e;
       e = static_cast<BakSetEntry*>(sets.GetNext())) {
    Check(strnlen(e->szFile, sizeof e->szFile) <= 258, "a set's file name is cut to 258");
    Check(strnlen(e->szDesc, sizeof e->szDesc) <= 255, "a description is cut to 255");
  }
  ClearBakSets(sets);

  // Any text, not only what an ini line can hold, reads as the runtime would.
  const std::string raw(reinterpret_cast<const char*>(data), size);
  Check(ParseProfileInt(raw.c_str()) == Reference(raw.c_str()), "a raw text reads as strtol");
  return 0;
}
