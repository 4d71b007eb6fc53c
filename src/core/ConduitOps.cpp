#include "ConduitOps.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "CondRules.h"
#include "format/CxList.h"
#include "format/KxText.h"
#include "format/KxUnique.h"
#include "format/RemovedStore.h"
#include "KestrinLog.h"
#include "misc/WinUtil.h"
#include "palm/CondMgr.h"
#include "palm/CondObj.h"
#include "palm/LibraryPath.h"
#include "palm/SafeLoad.h"

namespace {

// The removed list's record of the same conduit, or nullptr.
CondInfo* FindRemoved(CxList& removed, const CondInfo& info) {
  for (auto* p = static_cast<CondInfo*>(removed.GetFirst()); p;
       p = static_cast<CondInfo*>(removed.GetNext())) {
    if (SameConduit(*p, info)) return p;
  }
  return nullptr;
}

// The skip list forgets a library that was uninstalled or picked again through Install.
void ForgetSkip(const char* szConduit) {
  char full[MAX_PATH];
  if (ResolveLibraryPath(szConduit, full)) safeload::DropSkip(full);
}

std::string InProgramFolder(const char* szFile) {
  char folder[MAX_PATH] = {};
  GetProgramFolder(nullptr, folder);
  return std::string(folder) + szFile;
}

}  // namespace

ConduitOps::ConduitOps(CCondMgr& app, CxList& removed, KestrinLog& log, const char* resFile,
                       ConduitView& view)
    : m_app(app), m_removed(removed), m_log(log), m_resFile(resFile), m_view(view) {}

ConduitOps::~ConduitOps() { ReleaseKeptCondObjs(); }

int ConduitOps::FindAppRow(const CondInfo* info) const {
  const int n = m_view.AppRowCount();
  for (int i = 0; i < n; ++i) {
    if (m_view.AppRowRecord(i) == info) return i;
  }
  return -1;
}

bool ConduitOps::CatalogueHolds(const CondInfo* info) {
  for (CondInfo* p = m_app.GetFirst(); p; p = m_app.GetNext()) {
    if (p == info) return true;
  }
  return false;
}

bool ConduitOps::IsCondObjReferenced(CondObjHandle h) {
  if (!h) return false;
  for (CondInfo* p = m_app.GetFirst(); p; p = m_app.GetNext()) {
    if (p->hCondObj == h) return true;
  }
  for (auto* p = static_cast<CondInfo*>(m_removed.GetFirst()); p;
       p = static_cast<CondInfo*>(m_removed.GetNext())) {
    if (p->hCondObj == h) return true;
  }
  return false;
}

void ConduitOps::ReleaseKeptCondObjs() {
  for (CondObjHandle h : m_keptCondObjs) ReleaseCondObj(h);
  m_keptCondObjs.clear();
}

bool ConduitOps::SaveRemovedList() {
  if (SaveRemovedStore(m_resFile, m_removed)) return true;
  m_bStoreUnsaved = true;
  return false;
}

void ConduitOps::ReportUnsavedStore() {
  if (!m_bStoreUnsaved) return;
  m_bStoreUnsaved = false;
  m_view.Tell(MessageKind::Error, FormatText(condtext::kStoreNotSaved, m_resFile), "Error");
}

void ConduitOps::AddHistory(const CondInfo& info, int nAction) {
  LogEntry entry;
  KestrinLog::FillEntry(entry, info.szConduit, info.szName, nAction);
  m_log.AddEntry(entry);  // silent: the operation itself has succeeded
}

bool ConduitOps::ClearConflict(const CondInfo& info, bool otherPathOnly, bool quiet) {
  CondInfo* other = FindConflict(m_app, info, otherPathOnly);
  if (!other) return true;
  if (!quiet &&
      !m_view.Tell(MessageKind::Question,
                   FormatText(condtext::kConflict, other->szName, other->szCreatorID),
                   "Uninstall conduit")) {
    return false;
  }
  return UninstallConduit(other, false);
}

bool ConduitOps::InstallConduit(CondInfo* pInfo, bool quiet) {
  if (!pInfo) return false;
  if (CondInfo* found = m_app.Find(pInfo->szCreatorID, pInfo->szConduit)) {
    if (found->nStatus != kStatusInstalled) return RestoreConduit(pInfo, quiet);
    if (!quiet) m_view.Tell(MessageKind::Information, condtext::kAlreadyInstalled, "Information");
    return false;
  }
  if (!ClearConflict(*pInfo, false, quiet)) return false;
  if (!m_app.RegisterConduit(pInfo)) {
    if (!quiet) {
      m_view.Tell(MessageKind::Error, FormatText(condtext::kInstallFailed, pInfo->szName),
                  "Error");
    }
    return false;
  }
  // The row shows the record the catalogue keeps; Add refuses only a second record of the same
  // conduit, which the look-up above has ruled out.
  CondInfo* shown = pInfo;
  if (!m_app.Add(pInfo)) {
    if (CondInfo* held = m_app.Find(pInfo->szCreatorID, pInfo->szConduit)) shown = held;
  }
  m_view.AddAppRow(CondRow{pInfo->szName, pInfo->szCreatorID, pInfo->szConduit, kImgInstalled},
                   shown);
  if (!quiet) {
    m_view.Tell(MessageKind::Information, FormatText(condtext::kInstalled, pInfo->szName),
                "Success");
  }
  AddHistory(*pInfo, kHistoryInstalled);
  return true;
}

bool ConduitOps::UninstallConduit(CondInfo* pInfo, bool quiet) {
  if (!pInfo) return false;
  const int32_t nOldStatus = pInfo->nStatus;
  if (!m_app.RemoveConduit(pInfo)) {
    // Still registered: keep the status that says so, for later conflict checks.
    pInfo->nStatus = nOldStatus;
    if (!quiet) {
      m_view.Tell(MessageKind::Error, FormatText(condtext::kRemoveRefused, pInfo->szConduit),
                  "Error");
    }
    return false;
  }
  ForgetSkip(pInfo->szConduit);
  const int row = FindAppRow(pInfo);
  if (row >= 0) {
    if (pInfo->nStatus == kStatusRemoved) {
      pInfo->dwFlags |= kFlagRemoved;
      if (CondInfo* entry = FindRemoved(m_removed, *pInfo)) {
        if (entry != pInfo) *entry = *pInfo;
      } else {
        m_removed.Add(new CondInfo(*pInfo));
      }
      SaveRemovedList();
      m_view.SetAppRowImage(row, kImgRemoved);
    } else {
      m_view.DeleteAppRow(row);
    }
  }
  AddHistory(*pInfo, kHistoryUninstalled);
  return true;
}

bool ConduitOps::RestoreConduit(CondInfo* pInfo, bool quiet) {
  if (!pInfo) return false;
  if (!ClearConflict(*pInfo, true, quiet)) return false;
  if (!m_app.RegisterConduit(pInfo)) {
    if (!quiet) {
      m_view.Tell(MessageKind::Error, FormatText(condtext::kRestoreFailed, pInfo->szName),
                  "Error");
    }
    return false;
  }
  pInfo->dwFlags = 0;

  const int n = m_view.AppRowCount();
  for (int i = 0; i < n; ++i) {
    CondInfo* rec = m_view.AppRowRecord(i);
    if (!rec || !SameConduit(*rec, *pInfo)) continue;
    if (rec != pInfo) {
      // The row's record takes the new module object; the one it had may still be referred
      // to by a byte copy, so it is kept until the rows go.
      if (rec->hCondObj != pInfo->hCondObj && CatalogueHolds(rec)) {
        m_keptCondObjs.push_back(rec->hCondObj);
      }
      *rec = *pInfo;
    }
    m_view.SetAppRowImage(i, kImgInstalled);
    break;
  }
  for (auto* p = static_cast<CondInfo*>(m_removed.GetFirst()); p;
       p = static_cast<CondInfo*>(m_removed.GetNext())) {
    if (p != pInfo && SameConduit(*p, *pInfo)) {
      *p = *pInfo;
      break;
    }
  }
  SaveRemovedList();
  AddHistory(*pInfo, kHistoryRestored);
  return true;
}

bool ConduitOps::UpdateConduitSettings(CondInfo* pInfo) {
  if (!pInfo) return false;
  return SendConduitSettings(*pInfo) == 0;
}

void ConduitOps::InstallConduitFile(const char* path) {
  ForgetSkip(path);  // the user asks for this very library: it is loaded again
  auto obj = std::make_unique<CCondObj>(path);
  if (!obj->IsOpen() || !obj->IsConduit()) {
    m_view.Tell(MessageKind::Error, condtext::kNotConduit, "Error");
    return;
  }
  auto rec = std::make_unique<CondInfo>();
  memset(rec.get(), 0, sizeof(CondInfo));
  kx::CopyText(rec->szConduit, path);
  obj->GetName(rec->szName, sizeof rec->szName);  // a library without a name leaves it empty
  rec->hCondObj = RegisterCondObj(std::move(obj));

  m_view.ShowNewConduitProperties(rec.get());

  if (CatalogueHolds(rec.get())) {
    rec.release();  // the catalogue owns it and its module object now
    return;
  }
  const CondObjHandle h = rec->hCondObj;
  if (IsCondObjReferenced(h)) {
    m_keptCondObjs.push_back(h);  // a restored row's record refers to it
  } else {
    ReleaseCondObj(h);
  }
}

void ConduitOps::UninstallSelected() {
  const std::vector<CondInfo*> records = m_view.SelectedAppRecords();
  if (records.empty()) return;
  if (records.size() == 1) {
    CondInfo* p = records[0];
    if (!p) return;
    if (!m_view.Tell(MessageKind::Question, FormatText(condtext::kConfirmUninstall, p->szConduit),
                     "Confirm")) {
      return;
    }
    if (UninstallConduit(p, false)) {
      m_view.Tell(MessageKind::Information, FormatText(condtext::kUninstalled, p->szConduit),
                  "Information");
      m_view.UpdateAppButtons();
    }
    return;
  }
  // The records were noted first: rows deleted on the way change nothing of the walk.
  bool all = true;
  for (CondInfo* p : records) {
    if (!p || (p->dwFlags & kFlagRemoved)) continue;
    if (!UninstallConduit(p, false)) all = false;
  }
  if (all) m_view.Tell(MessageKind::Information, condtext::kUninstalledMany, "Information");
  m_view.UpdateAppButtons();
}

void ConduitOps::RestoreSelected() {
  const std::vector<CondInfo*> records = m_view.SelectedAppRecords();
  if (records.empty()) return;
  if (records.size() == 1) {
    CondInfo* p = records[0];
    if (!p || !(p->dwFlags & kFlagRemoved)) return;
    if (!m_view.Tell(MessageKind::Question, FormatText(condtext::kConfirmRestore, p->szName),
                     "Confirm")) {
      return;
    }
    if (RestoreConduit(p, false)) {
      m_view.UpdateAppButtons();
      m_view.Tell(MessageKind::Information, FormatText(condtext::kRestored, p->szName),
                  "Information");
    }
    return;
  }
  bool all = true;
  for (CondInfo* p : records) {
    if (!p || !(p->dwFlags & kFlagRemoved)) continue;
    if (!RestoreConduit(p, false)) all = false;
  }
  if (all) m_view.Tell(MessageKind::Information, condtext::kRestoredMany, "Information");
  m_view.UpdateAppButtons();
}

void ConduitOps::BackupSettings(const char* szFile) {
  const std::string path = InProgramFolder(szFile);
  if (!m_app.SaveToFile(path.c_str())) {
    m_view.Tell(MessageKind::Error,
                FormatText("Can not write the backup file \"%s\".", path.c_str()), "Error");
    return;
  }
  m_view.Tell(MessageKind::Information,
              FormatText("Conduit settings backup successfully to \"%s\".", szFile),
              "Information");
}

void ConduitOps::RestoreSettings(const char* szFile) {
  const std::string path = InProgramFolder(szFile);
  // A file that opens but holds no whole record is an empty set, not an error.
  if (!kx::UniqueStdFile(fopen(path.c_str(), "rb"))) {
    m_view.Tell(MessageKind::Error,
                FormatText("Can not open the backup file \"%s\".", path.c_str()), "Error");
    return;
  }
  {
    CCondMgr set;
    set.LoadFromFile(path.c_str());
    for (CondInfo* p = set.GetFirst(); p; p = set.GetNext()) {
      if (p->nStatus != kStatusInstalled) continue;
      // The copy is handed over: the catalogue keeps it when it installs it as a new conduit.
      // Only that very record counts; a conduit already listed leaves the copy to us.
      auto* copy = new CondInfo(*p);
      InstallConduit(copy, true);
      if (!CatalogueHolds(copy)) delete copy;
    }
  }
  m_view.Tell(MessageKind::Information, "Conduit settings restored successfully.",
              "Information");
}
