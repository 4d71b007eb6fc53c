#include "InstanceLock.h"

#include <windows.h>

#include <cstdio>

namespace kx {

unsigned InstanceFolderHash(const char* folder) {
  unsigned h = 2166136261u;
  for (const char* p = folder ? folder : ""; *p; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c - 'A' + 'a');
    if (c == '/') c = '\\';
    h = (h ^ c) * 16777619u;
  }
  return h;
}

std::string InstanceMutexName(const char* folder) {
  char name[32];
  snprintf(name, sizeof name, "Local\\Kestrin-%08x", InstanceFolderHash(folder));
  return name;
}

bool InstanceLock::Acquire(const char* folder) {
  if (m_mutex) return true;
  UniqueKernelHandle mutex(CreateMutexA(nullptr, FALSE, InstanceMutexName(folder).c_str()));
  if (!mutex || GetLastError() == ERROR_ALREADY_EXISTS) return false;
  m_mutex = std::move(mutex);
  return true;
}

}  // namespace kx
