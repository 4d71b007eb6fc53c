// kestrinlog.dat as found on disk: the page ShowHistory writes from it, and an append to it
// (with a full disk after a number of bytes taken from the input, or none).
#include <cstring>

#include "format/CxFile.h"
#include "format/HistoryFile.h"
#include "format/KxSafeFile.h"
#include "FuzzSupport.h"

using namespace kfuzz;

namespace {

const char kHead[] = "<html><head><title>Kestrin Log</title></head>\r\n\r\n";
const char kTail[] = "</table><br></body>\r\n</html>\r\n";

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = ScratchPath("kestrinlog.dat");
  if (!WriteFile(path, data, size)) return 0;

  CxFile file;
  Check(file.Open(path.c_str(), "rb"), "the history opens");
  const std::string page = HistoryPage(file, 1173189909);
  file.Close();
  Check(page.compare(0, sizeof kHead - 1, kHead) == 0, "the page starts with its head");
  Check(EndsWith(page, kTail), "the page ends with its tail");

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

  // The first byte's high bit asks for a full disk after as many bytes as the last byte says.
  const bool bSeam = size > 0 && (data[0] & 0x80);
  kx::SetWriteFailureAfter(bSeam ? data[size - 1] % 48 : -1);
  const bool ok = AppendHistoryEntry(file, path.c_str(), entry);
  kx::SetWriteFailureAfter(-1);
  Check(file.m_fp == nullptr, "the history is closed after an append");
  const Bytes before(data, data + size);
  const Bytes after = ReadFile(path);

  const bool bFull = size >= 4 && CountOf(before) == 0x7FFFFFFF;
  if (!ok) {
    Check(bSeam || bFull, "an append fails only on a full disk or a full count");
    if (size >= 4)
      Check(after == before, "a failed append leaves the history as it was");
    else
      Check(!Exists(path), "a failed append to a history without a count leaves none");
    return 0;
  }
  // A history too short for its count is started afresh; any other keeps its bytes.
  Bytes expected;
  if (size >= 4) {
    const int old = CountOf(before);
    Check(!bFull, "a full count takes no more entries");
    AppendLE(expected, (old < 0 ? 0 : old) + 1);
    expected.insert(expected.end(), before.begin() + 4, before.end());
  } else {
    AppendLE(expected, 1);
  }
  expected.insert(expected.end(), entryBytes.begin(), entryBytes.end());
  Check(after == expected, "the entry is appended and the count raised");
  return 0;
}
