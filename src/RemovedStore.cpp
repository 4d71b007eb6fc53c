#include "RemovedStore.h"

#include <windows.h>

#include <io.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "CxList.h"
#include "KxHandle.h"
#include "KxText.h"

bool FileExists(const char* path) { return path && path[0] && _access(path, 0) == 0; }

void TerminateRecordTexts(CondInfo& info) {
  kx::TerminateField(info.szCreatorID);
  kx::TerminateField(info.szConduit);
  kx::TerminateField(info.szDirectory);
  kx::TerminateField(info.szFile);
  kx::TerminateField(info.szRemote);
  kx::TerminateField(info.szInfo);
  kx::TerminateField(info.szName);
  kx::TerminateField(info.szProduct);
}

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
  std::string tmp = std::string(path) + ".new";
  FILE* f = fopen(tmp.c_str(), "wb");
  if (!f) return false;
  bool ok = true;
  for (auto* p = static_cast<CondInfo*>(list.GetFirst()); p && ok;
       p = static_cast<CondInfo*>(list.GetNext())) {
    if (!(p->dwFlags & kFlagRemoved)) continue;
    CondInfo rec = *p;
    rec.hCondObj = 0;  // a module reference means nothing on disk
    ok = fwrite(&rec, 1, sizeof rec, f) == sizeof rec;
  }
  ok = (fflush(f) == 0) && ok;
  ok = (fclose(f) == 0) && ok;
  // Only a complete new store replaces the old one: a failure part-way keeps every record.
  if (ok) ok = MoveFileExA(tmp.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  if (!ok) remove(tmp.c_str());
  return ok;
}
