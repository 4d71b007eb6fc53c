#include "RestoreForm.h"

#include <commctrl.h>

#include <string>

#include "BakSetRows.h"
#include "format/KxText.h"
#include "Skin.h"
#include "ui/Controls.h"
#include "ui/MsgBox.h"

const char TfmRestore::kClassName[] = "TfmRestore";

namespace {

const int kClientWidth = 469, kClientHeight = 291;
enum : int { IDC_RS_LIST = 700 };

using T = TfmRestore;
const kui::ThemedPart<T> kThemed[] = {
    {"sfRestore", nullptr},       {"lvFile", &T::lvFile},
    {"btnOK", &T::btnOK},         {"btnCancel", &T::btnCancel}};

}  // namespace

TfmRestore::TfmRestore()
    : ModalDialog("Restore Conduit Settings", kClientWidth, kClientHeight),
      tmRestore(kThemed, kui::Theme::BlueGlass) {}

TfmRestore::~TfmRestore() = default;

void TfmRestore::CreateControls() {
  const kui::Children child = Child();
  lvFile = child.Add(WC_LISTVIEWA, "",
                     WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                     {12, 12, 445, 230}, IDC_RS_LIST);
  kui::SetUpReportList(lvFile, {{"File", 120}, {"Backup Time", 120}, {"Description", 150}});
  AddOkCancel(289, 254, true, btnOK, btnCancel);
  tmRestore.RegisterParts(*this, kThemed);
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

void TfmRestore::OnOK() {
  // Enter reaches here too: a disabled OK does nothing.
  if (IsWindowEnabled(btnOK)) btnOKClick();
}

LRESULT TfmRestore::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NOTIFY) {
    auto* nm = reinterpret_cast<NMHDR*>(lp);
    if (nm->hwndFrom == lvFile && nm->code == NM_DBLCLK) lvFileDblClick();
    return 0;
  }
  return ModalDialog::HandleMessage(msg, wp, lp);
}
