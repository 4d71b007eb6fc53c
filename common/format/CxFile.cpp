#include "CxFile.h"

#include <climits>
#include <cstring>

#include "KxAssert.h"
#include "KxSafeFile.h"

namespace {

// The stored form is little-endian whatever the host, so files move between builds.
bool ReadRawInt(FILE* fp, int* piVal) {
  unsigned char b[4];
  if (fread(b, 1, sizeof b, fp) != sizeof b) return false;
  const unsigned long u = static_cast<unsigned long>(b[0]) | (static_cast<unsigned long>(b[1]) << 8) |
                          (static_cast<unsigned long>(b[2]) << 16) |
                          (static_cast<unsigned long>(b[3]) << 24);
  *piVal = static_cast<int>(static_cast<long long>(u) - (u & 0x80000000UL ? 0x100000000LL : 0));
  return true;
}

bool WriteRawInt(FILE* fp, int nVal) {
  const unsigned long u = static_cast<unsigned long>(nVal) & 0xFFFFFFFFUL;
  const unsigned char b[4] = {static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8),
                              static_cast<unsigned char>(u >> 16), static_cast<unsigned char>(u >> 24)};
  return kx::SeamWrite(fp, b, sizeof b) == sizeof b;
}

// Moves past n bytes of text; false when the file ends before them (left at its end then).
bool Skip(FILE* fp, long n) {
  const long pos = ftell(fp);
  if (pos < 0 || fseek(fp, 0, SEEK_END) != 0) return false;
  const long end = ftell(fp);
  if (end < 0) return false;
  if (n > end - pos) return false;
  return fseek(fp, pos + n, SEEK_SET) == 0;
}

}  // namespace

CxFile::~CxFile() { Close(); }

bool CxFile::Open(const char* szPath, const char* szMode) {
  Close();
  if (!szPath || !*szPath || !szMode || !*szMode) return false;
  m_fp = fopen(szPath, szMode);
  return m_fp != nullptr;
}

bool CxFile::Close() {
  if (!m_fp) return true;
  const bool bOk = fclose(m_fp) == 0;
  m_fp = nullptr;
  return bOk;
}

bool CxFile::ReadInt(int* piVal) {
  KX_ASSERT_TEXT(m_fp && piVal, "m_fp && piVal");
  if (!m_fp || !piVal) return false;
  return ReadRawInt(m_fp, piVal);
}

bool CxFile::ReadString(char* szBuf, int nBufSize, int* pnLen) {
  KX_ASSERT_TEXT(m_fp && szBuf, "m_fp&&szBuf");
  if (pnLen) *pnLen = 0;
  if (!m_fp || !szBuf) return false;

  int n = 0;
  if (!ReadRawInt(m_fp, &n)) {
    if (nBufSize > 0) szBuf[0] = '\0';
    return false;
  }
  if (n == 0) return true;
  if (n < 0) return false;  // never written by this class: a damaged file

  const int nTake = nBufSize > 0 ? (n < nBufSize ? n : nBufSize - 1) : 0;
  const size_t nGot = nTake > 0 ? fread(szBuf, 1, static_cast<size_t>(nTake), m_fp) : 0;
  if (nBufSize > 0) szBuf[nGot] = '\0';
  if (pnLen) *pnLen = static_cast<int>(nGot);
  if (nGot != static_cast<size_t>(nTake)) return false;
  if (n > nTake && !Skip(m_fp, static_cast<long>(n) - nTake)) return false;
  return nBufSize > 0;
}

bool CxFile::WriteInt(int nVal) {
  KX_ASSERT_TEXT(m_fp, "m_fp");
  if (!m_fp) return false;
  return WriteRawInt(m_fp, nVal);
}

bool CxFile::WriteString(const char* szText) {
  KX_ASSERT_TEXT(m_fp, "m_fp");
  if (!m_fp) return false;
  const size_t nLen = szText ? strlen(szText) : 0;
  if (nLen > static_cast<size_t>(INT_MAX)) return false;
  if (!WriteRawInt(m_fp, static_cast<int>(nLen))) return false;
  return nLen == 0 || kx::SeamWrite(m_fp, szText, nLen) == nLen;
}
