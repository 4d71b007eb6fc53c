#pragma once
// Files of 540-byte CondInfo records back to back (backup sets and the removed-conduit store):
// C runtime only, so the readers also build natively for fuzzing.

#include <cstdio>
#include <functional>

#include "CondInfo.h"

class CxList;
namespace kx {
class SafeFile;
}

// Terminates every text field of a record read from a file inside its field; other bytes stay.
void TerminateCondTexts(CondInfo& info);

// Reads whole records from the stream's position to its end and hands each to `take`, texts
// terminated and no module object; a trailing partial record is ignored. `take` returns false
// to stop.
void ReadCondRecords(FILE* fp, const std::function<bool(const CondInfo&)>& take);

// Appends a new owned copy of every whole record of the file to `list`, as a backup set is
// loaded; stops at the first copy that cannot be made. False when the file cannot be opened.
bool LoadCondRecordFile(const char* path, CxList& list);

// Writes one record as stored: the module-object slot is 0 on disk.
bool WriteCondRecord(kx::SafeFile& file, const CondInfo& info);
