#pragma once
// The install history: every successful install, uninstall and restore appends one entry to
// kestrinlog.dat in the program folder; WritePage turns the file into kestrinlog.html (the
// window code's ShowHistory tells the user and hands the page to the shell).

#include <string>

#include "format/CxFile.h"
#include "format/HistoryFile.h"

class KestrinLog {
 public:
  KestrinLog() = default;
  virtual ~KestrinLog() = default;

  KestrinLog(const KestrinLog&) = delete;
  KestrinLog& operator=(const KestrinLog&) = delete;

  // Appends the entry right after the last whole entry (cutting away a torn one) and then sets
  // the count to the whole entries; each is flushed to disk. Shows nothing: its callers have
  // already succeeded. False when the entry could not be stored; the file then keeps its whole
  // entries and its count. Writes go through the k-bytes seam of KxSafeFile and flushes and cuts
  // through its step seam, so tests can fill the disk at any byte or fail any step.
  bool AddEntry(const LogEntry& entry);

  // Writes kestrinlog.html from the history; *pPagePath gets the page's path whatever the
  // result (empty when the program folder is unknown).
  enum class Page { Written, NoHistory, NotCreated, NotWritten };
  Page WritePage(std::string* pPagePath);

  // Reads the next entry of the open history, each text cut to its field. False (and nothing
  // usable in pEntry) for a null target, when the file ends inside the entry or a text length
  // is negative.
  bool ReadEntry(LogEntry* pEntry);

  // Fills an entry the way the conduit operations record it: the name cut to 31 characters,
  // the version of the library at szFile read now (0.0.0.0000 when it has none or is gone),
  // and the time of now.
  static void FillEntry(LogEntry& entry, const char* szFile, const char* szName, int nAction);

 private:
  CxFile m_File;
};
