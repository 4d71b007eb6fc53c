#include "Settings.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "CxList.h"

const char kSettingsFileName[] = "orlenta.ini";

namespace {

const char kSecKestrin[] = "Kestrin";
const char kSecFile[] = "KestrinFile";

// Signed decimal; anything that is not a number reads as 0, a missing key as 0.
int32_t ReadInt(const char* ini, const char* sec, const char* key) {
  char buf[32] = {};
  GetPrivateProfileStringA(sec, key, "", buf, sizeof buf, ini);
  return static_cast<int32_t>(strtol(buf, nullptr, 10));
}

void WriteInt(const char* ini, const char* sec, const char* key, int32_t v) {
  char buf[32];
  snprintf(buf, sizeof buf, "%d", static_cast<int>(v));
  WritePrivateProfileStringA(sec, key, buf, ini);
}

}  // namespace

void LoadSettingsFile(const char* iniPath, AppSettings& s, CxList& bakSets) {
  s.nSkinType = static_cast<uint32_t>(ReadInt(iniPath, kSecKestrin, "SkinType"));
  s.nFontHeight = ReadInt(iniPath, kSecKestrin, "Font-Height");
  s.nFontWeight = ReadInt(iniPath, kSecKestrin, "Font-Weight");
  s.nFontStyle = ReadInt(iniPath, kSecKestrin, "Font-Style");
  s.nFontColor = ReadInt(iniPath, kSecKestrin, "Font-Color");
  s.nFontCharSet = ReadInt(iniPath, kSecKestrin, "Font-CharSet");
  // The capacity keeps the face to 63 characters and its terminator inside the field.
  GetPrivateProfileStringA(kSecKestrin, "Font-Face", "", s.szFontFace, sizeof s.szFontFace,
                           iniPath);

  int32_t count = ReadInt(iniPath, kSecFile, "Count");
  for (int32_t n = 1; n <= count; ++n) {
    auto* e = new BakSetEntry{};
    char key[32];
    snprintf(key, sizeof key, "KestrinSet%d", static_cast<int>(n));
    GetPrivateProfileStringA(kSecFile, key, "", e->szFile, 259, iniPath);
    snprintf(key, sizeof key, "KestrinDesc%d", static_cast<int>(n));
    GetPrivateProfileStringA(kSecFile, key, "", e->szDesc, 256, iniPath);
    bakSets.Add(e);
  }
}

void SaveSettingsFile(const char* iniPath, const AppSettings& s, CxList& bakSets) {
  WriteInt(iniPath, kSecKestrin, "SkinType", static_cast<int32_t>(s.nSkinType));
  WriteInt(iniPath, kSecKestrin, "Font-Height", s.nFontHeight);
  WriteInt(iniPath, kSecKestrin, "Font-Weight", s.nFontWeight);
  WriteInt(iniPath, kSecKestrin, "Font-Style", s.nFontStyle);
  WriteInt(iniPath, kSecKestrin, "Font-Color", s.nFontColor);
  WriteInt(iniPath, kSecKestrin, "Font-CharSet", s.nFontCharSet);
  WritePrivateProfileStringA(kSecKestrin, "Font-Face", s.szFontFace, iniPath);

  WriteInt(iniPath, kSecFile, "Count", static_cast<int32_t>(bakSets.GetCount()));
  int n = 1;
  for (auto* e = static_cast<BakSetEntry*>(bakSets.GetFirst()); e;
       e = static_cast<BakSetEntry*>(bakSets.GetNext()), ++n) {
    char key[32];
    snprintf(key, sizeof key, "KestrinSet%d", n);
    WritePrivateProfileStringA(kSecFile, key, e->szFile, iniPath);
    snprintf(key, sizeof key, "KestrinDesc%d", n);
    WritePrivateProfileStringA(kSecFile, key, e->szDesc, iniPath);
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
