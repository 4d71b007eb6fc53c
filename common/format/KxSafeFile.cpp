#include "KxSafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#ifdef _WIN32
// kernel32's replace-over-an-existing-file, declared here so that the file formats build
// without the Windows headers (and natively). The C runtime's rename refuses an existing target.
extern "C" __declspec(dllimport) int __stdcall MoveFileExA(const char* from, const char* to,
                                                           unsigned long flags);
#endif

namespace kx {
namespace {

long g_budget = -1;  // bytes the seam still lets through; -1 = no seam
int g_stepsToFailure = 0;  // FlushToDisk and CutFile calls until the failing one; 0 = no seam

// True when the step seam fails this call.
bool StepFails() {
  if (g_stepsToFailure <= 0) return false;
  return --g_stepsToFailure == 0;
}

// How many of cb bytes the seam lets through now.
size_t Allowance(size_t cb) {
  if (g_budget < 0) return cb;
  const size_t left = static_cast<size_t>(g_budget);
  const size_t n = cb < left ? cb : left;
  g_budget -= static_cast<long>(n);
  return n;
}

bool SyncToDisk(FILE* fp) {
#ifdef _WIN32
  return _commit(_fileno(fp)) == 0;
#else
  return fsync(fileno(fp)) == 0;
#endif
}

bool Truncate(FILE* fp, long nSize) {
#ifdef _WIN32
  return _chsize(_fileno(fp), nSize) == 0;
#else
  return ftruncate(fileno(fp), nSize) == 0;
#endif
}

bool Replace(const char* pszFrom, const char* pszTo) {
#ifdef _WIN32
  const unsigned long kReplaceExisting = 0x1, kWriteThrough = 0x8;  // MOVEFILE_...
  return MoveFileExA(pszFrom, pszTo, kReplaceExisting | kWriteThrough) != 0;
#else
  return rename(pszFrom, pszTo) == 0;
#endif
}

const int kMaxTempNumber = 9999;  // keeps the suffix within kSafeFileSuffixMax

// Creates the file only when no file of that name exists; nullptr (errno set) otherwise.
FILE* CreateExclusive(const std::string& path) {
#ifdef _WIN32
  const int fd = _open(path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY,
                       _S_IREAD | _S_IWRITE);
  if (fd < 0) return nullptr;
  FILE* fp = _fdopen(fd, "wb");
  if (!fp) _close(fd);
#else
  const int fd = open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY, 0644);
  if (fd < 0) return nullptr;
  FILE* fp = fdopen(fd, "wb");
  if (!fp) close(fd);
#endif
  return fp;
}

}  // namespace

void SetWriteFailureAfter(long k) { g_budget = k < 0 ? -1 : k; }

size_t SeamWrite(FILE* fp, const void* pData, size_t cb) {
  const size_t allowed = Allowance(cb);
  return allowed > 0 ? fwrite(pData, 1, allowed, fp) : 0;
}

bool FlushToDisk(FILE* fp) {
  if (!fp || StepFails()) return false;
  return fflush(fp) == 0 && SyncToDisk(fp);
}

bool CutFile(FILE* fp, long nSize) {
  if (!fp || nSize < 0 || StepFails()) return false;
  return fflush(fp) == 0 && Truncate(fp, nSize);
}

void SetFileStepFailure(int nth) { g_stepsToFailure = nth < 0 ? 0 : nth; }

SafeFile::SafeFile(const char* pszTarget) { Open(pszTarget); }

SafeFile::~SafeFile() { Abandon(); }

bool SafeFile::Open(const char* pszTarget) {
  Abandon();
  m_bFailed = false;
  if (!pszTarget || !pszTarget[0]) return false;
  m_target = pszTarget;
  for (int n = 1; n <= kMaxTempNumber; ++n) {
    m_tmp = m_target + ".kestrin-" + std::to_string(n) + ".tmp";
    m_fp = CreateExclusive(m_tmp);
    if (m_fp) return true;
    if (errno != EEXIST) break;  // a missing folder or no right to write: no number helps
  }
  m_tmp.clear();
  return false;
}

bool SafeFile::Write(const void* pData, size_t cb) {
  if (!m_fp || m_bFailed) return false;
  if (cb == 0) return true;
  if (!pData) {
    m_bFailed = true;
    return false;
  }
  if (SeamWrite(m_fp, pData, cb) != cb) m_bFailed = true;
  return !m_bFailed;
}

bool SafeFile::Commit() {
  if (!m_fp) return false;
  bool ok = !m_bFailed;
  ok = fflush(m_fp) == 0 && ok;
  ok = ok && SyncToDisk(m_fp);
  ok = fclose(m_fp) == 0 && ok;
  m_fp = nullptr;
  ok = ok && Replace(m_tmp.c_str(), m_target.c_str());
  if (!ok) {
    remove(m_tmp.c_str());
    m_bFailed = true;
  }
  m_tmp.clear();
  return ok;
}

void SafeFile::Abandon() {
  if (!m_fp) return;
  fclose(m_fp);
  m_fp = nullptr;
  remove(m_tmp.c_str());
  m_tmp.clear();
}

}  // namespace kx
