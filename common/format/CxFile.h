#pragma once
// Owner of one open binary file with typed values: 32-bit little-endian integers and strings
// stored as a 4-byte length followed by the text without its terminator. The stream is public
// because the owner positions it directly (the history seeks to its start and end).

#include <cstdio>

class CxFile {
 public:
  CxFile() = default;
  virtual ~CxFile();

  CxFile(const CxFile&) = delete;
  CxFile& operator=(const CxFile&) = delete;

  // Opens path with a C open mode ("rb", "r+b", "wb"). A stream still open is closed first.
  // A null or empty path or mode fails without touching the file system.
  bool Open(const char* szPath, const char* szMode);
  // True unless closing the stream failed (the last buffered writes were then lost).
  bool Close();

  // False at the end of the file; *piVal is then unchanged.
  bool ReadInt(int* piVal);
  // Reads a stored string into szBuf of nBufSize bytes, always terminated inside it.
  // A stored length of 0 leaves szBuf as it was. A text longer than the buffer is cut to
  // nBufSize-1 characters and the rest skipped, so the next value is read from its place.
  // False when the file ends inside the length or the text (szBuf then holds what was read,
  // terminated) or the stored length is negative. *pnLen receives the number of characters
  // placed in szBuf.
  bool ReadString(char* szBuf, int nBufSize, int* pnLen = nullptr);
  // False when the bytes could not be written.
  bool WriteInt(int nVal);
  // A null or empty text is stored as length 0.
  bool WriteString(const char* szText);

  FILE* m_fp = nullptr;
};
