#pragma once
// Shared pieces of the fuzz targets: private scratch files and checks that end in a finding.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kfuzz {

using Bytes = std::vector<unsigned char>;

// A path in the temporary folder that no other process uses: "<tmp>/kestrin-fuzz-<pid>-<name>".
std::string ScratchPath(const char* name);

bool WriteFile(const std::string& path, const uint8_t* data, size_t size);
Bytes ReadFile(const std::string& path);
bool Exists(const std::string& path);

// True when a zero ends the text inside the field.
template <size_t N>
bool Terminated(const char (&field)[N]) {
  for (size_t i = 0; i < N; ++i)
    if (field[i] == '\0') return true;
  return false;
}

// Prints what broke and aborts, so libFuzzer saves the input.
[[noreturn]] void Fail(const char* what);
inline void Check(bool ok, const char* what) {
  if (!ok) Fail(what);
}

}  // namespace kfuzz
