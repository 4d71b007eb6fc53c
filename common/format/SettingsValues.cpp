#include "SettingsValues.h"

#include <cstdio>
#include <cstring>

#include "CxList.h"

namespace {

const char kSecKestrin[] = "Kestrin";
const char kSecFile[] = "KestrinFile";

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

int32_t ParseProfileInt(const char* text) {
  if (!text) return 0;
  const char* p = text;
  while (IsBlank(*p)) ++p;
  bool bNeg = false;
  if (*p == '+' || *p == '-') bNeg = *p++ == '-';
  // Magnitude saturates just past the 32-bit range, so no digit count can overflow it.
  const int64_t kLimit = int64_t{1} << 31;
  int64_t mag = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    mag = mag * 10 + (*p - '0');
    if (mag > kLimit) mag = kLimit;
  }
  if (bNeg) return static_cast<int32_t>(-mag);
  return static_cast<int32_t>(mag < kLimit ? mag : kLimit - 1);
}

void ReadSettingsValues(const ProfileTextReader& read, AppSettings& s, CxList& bakSets) {
  auto readInt = [&read](const char* sec, const char* key) {
    char buf[kProfileIntCap] = {};
    read(sec, key, buf, sizeof buf);
    return ParseProfileInt(buf);
  };
  s.nSkinType = static_cast<uint32_t>(readInt(kSecKestrin, "SkinType"));
  s.nFontHeight = readInt(kSecKestrin, "Font-Height");
  s.nFontWeight = readInt(kSecKestrin, "Font-Weight");
  s.nFontStyle = readInt(kSecKestrin, "Font-Style");
  s.nFontColor = readInt(kSecKestrin, "Font-Color");
  s.nFontCharSet = readInt(kSecKestrin, "Font-CharSet");
  // The capacity keeps the face to 63 characters and its terminator inside the field.
  read(kSecKestrin, "Font-Face", s.szFontFace, sizeof s.szFontFace);

  int32_t count = readInt(kSecFile, "Count");
  if (count > kMaxBakSets) count = kMaxBakSets;
  for (int32_t n = 1; n <= count; ++n) {
    auto* e = new BakSetEntry{};
    char key[32];
    snprintf(key, sizeof key, "KestrinSet%d", static_cast<int>(n));
    read(kSecFile, key, e->szFile, 259);
    snprintf(key, sizeof key, "KestrinDesc%d", static_cast<int>(n));
    read(kSecFile, key, e->szDesc, 256);
    bakSets.Add(e);
  }
}

BakSetEntry* AddBakSet(CxList& bakSets, const BakSetEntry* entry) {
  if (!entry) return nullptr;
  for (auto* e = static_cast<BakSetEntry*>(bakSets.GetFirst()); e;
       e = static_cast<BakSetEntry*>(bakSets.GetNext())) {
    if (strcmp(e->szFile, entry->szFile) == 0) return e;
  }
  auto* copy = new BakSetEntry(*entry);
  bakSets.Add(copy);
  return copy;
}

void ClearBakSets(CxList& bakSets) {
  for (auto* e = static_cast<BakSetEntry*>(bakSets.GetFirst()); e;
       e = static_cast<BakSetEntry*>(bakSets.GetNext())) {
    delete e;
  }
  bakSets.RemoveAll();
}
