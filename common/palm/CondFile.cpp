// Backup sets: a catalogue stored as its 540-byte records, back to back.

#include <cstdio>
#include <new>

#include "CondMgr.h"
#include "CxList.h"
#include "KxHandle.h"
#include "KxSafeFile.h"
#include "KxText.h"

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

bool CCondMgr::SaveToFile(const char* pszPath) {
  if (!pszPath || !pszPath[0]) return false;
  kx::SafeFile file;
  if (!file.Open(pszPath)) return false;
  for (CondInfo* p = GetFirst(); p; p = GetNext()) {
    CondInfo rec = *p;
    rec.hCondObj = 0;  // a module handle means nothing outside this process
    if (!file.Write(&rec, sizeof rec)) return false;
  }
  return file.Commit();
}

bool CCondMgr::LoadFromFile(const char* pszPath) {
  if (!pszPath || !pszPath[0]) return false;
  Clear();
  kx::UniqueStdFile f(fopen(pszPath, "rb"));
  if (!f) return false;
  CondInfo rec;
  while (fread(&rec, 1, sizeof rec, f.get()) == sizeof rec) {
    CondInfo* pData = new (std::nothrow) CondInfo(rec);
    if (!pData) break;
    TerminateCondTexts(*pData);
    pData->hCondObj = 0;
    if (!m_pConduits->Add(pData)) {
      delete pData;
      break;
    }
  }
  return GetCount() > 0;
}
