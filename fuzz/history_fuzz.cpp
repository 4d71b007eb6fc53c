// kestrinlog.dat as found on disk: its entries read value by value through CxFile and in pieces
// (the two must agree), the page ShowHistory writes from it with its time stamps, and an append
// to it (with a full disk after a number of bytes taken from the input, a failing cut or flush,
// or neither), read back.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "format/CxFile.h"
#include "format/HistoryFile.h"
#include "format/KxClock.h"
#include "format/KxSafeFile.h"
#include "FuzzSupport.h"

using namespace kfuzz;

namespace {

const char kHead[] = "<html><head><title>Kestrin Log</title></head>\r\n\r\n";
const char kTail[] = "</table><br></body>\r\n</html>\r\n";
const char kRow[] = "<tr bgcolor=#FFFFFF";

bool EndsWith(const std::string& s, const char* tail) {
  const size_t n = strlen(tail);
  return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

int CountOf(const Bytes& b) {
  return static_cast<int>(static_cast<unsigned>(b[0]) | (static_cast<unsigned>(b[1]) << 8) |
                          (static_cast<unsigned>(b[2]) << 16) | (static_cast<unsigned>(b[3]) << 24));
}

void AppendLE(Bytes& b, int v) {
  const unsigned u = static_cast<unsigned>(v);
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(u >> (8 * i)));
}

void AppendText(Bytes& b, const char* s) {
  AppendLE(b, static_cast<int>(strlen(s)));
  b.insert(b.end(), s, s + strlen(s));
}

bool Same(const LogEntry& a, const LogEntry& b) {
  return strcmp(a.szFile, b.szFile) == 0 && strcmp(a.szName, b.szName) == 0 &&
         strcmp(a.szVersion, b.szVersion) == 0 && a.tTime == b.tTime && a.nAction == b.nAction;
}

size_t Occurrences(const std::string& s, const char* what) {
  size_t n = 0;
  for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) ++n;
  return n;
}

// The whole entries after the count, read value by value; *pEnd gets the offset after the last.
std::vector<LogEntry> WholeEntries(const std::string& path, long* pEnd) {
  std::vector<LogEntry> out;
  *pEnd = 4;
  CxFile file;
  Check(file.Open(path.c_str(), "rb"), "the history opens");
  if (fseek(file.m_fp, 4, SEEK_SET) != 0) return out;
  LogEntry e;
  while (ReadHistoryEntry(file, &e)) {
    Check(Terminated(e.szFile) && Terminated(e.szName) && Terminated(e.szVersion),
          "every text is terminated inside its field");
    out.push_back(e);
    *pEnd = ftell(file.m_fp);
  }
  return out;
}

void CheckStamp(kx::LocalStamps& stamps, time_t t) {
  char fast[kx::kTimeStampSize], each[kx::kTimeStampSize];
  const size_t n = stamps.Stamp(t, fast);
  kx::LocalTimeStamp(t, each, sizeof each);
  Check(n == strlen(each) && strcmp(fast, each) == 0, "a slot's time stamp is the runtime's");
}

}  // namespace

// A zone whose changes fall inside 15-minute slots (02:00 local at an offset of 8:07:30), and
// every second around its 2007 changes stamped as the runtime stamps it.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("TZ", "XST8:07:30XDT,M3.2.0,M11.1.0", 1);
  tzset();
  const time_t changes[] = {1173607650, 1194167250};
  kx::LocalStamps stamps;
  for (time_t c : changes) {
    long long off[2];
    for (int k = 0; k < 2; ++k) {
      const time_t t = c - 1 + k;
      struct tm local = *localtime(&t);
      const struct tm utc = *gmtime(&t);
      off[k] = (local.tm_hour - utc.tm_hour) * 3600LL + (local.tm_min - utc.tm_min) * 60LL;
    }
    Check(off[0] != off[1], "the fuzz zone changes its offset where expected");
    for (time_t t = c - 1800; t < c + 1800; ++t) CheckStamp(stamps, t);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = ScratchPath("kestrinlog.dat");
  if (!WriteFile(path, data, size)) return 0;
  const Bytes before(data, data + size);

  // Both ways in read the same whole entries and stop at the same byte.
  long end = 4;
  std::vector<LogEntry> whole;
  if (size >= 4) {
    whole = WholeEntries(path, &end);
    CxFile file;
    Check(file.Open(path.c_str(), "rb") && fseek(file.m_fp, 4, SEEK_SET) == 0, "the history opens");
    HistoryReader reader(file.m_fp);
    LogEntry e;
    size_t n = 0;
    while (reader.Next(&e)) {
      Check(n < whole.size() && Same(e, whole[n]), "the pieces give the entries CxFile reads");
      ++n;
    }
    Check(n == whole.size(), "the pieces give as many entries as CxFile reads");
    Check(4 + reader.WholeBytes() == end, "the pieces end the whole entries where CxFile does");
  }

  CxFile file;
  Check(file.Open(path.c_str(), "rb"), "the history opens");
  const std::string page = HistoryPage(file, 1173189909);
  file.Close();
  Check(page.compare(0, sizeof kHead - 1, kHead) == 0, "the page starts with its head");
  Check(EndsWith(page, kTail), "the page ends with its tail");
  size_t rows = 0;
  kx::LocalStamps stamps;
  for (size_t i = 0; i < whole.size(); ++i) {
    if (static_cast<long long>(i) < CountOf(before) && whole[i].nAction != kHistoryNone) ++rows;
    CheckStamp(stamps, static_cast<time_t>(whole[i].tTime));
  }
  Check(Occurrences(page, kRow) == rows, "the page has a row for each counted whole entry");

  LogEntry entry;
  memset(&entry, 0, sizeof entry);
  strcpy(entry.szFile, "C:\\Palm\\fuzz.dll");
  strcpy(entry.szName, "Fuzz");
  strcpy(entry.szVersion, "1.2.3.0004");
  entry.tTime = 1173189909;
  entry.nAction = 1;
  Bytes entryBytes;
  AppendText(entryBytes, entry.szFile);
  AppendText(entryBytes, entry.szName);
  AppendText(entryBytes, entry.szVersion);
  AppendLE(entryBytes, entry.tTime);
  AppendLE(entryBytes, entry.nAction);

  // The first byte's high bit asks for a full disk after as many bytes as the last byte says;
  // its next bit for a failing cut or flush, the last byte saying which.
  const bool bSeam = size > 0 && (data[0] & 0x80);
  const bool bStep = size > 0 && (data[0] & 0x40);
  kx::SetWriteFailureAfter(bSeam ? data[size - 1] % 48 : -1);
  kx::SetFileStepFailure(bStep ? 1 + data[size - 1] % 3 : 0);
  const bool ok = AppendHistoryEntry(file, path.c_str(), entry);
  kx::SetWriteFailureAfter(-1);
  kx::SetFileStepFailure(0);
  Check(file.m_fp == nullptr, "the history is closed after an append");
  const Bytes after = ReadFile(path);

  if (!ok) {
    Check(bSeam || bStep, "an append fails only on a full disk or a failing cut or flush");
    if (size < 4) {
      Check(!Exists(path), "a failed append to a history without a count leaves none");
      return 0;
    }
    // The count and the whole entries stay. Where undoing fails too (its cut), the new entry may
    // stay behind them, uncounted, for the next append to count in.
    Check(after.size() >= static_cast<size_t>(end) &&
              std::equal(before.begin(), before.begin() + end, after.begin()),
          "a failed append keeps the count and the whole entries");
    long endAfter = 0;
    const std::vector<LogEntry> back = WholeEntries(path, &endAfter);
    Check(back.size() == whole.size() || (back.size() == whole.size() + 1 && Same(back.back(), entry)),
          "a failed append leaves at most its own entry after the whole ones");
    return 0;
  }
  // A history too short for its count is started afresh; any other keeps its whole entries.
  Bytes expected;
  AppendLE(expected, static_cast<int>(whole.size()) + 1);
  if (size >= 4) expected.insert(expected.end(), before.begin() + 4, before.begin() + end);
  expected.insert(expected.end(), entryBytes.begin(), entryBytes.end());
  Check(after == expected, "the entry goes after the whole entries and the count says so");

  // Read back: every whole entry, then the new one, then the end.
  long endAfter = 0;
  const std::vector<LogEntry> back = WholeEntries(path, &endAfter);
  Check(back.size() == whole.size() + 1, "the history reads back one entry more");
  for (size_t i = 0; i < whole.size(); ++i) Check(Same(back[i], whole[i]), "every whole entry stays");
  Check(Same(back.back(), entry), "the new entry reads back last");
  Check(endAfter == static_cast<long>(after.size()), "nothing follows the new entry");
  return 0;
}
