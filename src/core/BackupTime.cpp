#include "BackupTime.h"

#include <windows.h>

#include <cstdio>

namespace baksets {

std::string FormatBackupTime(const SYSTEMTIME& t) {
  char sz[64];
  snprintf(sz, sizeof sz, "%02d-%02d-%04d %02d:%02d:%02d", t.wMonth, t.wDay, t.wYear, t.wHour,
           t.wMinute, t.wSecond);
  return sz;
}

std::string BackupTime(const char* szPath) {
  // The last-write time: a set is replaced through a new file, and NTFS may carry the old
  // file's creation time over to the new one (file-name tunnelling), so only this time says
  // when the set was written.
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!szPath || !GetFileAttributesExA(szPath, GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return "";
  }
  FILETIME local;
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToSystemTime(&local, &st)) {
    return "";
  }
  return FormatBackupTime(st);
}

}  // namespace baksets
