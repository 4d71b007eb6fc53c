#include "RemovedStore.h"

#include <io.h>

#include <cstdio>
#include <cstring>

#include "CxList.h"
#include "KxHandle.h"
#include "KxSafeFile.h"

bool FileExists(const char* path) { return path && path[0] && _access(path, 0) == 0; }

void TerminateRecordTexts(CondInfo& info) { TerminateCondTexts(info); }

void ClearCondList(CxList& list) {
  for (auto* p = static_cast<CondInfo*>(list.GetFirst()); p;
       p = static_cast<CondInfo*>(list.GetNext())) {
    delete p;
  }
  list.RemoveAll();
}

bool LoadRemovedStore(const char* path, CxList& list) {
  kx::UniqueStdFile f(fopen(path, "rb"));
  if (!f) return false;
  ClearCondList(list);
  CondInfo rec;
  while (fread(&rec, 1, sizeof rec, f.get()) == sizeof rec) {
    TerminateRecordTexts(rec);
    if (!FileExists(rec.szConduit)) continue;  // dropped: leaves the file at the next save
    auto* entry = new CondInfo(rec);
    entry->dwFlags |= kFlagRemoved;
    entry->hCondObj = 0;
    list.Add(entry);
  }
  return true;
}

bool SaveRemovedStore(const char* path, CxList& list) {
  // Only a complete new store replaces the old one: a failure part-way keeps every record.
  kx::SafeFile file;
  if (!file.Open(path)) return false;
  for (auto* p = static_cast<CondInfo*>(list.GetFirst()); p;
       p = static_cast<CondInfo*>(list.GetNext())) {
    if (!(p->dwFlags & kFlagRemoved)) continue;
    CondInfo rec = *p;
    rec.hCondObj = 0;  // a module reference means nothing on disk
    if (!file.Write(&rec, sizeof rec)) return false;
  }
  return file.Commit();
}
