#include "CondMgr.h"

#include <cstring>
#include <new>

#include "format/CxList.h"
#include "format/InstallRecord.h"
#include "format/KxAssert.h"
#include "format/KxText.h"
#include "LibraryPath.h"
#include "SafeLoad.h"

namespace {

const int kConduitType = 1;  // the conduit type every registration is made with
CondInfo* NewRecord(const CondInfo& work) {
  CondInfo* pData = new (std::nothrow) CondInfo(work);
  KX_ASSERT_TEXT(pData != nullptr, "pData!=NULL");
  return pData;
}

}  // namespace

CCondMgr::CCondMgr() : m_pConduits(new (std::nothrow) CxList) {
  KX_ASSERT_TEXT(m_pConduits, "m_pConduits");
}

CCondMgr::~CCondMgr() {
  Clear();
  delete m_pConduits;
}

void CCondMgr::Clear() {
  safeload::Session session;  // releasing runs each library's unload code
  for (CondInfo* p = GetFirst(); p; p = GetNext()) {
    ReleaseCondObj(p->hCondObj);
    delete p;
  }
  m_pConduits->RemoveAll();
}

CondInfo* CCondMgr::GetFirst() { return static_cast<CondInfo*>(m_pConduits->GetFirst()); }
CondInfo* CCondMgr::GetNext() { return static_cast<CondInfo*>(m_pConduits->GetNext()); }
uint32_t CCondMgr::GetCount() const { return m_pConduits->GetCount(); }

bool CCondMgr::Load(unsigned flags) {
  safeload::Session session;
  LibrarySearchScope search;
  Clear();

  if (flags & kLoadRegistered) {
    int nCount = palm::CmGetConduitCount();
    for (int i = 0; i < nCount; ++i) {
      CondInfo work{};
      palm::CmGetConduitCreatorID(i, work.szCreatorID, 5);
      palm::CmGetCreatorName(work.szCreatorID, work.szConduit, sizeof work.szConduit);
      if (Find(work.szCreatorID, work.szConduit)) continue;

      DWORD dw = 0;
      palm::CmConvertStringToCreatorID(work.szCreatorID, &dw);
      work.dwCreatorID = dw;
      dw = 0;
      palm::CmGetCreatorIntegrate(work.szCreatorID, &dw);
      work.dwIntegrate = dw;
      int nPriority = 0;
      palm::CmGetCreatorPriority(work.szCreatorID, &nPriority);
      work.nPriority = nPriority;
      palm::CmGetCreatorFile(work.szCreatorID, work.szFile, sizeof work.szFile);
      palm::CmGetCreatorDirectory(work.szCreatorID, work.szDirectory, sizeof work.szDirectory);
      palm::CmGetCreatorInfo(work.szCreatorID, work.szInfo, sizeof work.szInfo);
      palm::CmGetCreatorRemote(work.szCreatorID, work.szRemote, sizeof work.szRemote);
      palm::CmGetCreatorTitle(work.szCreatorID, work.szName, sizeof work.szName);

      if (LibraryFileExists(work.szConduit)) {
        work.nStatus = kStatusInstalled;
      } else {
        work.nStatus = kStatusMissing;
        if (!(flags & kLoadKeepMissing) || !work.szConduit[0]) continue;
      }
      CondInfo* pData = NewRecord(work);
      pData->nOrigin = kOriginRegistered;
      AttachCondObj(*pData);
      m_pConduits->Add(pData);
    }
  }

  if (flags & kLoadInstall) {
    int nCount = palm::PltGetInstallConduitCount();
    for (int i = 0; i < nCount; ++i) {
      unsigned char rec[kInstallRecordSize] = {};
      CondInfo work{};
      if (palm::PltGetInstallConduitInfo(i, rec, kInstallRecordSize) <= 0) continue;
      ReadInstallRecord(rec, work);
      work.nStatus = kStatusMissing;
      CondInfo* pData = NewRecord(work);
      pData->nOrigin = kOriginInstall;
      AttachCondObj(*pData);
      m_pConduits->Add(pData);
    }
  }

  if (flags & kLoadBackup) {
    CondInfo work{};
    palm::CmGetBackupConduit(work.szConduit, sizeof work.szConduit);
    CondInfo* pData = NewRecord(work);
    pData->nOrigin = kOriginBackup;
    AttachCondObj(*pData);
    pData->dwCreatorID = kBackupCreatorID;
    m_pConduits->Add(pData);
  }
  return true;
}

CondInfo* CCondMgr::Find(const char* pszCreatorID, const char* pszConduit) {
  if (!pszCreatorID || !pszCreatorID[0] || !pszConduit || !pszConduit[0]) return nullptr;
  // The short form costs a directory query per folder of the path: look it up once, and only
  // when a record of the same creator needs it (a load calls Find for every conduit).
  char szShort[MAX_PATH] = {};
  bool bShortDone = false;
  for (CondInfo* p = GetFirst(); p; p = GetNext()) {
    if (_stricmp(p->szCreatorID, pszCreatorID) != 0) continue;
    if (_stricmp(p->szConduit, pszConduit) == 0) return p;
    if (!bShortDone) {
      bShortDone = true;
      DWORD n = GetShortPathNameA(pszConduit, szShort, MAX_PATH);
      if (n == 0 || n >= MAX_PATH) szShort[0] = '\0';
    }
    if (szShort[0] && _stricmp(p->szConduit, szShort) == 0) return p;
  }
  return nullptr;
}

bool CCondMgr::Contains(const CondInfo* pInfo) {
  return pInfo && Find(pInfo->szCreatorID, pInfo->szConduit) != nullptr;
}

bool CCondMgr::Add(CondInfo* pInfo) {
  if (!pInfo || Contains(pInfo)) return false;
  return m_pConduits->Add(pInfo);
}

bool CCondMgr::RegisterConduit(CondInfo* pInfo) {
  if (!pInfo) return false;
  const char* id = pInfo->szCreatorID;
  int nPriority = pInfo->nPriority >= 1 && pInfo->nPriority <= 5 ? pInfo->nPriority : 2;
  int r = palm::CmInstallCreator(id, kConduitType);
  if (r == 0) r = palm::CmSetCreatorName(id, pInfo->szConduit);
  if (r == 0) r = palm::CmSetCreatorDirectory(id, pInfo->szDirectory);
  if (r == 0) r = palm::CmSetCreatorFile(id, pInfo->szFile);
  if (r == 0) r = palm::CmSetCreatorPriority(id, nPriority);
  if (r == 0) r = palm::CmSetCreatorRemote(id, pInfo->szRemote);
  if (r == 0) r = palm::CmSetCreatorTitle(id, pInfo->szName);
  // Also after a failure: a key naming the library may already be there.
  if (IsPocketMirrorConduit(pInfo)) SetPocketMirrorUi(pInfo);
  if (r != 0) return false;
  pInfo->nStatus = kStatusInstalled;
  return true;
}

bool CCondMgr::RemoveConduit(CondInfo* pInfo) {
  if (!pInfo) return false;
  pInfo->nStatus = LibraryFileExists(pInfo->szConduit) ? kStatusRemoved : kStatusMissing;
  return palm::CmRemoveConduitByCreatorID(pInfo->szCreatorID) == 1;
}
