#pragma once
// Replaces a file only once its new contents are complete: writes go to a file of its own
// beside the target, and Commit moves that over the target. A full disk or any other failed
// write leaves the old file whole.
//
// The file beside it is "<target>.kestrin-<n>.tmp", created exclusively: a file the user keeps
// under any other name is never touched, and two writers never share one.

#include <cstddef>
#include <cstdio>
#include <string>

namespace kx {

// The longest text Open appends to the target's name for its temporary file.
const size_t kSafeFileSuffixMax = sizeof(".kestrin-9999.tmp") - 1;

class SafeFile {
 public:
  SafeFile() = default;
  // Opens at once; see Open.
  explicit SafeFile(const char* pszTarget);
  // Removes the file beside the target unless Commit succeeded.
  ~SafeFile();

  SafeFile(const SafeFile&) = delete;
  SafeFile& operator=(const SafeFile&) = delete;

  // Creates a new "<target>.kestrin-<n>.tmp" for binary writing, the first n from 1 up that no
  // file has. False for a missing or empty path or when no such file can be created.
  bool Open(const char* pszTarget);
  bool IsOpen() const { return m_fp != nullptr; }

  // False when the file is not open or not every byte was written; after one failure every
  // later write fails too, and Commit will not replace the target.
  bool Write(const void* pData, size_t cb);

  // Flushes and closes the new file and moves it over the target. False, with the target as it
  // was and the new file removed, when any write failed or any of these steps fails.
  bool Commit();

  // Closes and removes the new file; the target stays as it was.
  void Abandon();

  const std::string& TempPath() const { return m_tmp; }

 private:
  FILE* m_fp = nullptr;
  std::string m_target;
  std::string m_tmp;
  bool m_bFailed = false;
};

// Test seam, process-wide: from now on SafeFile and CxFile writes succeed for k more bytes in
// all, then fail as a full disk would (the write that crosses the limit stores only the bytes
// before it). -1 turns the seam off.
void SetWriteFailureAfter(long k);

// fwrite through the seam: the number of bytes stored, fewer than cb when the seam ran out.
size_t SeamWrite(FILE* fp, const void* pData, size_t cb);

// Flushes the stream and has the system put its data on disk (_commit, fsync); false when
// either fails. Through the step seam below.
bool FlushToDisk(FILE* fp);

// Flushes the stream and cuts its file to nSize bytes; false when that fails. The stream's
// position is left to the caller. Through the step seam below.
bool CutFile(FILE* fp, long nSize);

// Test seam, process-wide: the nth call of FlushToDisk or CutFile from now (1 = the next one)
// fails without doing anything, as a failing disk would; 0 turns the seam off.
void SetFileStepFailure(int nth);

}  // namespace kx
