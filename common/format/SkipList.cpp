#include "SkipList.h"

#include <cerrno>
#include <cstdio>

#include "KxSafeFile.h"
#include "KxText.h"
#include "KxUnique.h"

bool LoadSkipList(const char* path, std::vector<SkipEntry>& entries) {
  entries.clear();
  if (!path || !path[0]) return false;
  kx::UniqueStdFile fp(fopen(path, "rb"));
  if (!fp) return errno == ENOENT;
  SkipEntry e;
  while (fread(&e, 1, sizeof e, fp.get()) == sizeof e) {
    kx::TerminateField(e.szPath);
    if (e.szPath[0]) entries.push_back(e);
  }
  return true;
}

bool SaveSkipList(const char* path, const std::vector<SkipEntry>& entries) {
  if (!path || !path[0]) return false;
  kx::SafeFile file;
  if (!file.Open(path)) return false;
  for (const SkipEntry& e : entries) {
    if (!file.Write(&e, sizeof e)) return false;
  }
  return file.Commit();
}
