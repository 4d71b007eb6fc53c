#include "TestSupport.h"

#include <windows.h>

#include <cstdio>

namespace ktest {
namespace {

void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      std::string full = dir + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full + "\\");
      } else {
        SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(full.c_str());
      }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(dir.c_str());
}

}  // namespace

std::string ExeFolder() {
  char buf[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, buf, MAX_PATH);
  std::string s = buf;
  return s.substr(0, s.find_last_of("\\/") + 1);
}

static std::string FullPath(const std::string& p) {
  char buf[MAX_PATH] = {};
  DWORD n = GetFullPathNameA(p.c_str(), MAX_PATH, buf, nullptr);
  return n && n < MAX_PATH ? std::string(buf) : p;
}

std::string PalmFolder() { return FullPath(ExeFolder() + "..\\..\\palm"); }
std::string ConduitsFolder() { return FullPath(ExeFolder() + "..\\..\\conduits"); }

bool HasTempLeftover(const std::string& target) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((target + ".kestrin-*.tmp").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  return true;
}

std::vector<unsigned char> ReadBytes(const std::string& path) {
  std::vector<unsigned char> out;
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return out;
  unsigned char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
  fclose(f);
  return out;
}

bool WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return fclose(f) == 0 && ok;
}

TempDir::TempDir(const char* name) : m_path(ExeFolder() + name + "\\") {
  RemoveTree(m_path);
  CreateDirectoryA(m_path.c_str(), nullptr);
}

TempDir::~TempDir() { RemoveTree(m_path); }

}  // namespace ktest
