#include "RestoreForm.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "BakSetRows.h"
#include "format/KxText.h"
#include "Skin.h"
#include "ui/Controls.h"
#include "ui/MsgBox.h"

const char TfmRestore::kClassName[] = "TfmRestore";

namespace {

const int kClientWidth = 469, kClientHeight = 291;
enum : int { IDC_RS_LIST = 700 };

std::vector<std::string> RestoreComponents() {
  return {"sfRestore", "lvFile", "btnOK", "btnCancel"};
}

}  // namespace

TfmRestore::TfmRestore() : tmRestore(RestoreComponents(), kui::Theme::BlueGlass) {}

TfmRestore::~TfmRestore() = default;

bool TfmRestore::Create(HWND owner) {
  if (!CreateDialogWnd(kClassName, "Restore Conduit Settings", kClientWidth, kClientHeight, owner)) {
    return false;
  }
  CreateControls();
  FormCreate();
  return true;
}

void TfmRestore::CreateControls() {
  m_font.reset(kui::CreateUiFont("Verdana", 8));
  const kui::Children child(hwnd(), m_font.get());
  lvFile = child.Add(WC_LISTVIEWA, "",
                     WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                     {12, 12, 445, 230}, IDC_RS_LIST);
  kui::SetUpReportList(lvFile, {{"File", 120}, {"Backup Time", 120}, {"Description", 150}});
  btnOK = child.Add("BUTTON", "&OK", WS_TABSTOP | BS_DEFPUSHBUTTON, {289, 254, 80, 27}, IDOK);
  btnCancel = child.Add("BUTTON", "&Cancel", WS_TABSTOP | BS_PUSHBUTTON, {377, 254, 80, 27},
                        IDCANCEL);

  const std::pair<const char*, HWND> named[] = {
      {"sfRestore", hwnd()}, {"lvFile", lvFile}, {"btnOK", btnOK}, {"btnCancel", btnCancel}};
  for (const auto& n : named) tmRestore.RegisterComponent(n.first, n.second);
}

void TfmRestore::FormCreate() {
  ApplySkin(&tmRestore);
  if (baksets::FillSetRows(lvFile) == 0) EnableWindow(btnOK, FALSE);
}

void TfmRestore::lvFileDblClick() { baksets::ShowSetDetail(hwnd(), lvFile); }

void TfmRestore::btnOKClick() {
  std::string file;
  if (!baksets::SelectedSetFile(lvFile, file)) {
    kui::ShowMessage(hwnd(), "No backup file is selected.", "Error", MB_ICONERROR);
    return;
  }
  kx::CopyText(m_szFile, file.c_str());
  EndModal(IDOK);
}

void TfmRestore::btnCancelClick() { EndModal(IDCANCEL); }

LRESULT TfmRestore::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (lp && HIWORD(wp) != BN_CLICKED) return 0;
      if (LOWORD(wp) == IDOK) {
        // Enter reaches here too: a disabled OK does nothing.
        if (IsWindowEnabled(btnOK)) btnOKClick();
      } else if (LOWORD(wp) == IDCANCEL) {
        btnCancelClick();
      }
      return 0;
    case WM_NOTIFY: {
      auto* nm = reinterpret_cast<NMHDR*>(lp);
      if (nm->hwndFrom == lvFile && nm->code == NM_DBLCLK) lvFileDblClick();
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE) SetFocus(lvFile);
      return 0;
    case WM_CLOSE:
      btnCancelClick();
      return 0;
    default:
      break;
  }
  return DefProc(msg, wp, lp);
}
