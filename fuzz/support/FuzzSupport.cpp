#include "FuzzSupport.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace kfuzz {

std::string ScratchPath(const char* name) {
  const char* tmp = getenv("TMPDIR");
  std::string dir = tmp && *tmp ? tmp : "/tmp";
  return dir + "/kestrin-fuzz-" + std::to_string(getpid()) + "-" + name;
}

bool WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  FILE* fp = fopen(path.c_str(), "wb");
  if (!fp) return false;
  const bool ok = (size == 0 || fwrite(data, 1, size, fp) == size);
  return fclose(fp) == 0 && ok;
}

Bytes ReadFile(const std::string& path) {
  Bytes out;
  FILE* fp = fopen(path.c_str(), "rb");
  if (!fp) return out;
  unsigned char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, fp)) > 0) out.insert(out.end(), buf, buf + n);
  fclose(fp);
  return out;
}

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

void Fail(const char* what) {
  fprintf(stderr, "fuzz check failed: %s\n", what);
  abort();
}

}  // namespace kfuzz
