#pragma once
// One Kestrin per program folder: a named mutex "Local\Kestrin-<hash of the folder>" held for
// the life of the process. Windows releases it when the process ends in any way, so a crashed
// or fatal run never blocks the next start.

#include <string>

#include "KxHandle.h"

namespace kx {

// FNV-1a over the folder's letters in lower case, so "C:\Kestrin\" and "c:\kestrin\" are one.
unsigned InstanceFolderHash(const char* folder);
std::string InstanceMutexName(const char* folder);

class InstanceLock {
 public:
  // True when this process now holds the folder's lock; false when another copy holds it (or
  // the mutex cannot be made, which is taken as "another copy": starting twice is the harm).
  bool Acquire(const char* folder);
  bool Held() const { return static_cast<bool>(m_mutex); }

 private:
  UniqueKernelHandle m_mutex;
};

}  // namespace kx
