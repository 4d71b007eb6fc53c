// The main window's two conduit tables: filling them, their selection and buttons, and what the
// conduit operations see of the application table.
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "core/CondRules.h"
#include "core/ListRows.h"
#include "CondProp.h"
#include "format/CxList.h"
#include "format/RemovedStore.h"
#include "MainForm.h"
#include "palm/CondMgr.h"
#include "palm/CondObj.h"
#include "palm/LibraryPath.h"
#include "ui/CommonDialogs.h"
#include "ui/MsgBox.h"

CondInfo* TfmMain::RowInfo(HWND slv, int item) {
  LVITEMA it{};
  it.mask = LVIF_PARAM;
  it.iItem = item;
  if (!SendMessageA(slv, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it))) return nullptr;
  return reinterpret_cast<CondInfo*>(it.lParam);
}

// ---- Conduit tables --------------------------------------------------------------------------

void TfmMain::AddRow(HWND slv, const CondRow& row, CondInfo* info) {
  LVITEMA it{};
  it.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  it.iItem = static_cast<int>(SendMessageA(slv, LVM_GETITEMCOUNT, 0, 0));
  it.pszText = const_cast<char*>(row.name.c_str());
  it.iImage = row.image;
  it.lParam = reinterpret_cast<LPARAM>(info);
  int idx = static_cast<int>(SendMessageA(slv, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it)));
  if (idx < 0) return;
  LVITEMA sub{};
  sub.iSubItem = 1;
  sub.pszText = const_cast<char*>(row.creator.c_str());
  SendMessageA(slv, LVM_SETITEMTEXTA, idx, reinterpret_cast<LPARAM>(&sub));
  sub.iSubItem = 2;
  sub.pszText = const_cast<char*>(row.file.c_str());
  SendMessageA(slv, LVM_SETITEMTEXTA, idx, reinterpret_cast<LPARAM>(&sub));
}

static void SelectFirstRow(HWND slv) {
  if (SendMessageA(slv, LVM_GETITEMCOUNT, 0, 0) <= 0) return;
  LVITEMA st{};
  st.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  st.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(slv, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&st));
}

namespace {
// Wine's list view repaints at every inserted row; one repaint at the end is enough.
class RedrawPause {
 public:
  explicit RedrawPause(HWND wnd) : m_wnd(wnd) { SendMessageA(m_wnd, WM_SETREDRAW, FALSE, 0); }
  ~RedrawPause() {
    SendMessageA(m_wnd, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(m_wnd, nullptr, TRUE);
  }
  RedrawPause(const RedrawPause&) = delete;
  RedrawPause& operator=(const RedrawPause&) = delete;

 private:
  HWND m_wnd;
};
}  // namespace

void TfmMain::FillAppList() {
  if (m_pCheck) m_pCheck->Clear();  // the catalogues were read again
  m_bFilling = true;
  RedrawPause pause(slvApp);
  ClearSort(slvApp);  // back to catalogue order, which the commands rely on
  SendMessageA(slvApp, LVM_DELETEALLITEMS, 0, 0);
  for (CondInfo* p = m_pAppCondMgr->GetFirst(); p; p = m_pAppCondMgr->GetNext()) {
    const CCondObj* obj = GetCondObj(*p);
    AddRow(slvApp, AppCatalogueRow(*p, obj && obj->WasSkipped()), p);
  }
  LoadRemovedList();
  for (auto* p = static_cast<CondInfo*>(m_pRemovedList->GetFirst()); p;
       p = static_cast<CondInfo*>(m_pRemovedList->GetNext())) {
    if (m_pAppCondMgr->Find(p->szCreatorID, p->szConduit)) continue;  // listed again: shown once
    AddRow(slvApp, AppRemovedRow(*p), p);
  }
  m_bFilling = false;
  SelectFirstRow(slvApp);
}

void TfmMain::FillSysList() {
  m_bFilling = true;
  RedrawPause pause(slvSys);
  ClearSort(slvSys);
  SendMessageA(slvSys, LVM_DELETEALLITEMS, 0, 0);
  for (CondInfo* p = m_pSysCondMgr->GetFirst(); p; p = m_pSysCondMgr->GetNext()) {
    CCondObj* obj = GetCondObj(*p);
    AddRow(slvSys, SysRow(*p, obj && obj->IsConduit(), obj && obj->WasSkipped()), p);
  }
  m_bFilling = false;
  SelectFirstRow(slvSys);
}

void TfmMain::LoadRemovedList() {
  LoadRemovedStore(m_szResFile, *m_pRemovedList, LibraryFileExists);
}

bool TfmMain::SaveRemovedList() { return m_pOps->SaveRemovedList(); }
void TfmMain::ReportUnsavedStore() { m_pOps->ReportUnsavedStore(); }

void TfmMain::ClearRemovedList() { ClearCondList(*m_pRemovedList); }

void TfmMain::UpdateAppButtons() {
  auto count = static_cast<unsigned>(SendMessageA(slvApp, LVM_GETSELECTEDCOUNT, 0, 0));
  std::vector<const CondInfo*> selected;
  for (int i = -1; (i = static_cast<int>(SendMessageA(slvApp, LVM_GETNEXTITEM, i,
                                                       LVNI_SELECTED))) >= 0;) {
    selected.push_back(RowInfo(slvApp, i));
    if (count == 1) break;
  }
  AppButtons b = DecideAppButtons(count, selected);
  if (!b.change) return;
  EnableWindow(sbtnAppProp, b.props);
  EnableWindow(sbtnRestore, b.restore);
  EnableWindow(sbtnUninst, b.uninst);
}

void TfmMain::UpdateSysButtons() {
  bool any = SendMessageA(slvSys, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED) >= 0;
  EnableWindow(sbtnSysProp, any);
}

static bool SelectionOrFocusChanged(const NMLISTVIEW& nm) {
  return (nm.uChanged & LVIF_STATE) &&
         ((nm.uOldState ^ nm.uNewState) & (LVIS_SELECTED | LVIS_FOCUSED));
}

void TfmMain::slvAppChange(const NMLISTVIEW& nm) {
  if (SelectionOrFocusChanged(nm)) UpdateAppButtons();
}

void TfmMain::slvSysChange(const NMLISTVIEW& nm) {
  if (!SelectionOrFocusChanged(nm)) return;
  int sel = static_cast<int>(SendMessageA(slvSys, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                          LVNI_SELECTED));
  if (nm.iItem == sel) UpdateSysButtons();
}

// ---- Install, uninstall, restore: the operations are ConduitOps', the table is ours ----------

int TfmMain::AppRowCount() const {
  return static_cast<int>(SendMessageA(slvApp, LVM_GETITEMCOUNT, 0, 0));
}

CondInfo* TfmMain::AppRowRecord(int row) const { return RowInfo(slvApp, row); }

void TfmMain::AddAppRow(const CondRow& row, CondInfo* info) {
  if (m_pCheck) m_pCheck->Clear();
  AddRow(slvApp, row, info);
  if (m_sortApp.column >= 0) SortTable(slvApp);  // to its sorted place
}

void TfmMain::DeleteAppRow(int row) {
  if (m_pCheck) m_pCheck->Clear();
  SendMessageA(slvApp, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
}

void TfmMain::SetAppRowImage(int row, int image) { SetRowImage(slvApp, row, image); }

void TfmMain::SetRowImage(HWND slv, int row, int image) {
  LVITEMA it{};
  it.mask = LVIF_IMAGE;
  it.iItem = row;
  it.iImage = image;
  SendMessageA(slv, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it));
}

std::vector<CondInfo*> TfmMain::SelectedAppRecords() const {
  std::vector<CondInfo*> records;
  for (int i = -1; (i = static_cast<int>(SendMessageA(slvApp, LVM_GETNEXTITEM, i,
                                                       LVNI_SELECTED))) >= 0;) {
    records.push_back(RowInfo(slvApp, i));
  }
  return records;
}

bool TfmMain::Tell(MessageKind kind, const std::string& text, const char* caption) {
  switch (kind) {
    case MessageKind::Question:
      return kui::ShowMessage(hwnd(), text.c_str(), caption, MB_ICONQUESTION, MB_YESNO) == IDYES;
    case MessageKind::Error:
      kui::ShowMessage(hwnd(), text.c_str(), caption, MB_ICONERROR);
      return false;
    case MessageKind::Information:
      break;
  }
  kui::ShowMessage(hwnd(), text.c_str(), caption, MB_ICONINFORMATION);
  return false;
}

void TfmMain::ShowNewConduitProperties(CondInfo* info) { ShowCondProp(info, false, true); }

bool TfmMain::InstallConduit(CondInfo* pInfo, bool quiet) {
  return m_pOps->InstallConduit(pInfo, quiet);
}
bool TfmMain::UninstallConduit(CondInfo* pInfo, bool quiet) {
  return m_pOps->UninstallConduit(pInfo, quiet);
}
bool TfmMain::RestoreConduit(CondInfo* pInfo, bool quiet) {
  return m_pOps->RestoreConduit(pInfo, quiet);
}
bool TfmMain::UpdateConduitSettings(CondInfo* pInfo) {
  return m_pOps->UpdateConduitSettings(pInfo);
}
void TfmMain::UninstallSelected() { m_pOps->UninstallSelected(); }
void TfmMain::RestoreSelected() { m_pOps->RestoreSelected(); }

void TfmMain::InstallConduitFile() {
  kui::OpenFileRequest request{hwnd(), "Install New Palm Conduit",
                               "Palm Conduit File(*.dll)|*.dll|All Files(*.*)|*.*", ""};
  request.filterIndex = 1;
  request.flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
  std::string path;
  if (kui::PickOpenFile(request, path)) m_pOps->InstallConduitFile(path.c_str());
}

void TfmMain::ShowCondProp(CondInfo* info, bool system, bool newConduit) {
  TfmCondProp dlg;
  if (!dlg.Create(hwnd())) return;
  dlg.m_bSystem = system;
  dlg.SetCondInfo(info, newConduit);
  dlg.ShowModal(hwnd());
  // An install or restore inside OK may have turned the selected row into another kind.
  if (!system) UpdateAppButtons();
}

std::string TfmMain::RowDiagnosis(HWND slv, int row) {
  if (!m_pCheck || m_bFilling || row < 0) return std::string();
  const CondInfo* p = RowInfo(slv, row);
  if (!p) return std::string();
  return m_pCheck->Diagnose(*p, slv == slvSys ? Catalogue::System : Catalogue::Application).text;
}
