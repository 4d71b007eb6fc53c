#include "BackupForm.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "BakSetRows.h"
#include "core/Settings.h"
#include "format/KxText.h"
#include "MainForm.h"
#include "Skin.h"
#include "ui/Controls.h"
#include "ui/MsgBox.h"

const char TfmBackup::kClassName[] = "TfmBackup";

namespace {

const int kClientWidth = 462, kClientHeight = 319;
enum : int { IDC_BK_NEW = 600, IDC_BK_NEWFILE, IDC_BK_LABEL1, IDC_BK_DESC, IDC_BK_EXIST, IDC_BK_LIST };

std::vector<std::string> BackupComponents() {
  return {"sfBackup", "rbtnNew", "edtNewFile", "rbtnExist", "lvFile", "btnOK", "btnCancel"};
}

bool IsChecked(HWND h) { return SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void Check(HWND h, bool on) { SendMessageA(h, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }

}  // namespace

TfmBackup::TfmBackup() : tmBackup(BackupComponents(), kui::Theme::BlueGlass) {}

TfmBackup::~TfmBackup() = default;

bool TfmBackup::Create(HWND owner) {
  if (!CreateDialogWnd(kClassName, "Backup Conduit Settings", kClientWidth, kClientHeight, owner)) {
    return false;
  }
  CreateControls();
  FormCreate();
  return true;
}

void TfmBackup::CreateControls() {
  m_font.reset(kui::CreateUiFont("Verdana", 8));
  const kui::Children child(hwnd(), m_font.get());
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
  btnOK = child.Add("BUTTON", "&OK", WS_TABSTOP | BS_DEFPUSHBUTTON, {280, 284, 80, 27}, IDOK);
  btnCancel = child.Add("BUTTON", "&Cancel", WS_TABSTOP | BS_PUSHBUTTON, {368, 284, 80, 27},
                        IDCANCEL);
  Check(rbtnNew, true);

  const std::pair<const char*, HWND> named[] = {
      {"sfBackup", hwnd()}, {"rbtnNew", rbtnNew}, {"edtNewFile", edtNewFile},
      {"Label1", Label1},   {"edtDesc", edtDesc}, {"rbtnExist", rbtnExist},
      {"lvFile", lvFile},   {"btnOK", btnOK},     {"btnCancel", btnCancel}};
  for (const auto& n : named) tmBackup.RegisterComponent(n.first, n.second);
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
  Check(rbtnNew, true);
  Check(rbtnExist, false);
  EnableWindow(edtDesc, TRUE);
}

void TfmBackup::rbtnExistClick() {
  Check(rbtnExist, true);
  Check(rbtnNew, false);
  EnableWindow(edtDesc, FALSE);
}

void TfmBackup::lvFileDblClick() { baksets::ShowSetDetail(hwnd(), lvFile); }

void TfmBackup::btnOKClick() {
  if (IsChecked(rbtnNew)) {
    const std::string file = baksets::WindowText(edtNewFile);
    kx::CopyText(m_szFile, file.c_str());
    BakSetEntry entry;
    memset(&entry, 0, sizeof entry);
    kx::CopyText(entry.szFile, file.c_str());
    kx::CopyText(entry.szDesc, baksets::WindowText(edtDesc).c_str());
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

LRESULT TfmBackup::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND: {
      const int id = LOWORD(wp);
      if (lp && HIWORD(wp) != BN_CLICKED) return 0;
      switch (id) {
        case IDOK: btnOKClick(); break;
        case IDCANCEL: btnCancelClick(); break;
        case IDC_BK_NEW: rbtnNewClick(); break;
        case IDC_BK_EXIST: rbtnExistClick(); break;
        default: break;
      }
      return 0;
    }
    case WM_NOTIFY: {
      auto* nm = reinterpret_cast<NMHDR*>(lp);
      if (nm->hwndFrom == lvFile && nm->code == NM_DBLCLK) lvFileDblClick();
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE) SetFocus(IsChecked(rbtnNew) ? edtNewFile : lvFile);
      return 0;
    case WM_CLOSE:
      btnCancelClick();
      return 0;
    default:
      break;
  }
  return DefProc(msg, wp, lp);
}
