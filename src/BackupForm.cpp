#include "BackupForm.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "BakSetRows.h"
#include "core/FileNames.h"
#include "core/Settings.h"
#include "format/KxText.h"
#include "MainForm.h"
#include "misc/WinUtil.h"
#include "Skin.h"
#include "ui/Controls.h"
#include "ui/MsgBox.h"

const char TfmBackup::kClassName[] = "TfmBackup";

namespace {

const int kClientWidth = 462, kClientHeight = 319;
enum : int { IDC_BK_NEW = 600, IDC_BK_NEWFILE, IDC_BK_LABEL1, IDC_BK_DESC, IDC_BK_EXIST, IDC_BK_LIST };

using T = TfmBackup;
const kui::ThemedPart<T> kThemed[] = {
    {"sfBackup", nullptr},          {"rbtnNew", &T::rbtnNew},
    {"edtNewFile", &T::edtNewFile}, {"rbtnExist", &T::rbtnExist},
    {"lvFile", &T::lvFile},         {"btnOK", &T::btnOK},
    {"btnCancel", &T::btnCancel}};

}  // namespace

TfmBackup::TfmBackup()
    : ModalDialog("Backup Conduit Settings", kClientWidth, kClientHeight),
      tmBackup(kThemed, kui::Theme::BlueGlass) {}

TfmBackup::~TfmBackup() = default;

void TfmBackup::CreateControls() {
  const kui::Children child = Child();
  const DWORD edit = WS_TABSTOP | ES_AUTOHSCROLL;
  // Radio buttons checked by their handlers: the edits between them break an automatic group.
  rbtnNew = child.Add("BUTTON", "Backup to New File", WS_TABSTOP | WS_GROUP | BS_RADIOBUTTON,
                      {14, 12, 200, 20}, IDC_BK_NEW);
  edtNewFile = child.Add("EDIT", "", edit, {34, 38, 180, 21}, IDC_BK_NEWFILE, WS_EX_CLIENTEDGE);
  Label1 = child.Add("STATIC", "Description:", SS_LEFT, {226, 41, 76, 16}, IDC_BK_LABEL1);
  edtDesc = child.Add("EDIT", "", edit, {304, 38, 144, 21}, IDC_BK_DESC, WS_EX_CLIENTEDGE);
  rbtnExist = child.Add("BUTTON", "Backup to Existed File", WS_TABSTOP | BS_RADIOBUTTON,
                        {14, 72, 200, 20}, IDC_BK_EXIST);
  lvFile = child.Add(WC_LISTVIEWA, "",
                     WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                     {34, 96, 414, 178}, IDC_BK_LIST);
  kui::SetUpReportList(lvFile, {{"File Name", 120}, {"Backup Time", 140}, {"Description", 120}});
  AddOkCancel(280, 284, true, btnOK, btnCancel);
  kui::SetChecked(rbtnNew, true);
  tmBackup.RegisterParts(*this, kThemed);
}

void TfmBackup::FormCreate() {
  ApplySkin(&tmBackup);
  char sz[64];
  snprintf(sz, sizeof sz, "kestrinset%u.bak", fmMain->GetBakSetCount() + 1);
  SetWindowTextA(edtNewFile, sz);
  if (baksets::FillSetRows(lvFile) == 0) {
    EnableWindow(rbtnExist, FALSE);
    EnableWindow(lvFile, FALSE);
  }
}

void TfmBackup::rbtnNewClick() {
  kui::SetChecked(rbtnNew, true);
  kui::SetChecked(rbtnExist, false);
  EnableWindow(edtDesc, TRUE);
}

void TfmBackup::rbtnExistClick() {
  kui::SetChecked(rbtnExist, true);
  kui::SetChecked(rbtnNew, false);
  EnableWindow(edtDesc, FALSE);
}

void TfmBackup::lvFileDblClick() { baksets::ShowSetDetail(hwnd(), lvFile); }

void TfmBackup::btnOKClick() {
  if (kui::IsChecked(rbtnNew)) {
    const std::string file = kui::WindowText(edtNewFile);
    char folder[MAX_PATH] = {};
    GetProgramFolder(nullptr, folder);
    if (!IsValidSetName(file.c_str(), folder)) {
      kui::ShowMessage(hwnd(), filetext::kInvalidSetName, "Error", MB_ICONERROR);
      return;
    }
    kx::CopyText(m_szFile, file.c_str());
    BakSetEntry entry;
    memset(&entry, 0, sizeof entry);
    kx::CopyText(entry.szFile, file.c_str());
    kx::CopyText(entry.szDesc, kui::WindowText(edtDesc).c_str());
    fmMain->AddBakSet(&entry);  // a listed name keeps its entry and description
    EndModal(IDOK);
    return;
  }
  std::string file;
  if (!baksets::SelectedSetFile(lvFile, file)) {
    kui::ShowMessage(hwnd(), "No backup file is selected.", "Error", MB_ICONERROR);
    return;
  }
  kx::CopyText(m_szFile, file.c_str());
  EndModal(IDOK);
}

void TfmBackup::btnCancelClick() { EndModal(IDCANCEL); }

HWND TfmBackup::DefaultFocus() const { return kui::IsChecked(rbtnNew) ? edtNewFile : lvFile; }

void TfmBackup::OnClick(int id) {
  if (id == IDC_BK_NEW) rbtnNewClick();
  if (id == IDC_BK_EXIST) rbtnExistClick();
}

LRESULT TfmBackup::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NOTIFY) {
    auto* nm = reinterpret_cast<NMHDR*>(lp);
    if (nm->hwndFrom == lvFile && nm->code == NM_DBLCLK) lvFileDblClick();
    return 0;
  }
  return ModalDialog::HandleMessage(msg, wp, lp);
}
