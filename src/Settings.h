#pragma once
// The settings record, the backup-set entries and the settings file orlenta.ini (Windows
// private-profile format). No window needed: tests read and write a file of their own.

#include <cstdint>

class CxList;

struct AppSettings {
  uint32_t nSkinType;   // 0 Blue Glass .. 4 Protein
  char szFontFace[64];  // table font face; empty: not set
  int32_t nFontHeight;  // negative: character height in pixels; 0: not set
  int32_t nFontWeight;  // carried through the file only
  int32_t nFontStyle;   // carried through the file only
  int32_t nFontColor;   // colour value or system colour (high bit); 0: not set
  int32_t nFontCharSet; // 0: not set
};

struct BakSetEntry {
  char szFile[260];  // relative to the program folder
  char szDesc[256];
};

// Name of the settings file inside the program folder.
extern const char kSettingsFileName[];  // "orlenta.ini"

// Reads the "Kestrin" and "KestrinFile" sections into `settings` (fields not present keep the
// default 0 / "") and appends one new entry per backup set to `bakSets` (the list owns them),
// at most kMaxBakSets of them (SettingsValues.h).
void LoadSettingsFile(const char* iniPath, AppSettings& settings, CxList& bakSets);
// Writes the same keys one by one; keys beyond Count are left as they are.
void SaveSettingsFile(const char* iniPath, const AppSettings& settings, CxList& bakSets);

// Returns the listed entry with the same file name (exact, case-sensitive) unchanged, else
// appends a copy of `entry`; nullptr for no entry.
BakSetEntry* AddBakSet(CxList& bakSets, const BakSetEntry* entry);
// Deletes every entry and empties the list.
void ClearBakSets(CxList& bakSets);
