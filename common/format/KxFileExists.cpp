#include "KxFileExists.h"

#ifdef _WIN32
// kernel32's attribute query, declared here so that the file formats build without the Windows
// headers (and natively).
extern "C" __declspec(dllimport) unsigned long __stdcall GetFileAttributesA(const char* path);
#else
#include <sys/stat.h>
#endif

namespace kx {

bool FileExists(const char* path) {
  if (!path || !path[0]) return false;
#ifdef _WIN32
  // INVALID_FILE_ATTRIBUTES and FILE_ATTRIBUTE_DIRECTORY
  const unsigned long kInvalid = 0xFFFFFFFFul, kDirectory = 0x10;
  const unsigned long attr = GetFileAttributesA(path);
  return attr != kInvalid && !(attr & kDirectory);
#else
  struct stat st;
  return stat(path, &st) == 0 && !S_ISDIR(st.st_mode);
#endif
}

}  // namespace kx
