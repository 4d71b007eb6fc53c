#pragma once
// The settings record and the backup-set entries, and how they are taken from the values of
// orlenta.ini whatever reads the file: the private-profile functions in the program, a small
// portable reader in the native fuzz build.

#include <cstddef>
#include <cstdint>
#include <functional>

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

// Returns the listed entry with the same file name (exact, case-sensitive) unchanged, else
// appends a copy of `entry`; nullptr for no entry.
BakSetEntry* AddBakSet(CxList& bakSets, const BakSetEntry* entry);
// Deletes every entry and empties the list.
void ClearBakSets(CxList& bakSets);

// Puts the value of `key` in `section` into buf of cap bytes, cut to cap-1 characters and
// terminated; "" when the key is missing (GetPrivateProfileString's contract).
using ProfileTextReader =
    std::function<void(const char* section, const char* key, char* buf, size_t cap)>;

// Room given to an integer value; the characters after the first 31 are not read.
const size_t kProfileIntCap = 32;

// Most backup sets read: a Count beyond it can only be written by hand, and reading billions of
// empty entries would stall the start-up and exhaust memory.
const int32_t kMaxBakSets = 10000;

// An integer value as the C runtime's strtol reads it where long has 32 bits: leading blanks, an
// optional sign, decimal digits up to the first other character; no digits read as 0, and a
// number beyond 32 bits gives the nearest 32-bit limit. A null text reads as 0.
int32_t ParseProfileInt(const char* text);

// The work of LoadSettingsFile on values handed over by `read`.
void ReadSettingsValues(const ProfileTextReader& read, AppSettings& s, CxList& bakSets);
