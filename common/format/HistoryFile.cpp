#include "HistoryFile.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <climits>
#include <cstdio>
#include <cstring>

#include "KxClock.h"
#include "KxHtml.h"
#include "KxSafeFile.h"
#include "KxText.h"

static_assert(sizeof(int) == 4, "the history stores 32-bit integers");

namespace {

const char kHead1[] = "<html><head><title>Kestrin Log</title></head>\r\n\r\n";
const char kHead3[] =
    "<font size=3 color=#000080><b>Conduit Install/Uninstall History</b> </font><font size=1>"
    "<i>(%s)</i></font><br><br>\r\n";

const size_t kPiece = 64 * 1024;  // bytes the reader takes from the file at once

bool PathExists(const char* path) {
#ifdef _WIN32
  return _access(path, 0) == 0;
#else
  return access(path, F_OK) == 0;
#endif
}

// ---- The entry parser: one for both ways in -----------------------------------------------------

// The stored form is little-endian whatever the host (as CxFile reads it).
template <class Source>
bool ParseInt(Source& src, int* piVal) {
  unsigned char b[4];
  if (!src.Take(b, sizeof b)) return false;
  const unsigned long u = static_cast<unsigned long>(b[0]) | (static_cast<unsigned long>(b[1]) << 8) |
                          (static_cast<unsigned long>(b[2]) << 16) |
                          (static_cast<unsigned long>(b[3]) << 24);
  *piVal = static_cast<int>(static_cast<long long>(u) - (u & 0x80000000UL ? 0x100000000LL : 0));
  return true;
}

// A stored text bounded as CxFile::ReadString bounds it: cut to the field, the rest skipped,
// a negative length or a file that ends inside the text a failure.
template <class Source, size_t N>
bool ParseText(Source& src, char (&field)[N]) {
  static_assert(N > 1, "a field holds a character and its terminator");
  field[0] = '\0';
  int n = 0;
  if (!ParseInt(src, &n) || n < 0) return false;
  const size_t nTake = static_cast<size_t>(n) < N ? static_cast<size_t>(n) : N - 1;
  if (!src.Take(field, nTake)) {
    field[0] = '\0';
    return false;
  }
  field[nTake] = '\0';
  return static_cast<size_t>(n) == nTake || src.Skip(static_cast<size_t>(n) - nTake);
}

template <class Source>
bool ParseEntry(Source& src, LogEntry* pEntry) {
  if (!pEntry) return false;
  return ParseText(src, pEntry->szFile) && ParseText(src, pEntry->szName) &&
         ParseText(src, pEntry->szVersion) && ParseInt(src, &pEntry->tTime) &&
         ParseInt(src, &pEntry->nAction);
}

// The open stream of a CxFile, read value by value.
struct StreamSource {
  FILE* fp;
  bool Take(void* p, size_t n) { return n == 0 || fread(p, 1, n, fp) == n; }
  // As CxFile skips: never past the end of the file.
  bool Skip(size_t n) {
    const long pos = ftell(fp);
    if (pos < 0 || fseek(fp, 0, SEEK_END) != 0) return false;
    const long end = ftell(fp);
    if (end < 0 || n > static_cast<unsigned long>(end - pos)) return false;
    return fseek(fp, pos + static_cast<long>(n), SEEK_SET) == 0;
  }
};

// ---- The page -------------------------------------------------------------------------------------

template <size_t N>
void Put(std::string& out, const char (&lit)[N]) {
  out.append(lit, N - 1);
}

// What HtmlEscapeTo does, for the page's hot loop: plain runs are found with a table and copied
// whole.
void PutEscaped(std::string& out, const char* p) {
  // 1 ends the text, 2 to 5 name the entity.
  static const struct Table {
    unsigned char c[256];
    Table() : c() {
      c[0] = 1;
      c[static_cast<unsigned char>('&')] = 2;
      c[static_cast<unsigned char>('<')] = 3;
      c[static_cast<unsigned char>('>')] = 4;
      c[static_cast<unsigned char>('"')] = 5;
    }
  } kClass;
  const char* run = p;
  for (;;) {
    while (!kClass.c[static_cast<unsigned char>(*p)]) ++p;
    out.append(run, static_cast<size_t>(p - run));
    switch (kClass.c[static_cast<unsigned char>(*p)]) {
      case 1: return;
      case 2: Put(out, "&amp;"); break;
      case 3: Put(out, "&lt;"); break;
      case 4: Put(out, "&gt;"); break;
      default: Put(out, "&quot;"); break;
    }
    run = ++p;
  }
}

// The row's end after its time stamp: the action and the closing tags.
void PutActionEnd(std::string& out, int nAction) {
  switch (nAction) {
    case kHistoryInstalled: Put(out, "</font>: Installed Successfully</b></td></tr>\r\n"); return;
    case kHistoryUninstalled: Put(out, "</font>: Uninstalled Successfully</b></td></tr>\r\n"); return;
    case kHistoryRestored: Put(out, "</font>: Restored Successfully</b></td></tr>\r\n"); return;
    default: break;
  }
  Put(out, "</font>: Unknown Action (");
  char digits[12];
  char* p = digits + sizeof digits;
  // Negative values are counted down so INT_MIN needs no positive twin.
  int v = nAction;
  do {
    const int d = v % 10;
    *--p = static_cast<char>('0' + (d < 0 ? -d : d));
    v /= 10;
  } while (v != 0);
  if (nAction < 0) *--p = '-';
  out.append(p, static_cast<size_t>(digits + sizeof digits - p));
  Put(out, ")</b></td></tr>\r\n");
}

}  // namespace

// ---- The chunked reader -----------------------------------------------------------------------------

HistoryReader::HistoryReader(FILE* fp) : m_fp(fp), m_buf(new unsigned char[kPiece]) {
  if (!m_fp) return;
  const long start = ftell(m_fp);
  if (start < 0 || fseek(m_fp, 0, SEEK_END) != 0) return;
  const long size = ftell(m_fp);
  if (size < start || fseek(m_fp, start, SEEK_SET) != 0) return;
  m_start = m_filePos = start;
  m_size = size;
}

bool HistoryReader::Fill() {
  if (m_size < 0 || m_filePos >= m_size) return false;
  m_pos = 0;
  m_len = fread(m_buf.get(), 1, kPiece, m_fp);
  m_filePos += static_cast<long>(m_len);
  return m_len > 0;
}

bool HistoryReader::Take(void* p, size_t n) {
  unsigned char* out = static_cast<unsigned char*>(p);
  while (n > 0) {
    if (m_pos == m_len && !Fill()) return false;
    const size_t nPart = n < m_len - m_pos ? n : m_len - m_pos;
    memcpy(out, m_buf.get() + m_pos, nPart);
    m_pos += nPart;
    out += nPart;
    n -= nPart;
  }
  return true;
}

bool HistoryReader::Skip(size_t n) {
  if (n <= m_len - m_pos) {
    m_pos += n;
    return true;
  }
  // Past this piece: the file must hold the rest.
  const size_t nBeyond = n - (m_len - m_pos);
  if (m_size < 0 || nBeyond > static_cast<unsigned long>(m_size - m_filePos)) return false;
  const long target = m_filePos + static_cast<long>(nBeyond);
  if (fseek(m_fp, target, SEEK_SET) != 0) return false;
  m_filePos = target;
  m_pos = m_len = 0;
  return true;
}

bool HistoryReader::Next(LogEntry* pEntry) {
  if (m_size < 0 || !ParseEntry(*this, pEntry)) return false;
  m_whole = Consumed();
  return true;
}

// ---- The history file ---------------------------------------------------------------------------------

bool AppendHistoryEntry(CxFile& file, const char* path, const LogEntry& entryIn) {
  if (!path || !path[0]) return false;
  // A caller's field without its terminator is cut, never read past.
  LogEntry entry = entryIn;
  kx::TerminateField(entry.szFile);
  kx::TerminateField(entry.szName);
  kx::TerminateField(entry.szVersion);

  unsigned char oldCount[4] = {};
  bool bNew = false;
  const bool bOpened = file.Open(path, "r+b");
  // A history that is there but cannot be opened for update is left alone, never replaced.
  if (!bOpened && PathExists(path)) return false;
  if (!bOpened || fseek(file.m_fp, 0, SEEK_SET) != 0 ||
      fread(oldCount, 1, sizeof oldCount, file.m_fp) != sizeof oldCount) {
    // No history yet, or one too short to hold its count: start it afresh.
    file.Close();
    if (!file.Open(path, "wb")) return false;
    bNew = true;
    if (!file.WriteInt(0)) {
      file.Close();
      remove(path);
      return false;
    }
  }
  FILE* fp = file.m_fp;

  // The whole entries, wherever the count stops: an entry written just before the process
  // ended is counted in, and the bytes of one it did not finish are cut away.
  long nEnd = static_cast<long>(sizeof oldCount);
  long nSize = nEnd;
  int nWhole = 0;
  if (!bNew) {
    HistoryReader reader(fp);
    LogEntry e;
    while (nWhole < INT_MAX && reader.Next(&e)) ++nWhole;
    nEnd += reader.WholeBytes();
    nSize = reader.FileSize();
    if (nSize < nEnd || nWhole == INT_MAX || fseek(fp, nEnd, SEEK_SET) != 0 ||
        (nSize > nEnd && !kx::CutFile(fp, nEnd))) {
      file.Close();
      return false;
    }
  }

  // The entry first and the count after it, so a count never promises a missing entry.
  bool bOk = fseek(fp, nEnd, SEEK_SET) == 0 && file.WriteString(entry.szFile) &&
             file.WriteString(entry.szName) && file.WriteString(entry.szVersion) &&
             file.WriteInt(entry.tTime) && file.WriteInt(entry.nAction) && kx::FlushToDisk(fp);
  bOk = bOk && fseek(fp, 0, SEEK_SET) == 0 && file.WriteInt(nWhole + 1) && kx::FlushToDisk(fp);

  if (!bOk) {
    // Leave no part of the entry behind, so the earlier entries stay readable. The old count
    // goes back in place (overwriting needs no room even on a full disk).
    fflush(fp);
    if (!bNew && fseek(fp, 0, SEEK_SET) == 0) fwrite(oldCount, 1, sizeof oldCount, fp);
    kx::CutFile(fp, bNew ? 0 : nEnd);
    file.Close();
    if (bNew) remove(path);
    return false;
  }
  return file.Close();
}

bool ReadHistoryEntry(CxFile& file, LogEntry* pEntry) {
  if (!file.m_fp) return false;
  StreamSource src{file.m_fp};
  return ParseEntry(src, pEntry);
}

std::string HistoryPage(CxFile& file, time_t now) {
  std::string html = kHead1;
  html += kx::kHtmlBody;
  html += kx::HtmlFill(kHead3, {kx::HtmlTimeStamp(now)});
  html += kx::kHtmlTable;
  html += kx::kHtmlHeaderRow;

  // The count bounds the walk, and so does the end of the file.
  int nCount = 0;
  if (!file.m_fp || fseek(file.m_fp, 0, SEEK_SET) != 0 || !file.ReadInt(&nCount)) nCount = 0;
  if (nCount > 0) {
    HistoryReader reader(file.m_fp);
    // Room from the file's size, never from its count: a row takes four to five times the
    // bytes of its entry, and growing the page past its room copies all of it.
    const long kMostReserved = 256L * 1024 * 1024;
    const long nBytes = reader.FileSize() < kMostReserved / 5 ? reader.FileSize() : kMostReserved / 5;
    if (nBytes > 0) html.reserve(html.size() + static_cast<size_t>(nBytes) * 5 + 64);

    const std::string rowStart = std::string(kx::kHtmlWhiteRow) + "<td>";
    // The time stamp is written right after the line before it, so both go in at once.
    static const char kBeforeStamp[] = "<br><br>\r\n<b><font color=0000FF>";
    const size_t nBefore = sizeof kBeforeStamp - 1;
    char stampLine[sizeof kBeforeStamp + kx::kTimeStampSize];
    memcpy(stampLine, kBeforeStamp, nBefore);
    kx::LocalStamps stamps;
    LogEntry entry;
    for (int i = 0; i < nCount && reader.Next(&entry); ++i) {
      if (entry.nAction == kHistoryNone) continue;
      html.append(rowStart);
      PutEscaped(html, entry.szName);
      Put(html, "</td>\r\n<td><font color=0000FF>File Name</font>: ");
      PutEscaped(html, entry.szFile);
      Put(html, "<br><br>\r\n<font color=0000FF>File Version</font>: ");
      PutEscaped(html, entry.szVersion);
      html.append(stampLine, nBefore + stamps.Stamp(static_cast<time_t>(entry.tTime), stampLine + nBefore));
      PutActionEnd(html, entry.nAction);
    }
  }
  html += kx::kHtmlTail;
  return html;
}
