#pragma once
// The skip list KestrinSkip.dat: conduit libraries the user chose not to load after one stopped
// the program. Flat 276-byte entries, no header: the library's full path, then its size and
// last-write time when it was put on the list, so a changed file is no longer skipped.
// C runtime only, so the reader builds natively for fuzzing.

#include <cstddef>
#include <cstdint>
#include <vector>

#pragma pack(push, 1)
struct SkipEntry {
  char szPath[260];      //   0 full path, zero-terminated
  uint64_t qwSize;       // 260 file size in bytes
  uint64_t qwWriteTime;  // 268 last-write time (FILETIME as one number)
};
#pragma pack(pop)

static_assert(sizeof(SkipEntry) == 276, "SkipEntry is a 276-byte record");

// Replaces `entries` by the file's whole entries, each path terminated inside its field; a
// trailing partial entry is ignored. A missing file is an empty list. False when the file exists
// but cannot be read (the list is then empty too).
bool LoadSkipList(const char* path, std::vector<SkipEntry>& entries);
// Writes every entry beside the file and replaces it only once complete (kx::SafeFile).
bool SaveSkipList(const char* path, const std::vector<SkipEntry>& entries);
