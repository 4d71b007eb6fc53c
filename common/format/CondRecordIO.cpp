#include "CondRecordIO.h"

#include <new>

#include "CxList.h"
#include "KxSafeFile.h"
#include "KxText.h"
#include "KxUnique.h"

void TerminateCondTexts(CondInfo& info) {
  kx::TerminateField(info.szCreatorID);
  kx::TerminateField(info.szConduit);
  kx::TerminateField(info.szDirectory);
  kx::TerminateField(info.szFile);
  kx::TerminateField(info.szRemote);
  kx::TerminateField(info.szInfo);
  kx::TerminateField(info.szName);
  kx::TerminateField(info.szProduct);
}

void ReadCondRecords(FILE* fp, const std::function<bool(const CondInfo&)>& take) {
  CondInfo rec;
  while (fread(&rec, 1, sizeof rec, fp) == sizeof rec) {
    TerminateCondTexts(rec);
    rec.hCondObj = 0;  // a handle read from a file would name another record's object
    if (!take(rec)) break;
  }
}

bool WriteCondRecord(kx::SafeFile& file, const CondInfo& info) {
  CondInfo rec = info;
  rec.hCondObj = 0;  // a module handle means nothing outside this process
  return file.Write(&rec, sizeof rec);
}

bool LoadCondRecordFile(const char* path, CxList& list) {
  kx::UniqueStdFile fp(fopen(path, "rb"));
  if (!fp) return false;
  ReadCondRecords(fp.get(), [&list](const CondInfo& rec) {
    CondInfo* p = new (std::nothrow) CondInfo(rec);
    if (!p) return false;
    if (!list.Add(p)) {
      delete p;
      return false;
    }
    return true;
  });
  return true;
}
