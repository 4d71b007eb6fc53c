#include "BakDetailForm.h"

#include <commctrl.h>

#include <new>
#include <string>

#include "BakSetRows.h"
#include "core/CondRules.h"
#include "format/KxText.h"
#include "palm/CondMgr.h"
#include "ui/Controls.h"
#include "ui/ThemeManager.h"

const char TfmBakDetail::kClassName[] = "TfmBakDetail";

namespace {

const int kClientWidth = 555, kClientHeight = 316;
enum : int { IDC_BD_DESC = 500, IDC_BD_LIST };

}  // namespace

TfmBakDetail::TfmBakDetail()
    : ModalDialog("Kestrin Backup Information", kClientWidth, kClientHeight) {}

TfmBakDetail::~TfmBakDetail() {
  // The rows point at m_pCondMgr's records: the window goes first.
  if (hwnd()) DestroyWindow(hwnd());
  FormDestroy();
}

void TfmBakDetail::FormCreate() {
  if (!m_pCondMgr) m_pCondMgr = new (std::nothrow) CCondMgr;
  m_szPath[0] = '\0';
  SetWindowTextA(lblDesc, "");
}

void TfmBakDetail::FormDestroy() {
  delete m_pCondMgr;
  m_pCondMgr = nullptr;
}

void TfmBakDetail::CreateControls() {
  const kui::Children child = Child();
  lblDesc = child.Add("STATIC", "", SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS, {12, 12, 531, 16},
                      IDC_BD_DESC);
  lvCond = child.Add(WC_LISTVIEWA, "",
                     WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                     {12, 34, 531, 234}, IDC_BD_LIST);
  kui::SetUpReportList(lvCond, {{"Name", 150}, {"Creator ID", 80}, {"File", 250}});
  btnOK = child.Add("BUTTON", "&OK", WS_TABSTOP | BS_DEFPUSHBUTTON, {463, 280, 80, 27}, IDOK);

  // No theme manager: the design look, whatever the skin.
  for (HWND h : {hwnd(), lvCond, btnOK}) {
    kui::ThemeManager::ApplyFixedTheme(h, kui::Theme::BlueGlass);
  }
}

bool TfmBakDetail::LoadBackupFile(const char* szPath) {
  if (!szPath || !szPath[0] || !m_pCondMgr || !m_pCondMgr->LoadFromFile(szPath)) return false;
  kx::CopyText(m_szPath, szPath);

  SendMessageA(lvCond, WM_SETREDRAW, FALSE, 0);
  SendMessageA(lvCond, LVM_DELETEALLITEMS, 0, 0);
  int n = 0;
  for (CondInfo* p = m_pCondMgr->GetFirst(); p; p = m_pCondMgr->GetNext()) {
    LVITEMA it{};
    it.mask = LVIF_TEXT | LVIF_PARAM;
    it.iItem = n;
    it.pszText = p->szName;
    it.lParam = reinterpret_cast<LPARAM>(p);
    const int row = static_cast<int>(SendMessageA(lvCond, LVM_INSERTITEMA, 0,
                                                  reinterpret_cast<LPARAM>(&it)));
    if (row < 0) continue;
    char* cells[] = {p->szCreatorID, p->szConduit};
    for (int sub = 1; sub <= 2; ++sub) {
      LVITEMA cell{};
      cell.iSubItem = sub;
      cell.pszText = cells[sub - 1];
      SendMessageA(lvCond, LVM_SETITEMTEXTA, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&cell));
    }
    ++n;
  }
  SendMessageA(lvCond, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(lvCond, nullptr, TRUE);

  SetWindowTextA(lblDesc, FormatText("Conduit information in \"%s\" :", m_szPath).c_str());
  return true;
}

void TfmBakDetail::btnOKClick() { EndModal(IDOK); }
