#pragma once
// When a backup set was written, as its rows show it.

#include <windows.h>

#include <string>

namespace baksets {

// "%02d-%02d-%04d %02d:%02d:%02d": month, day, year, hour, minute, second.
std::string FormatBackupTime(const SYSTEMTIME& t);

// When the set's file (a full path) was last written, in local time; "" when it is missing.
std::string BackupTime(const char* szPath);

}  // namespace baksets
