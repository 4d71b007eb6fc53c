#pragma once
// The settings file orlenta.ini (Windows private-profile format) read into the settings record
// and the backup-set list, and written back. No window needed: tests read and write a file of
// their own.

#include "format/SettingsValues.h"

class CxList;

// Name of the settings file inside the program folder.
extern const char kSettingsFileName[];  // "orlenta.ini"

// Reads the "Kestrin" and "KestrinFile" sections into `settings` (fields not present keep the
// default 0 / "") and appends one new entry per backup set to `bakSets` (the list owns them),
// at most kMaxBakSets of them (SettingsValues.h).
void LoadSettingsFile(const char* iniPath, AppSettings& settings, CxList& bakSets);
// Writes the same keys one by one; keys beyond Count are left as they are.
void SaveSettingsFile(const char* iniPath, const AppSettings& settings, CxList& bakSets);
