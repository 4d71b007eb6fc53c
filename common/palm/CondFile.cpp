// Backup sets: a catalogue stored as its 540-byte records, back to back.

#include <cstdio>

#include "CondMgr.h"
#include "format/CondRecordIO.h"
#include "format/CxList.h"
#include "format/KxSafeFile.h"

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
  return LoadCondRecordFile(pszPath, *m_pConduits) && GetCount() > 0;
}
