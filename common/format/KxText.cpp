#include "KxText.h"

#include <cstring>

namespace kx {

char* CopyText(char* dst, size_t cap, const char* src) {
  if (!dst || cap == 0) return dst;
  size_t n = src ? strnlen(src, cap - 1) : 0;
  if (n) memcpy(dst, src, n);
  dst[n] = '\0';
  return dst;
}

void TerminateField(char* field, size_t cap) {
  if (!field || cap == 0) return;
  if (!memchr(field, 0, cap)) field[cap - 1] = '\0';
}

std::string FieldText(const char* field, size_t cap) {
  return field ? std::string(field, strnlen(field, cap)) : std::string();
}

}  // namespace kx
