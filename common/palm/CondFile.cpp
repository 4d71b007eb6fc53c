// Backup sets: a catalogue stored as its 540-byte records, back to back.

#include <cstdio>
#include <new>

#include "CondMgr.h"
#include "format/CondRecordIO.h"
#include "format/CxList.h"
#include "format/KxSafeFile.h"
#include "misc/KxHandle.h"

bool CCondMgr::SaveToFile(const char* pszPath) {
  if (!pszPath || !pszPath[0]) return false;
  kx::SafeFile file;
  if (!file.Open(pszPath)) return false;
  for (CondInfo* p = GetFirst(); p; p = GetNext()) {
    if (!WriteCondRecord(file, *p)) return false;
  }
  return file.Commit();
}

bool CCondMgr::LoadFromFile(const char* pszPath) {
  if (!pszPath || !pszPath[0]) return false;
  Clear();
  kx::UniqueStdFile f(fopen(pszPath, "rb"));
  if (!f) return false;
  ReadCondRecords(f.get(), [this](const CondInfo& rec) {
    CondInfo* pData = new (std::nothrow) CondInfo(rec);
    if (!pData) return false;
    if (!m_pConduits->Add(pData)) {
      delete pData;
      return false;
    }
    return true;
  });
  return GetCount() > 0;
}
