#pragma once
// The history file kestrinlog.dat and the page made from it, in C runtime only (no window, no
// shell), so the reader and the page writer also build natively for fuzzing.

#include <cstddef>
#include <cstdio>
#include <ctime>
#include <memory>
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

// Appends the entry to the history at path through `file` (closed again on return). It walks
// the history first: the new entry goes right after the last whole entry, whatever follows that
// (a torn write) is cut away, and the count becomes the whole entries found plus the new one,
// whatever it said. The entry and then the count are each flushed to disk. A missing history,
// or one too short for its count, is started afresh. False when the entry could not be stored
// (a failed write, cut or flush): the file then keeps its whole entries and its old count.
bool AppendHistoryEntry(CxFile& file, const char* path, const LogEntry& entry);

// Reads the next entry of the open history, each text cut to its field (a stored empty text
// gives an empty field). False (and nothing usable in pEntry) for a null target, when the file
// ends inside the entry or a text length is negative.
bool ReadHistoryEntry(CxFile& file, LogEntry* pEntry);

// Reads entries from an open history in large pieces of its bytes, from the stream's position
// when made, with the same bounds as ReadHistoryEntry: the page and the append walk read up to
// 100,000 entries. Nothing else may use the stream while the reader does.
class HistoryReader {
 public:
  explicit HistoryReader(FILE* fp);
  HistoryReader(const HistoryReader&) = delete;
  HistoryReader& operator=(const HistoryReader&) = delete;

  // The next entry; false (nothing usable in pEntry) as ReadHistoryEntry.
  bool Next(LogEntry* pEntry);
  // Bytes of the whole entries read so far, counted from where the reader started.
  long WholeBytes() const { return m_whole; }
  // Size of the file in bytes; -1 when it could not be told (the reader then reads nothing).
  long FileSize() const { return m_size; }

  // The entry parser's two ways in: n bytes copied to p, or skipped; false when fewer are left.
  bool Take(void* p, size_t n);
  bool Skip(size_t n);

 private:
  bool Fill();
  long Consumed() const { return m_filePos - static_cast<long>(m_len - m_pos) - m_start; }

  FILE* m_fp;
  long m_start = 0;     // file position where the reader started
  long m_size = -1;     // file size
  long m_filePos = 0;   // file position of the next piece
  long m_whole = 0;
  std::unique_ptr<unsigned char[]> m_buf;
  size_t m_pos = 0, m_len = 0;
};

// The whole page for the open history, read from its start; `now` stamps the head. A damaged
// history shows the entries that are whole.
std::string HistoryPage(CxFile& file, time_t now);
