#pragma once
// The removed-conduit store KestrinRes.dat: flat 540-byte CondInfo records, no header.
// Plain C runtime (plus one atomic replace), so it can be tested and fuzzed without a window.

#include "CondInfo.h"
#include "KxFileExists.h"

class CxList;

// Reads the store into `list` (which owns its CondInfo entries). Returns false, leaving the list
// as it was, when the file cannot be opened. Otherwise the list is emptied first; every whole
// record whose library file exists is appended with its texts terminated inside their fields,
// the removed flag set and no module object. A trailing partial record is ignored. `exists`
// tells whether a record's library file is there (the program resolves registered paths).
bool LoadRemovedStore(const char* path, CxList& list,
                      bool (*exists)(const char*) = kx::FileExists);

// Writes every entry with the removed flag, in list order, to a file beside the store and
// replaces the store with it only once it is complete. False (store untouched) on any failure.
bool SaveRemovedStore(const char* path, CxList& list);

// Deletes every CondInfo entry and empties the list.
void ClearCondList(CxList& list);

// Terminates every text field of a record read from outside inside its field.
void TerminateRecordTexts(CondInfo& info);
