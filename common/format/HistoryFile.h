#pragma once
// The history file kestrinlog.dat and the page made from it, in C runtime only (no window, no
// shell), so the reader and the page writer also build natively for fuzzing.

#include <ctime>
#include <string>

#include "CxFile.h"

// One history entry; every text is zero-terminated inside its field.
struct LogEntry {
  char szFile[260];    // full path of the conduit library
  char szName[32];     // display name, at most 31 characters
  char szVersion[32];  // "%d.%d.%d.%04d"
  int tTime;           // seconds since 1970-01-01 00:00 UTC
  int nAction;         // a HistoryAction; other values are kept and shown as unknown
};

// What an entry records; the numbers are the file's.
enum HistoryAction : int {
  kHistoryNone = 0,  // no row on the page
  kHistoryInstalled = 1,
  kHistoryUninstalled = 2,
  kHistoryRestored = 3,
};

// Appends the entry to the history at path through `file` (closed again on return), then
// raises the count; a missing history, or one too short for its count, is started afresh.
// False when the entry could not be stored: the file is then as it was before.
bool AppendHistoryEntry(CxFile& file, const char* path, const LogEntry& entry);

// Reads the next entry of the open history, each text cut to its field. False (and nothing
// usable in pEntry) for a null target or when the file ends inside the entry.
bool ReadHistoryEntry(CxFile& file, LogEntry* pEntry);

// The whole page for the open history, read from its start; `now` stamps the head. A damaged
// history shows the entries that are whole.
std::string HistoryPage(CxFile& file, time_t now);
