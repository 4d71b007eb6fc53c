#include "RemovedStore.h"

#include <cstdio>

#include "CondRecordIO.h"
#include "CxList.h"
#include "KxFileExists.h"
#include "KxSafeFile.h"

void TerminateRecordTexts(CondInfo& info) { TerminateCondTexts(info); }

void ClearCondList(CxList& list) {
  for (auto* p = static_cast<CondInfo*>(list.GetFirst()); p;
       p = static_cast<CondInfo*>(list.GetNext())) {
    delete p;
  }
  list.RemoveAll();
}

bool LoadRemovedStore(const char* path, CxList& list, bool (*exists)(const char*)) {
  if (!path || !path[0]) return false;
  FILE* fp = fopen(path, "rb");
  if (!fp) return false;
  ClearCondList(list);
  ReadCondRecords(fp, [&list, exists](const CondInfo& rec) {
    if (!exists(rec.szConduit)) return true;  // dropped: leaves the file at the next save
    auto* entry = new CondInfo(rec);
    entry->dwFlags |= kFlagRemoved;
    list.Add(entry);
    return true;
  });
  fclose(fp);
  return true;
}

bool SaveRemovedStore(const char* path, CxList& list) {
  // Only a complete new store replaces the old one: a failure part-way keeps every record.
  kx::SafeFile file;
  if (!file.Open(path)) return false;
  for (auto* p = static_cast<CondInfo*>(list.GetFirst()); p;
       p = static_cast<CondInfo*>(list.GetNext())) {
    if (!(p->dwFlags & kFlagRemoved)) continue;
    if (!WriteCondRecord(file, *p)) return false;
  }
  return file.Commit();
}
