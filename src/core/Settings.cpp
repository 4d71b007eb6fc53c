#include "Settings.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "format/CxList.h"
#include "format/SettingsValues.h"

const char kSettingsFileName[] = "orlenta.ini";

namespace {

const char kSecKestrin[] = "Kestrin";
const char kSecFile[] = "KestrinFile";

void WriteInt(const char* ini, const char* sec, const char* key, int32_t v) {
  char buf[32];
  snprintf(buf, sizeof buf, "%d", static_cast<int>(v));
  WritePrivateProfileStringA(sec, key, buf, ini);
}

}  // namespace

void LoadSettingsFile(const char* iniPath, AppSettings& s, CxList& bakSets) {
  ReadSettingsValues(
      [iniPath](const char* sec, const char* key, char* buf, size_t cap) {
        GetPrivateProfileStringA(sec, key, "", buf, static_cast<DWORD>(cap), iniPath);
      },
      s, bakSets);
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
