#include "BackupForm.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "BakSetRows.h"
#include "KxText.h"
#include "MainForm.h"
#include "MsgBox.h"
#include "Settings.h"
#include "Skin.h"

const char TfmBackup::kClassName[] = "TfmBackup";

namespace {

using kui::Scale;

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
  RegisterClassOnce(kClassName, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  RECT r = kui::CentredWindowRect(Scale(kClientWidth), Scale(kClientHeight), style, exStyle, false);
  if (!CreateWnd(exStyle, kClassName, "Backup Conduit Settings", style, r.left, r.top,
                 r.right - r.left, r.bottom - r.top, owner, nullptr)) {
    return false;
  }
  CreateControls();
  FormCreate();
  return true;
}

void TfmBackup::CreateControls() {
  HINSTANCE inst = GetModuleHandleA(nullptr);
  m_font.reset(CreateFontA(-Scale(11), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                           "Verdana"));
  auto child = [&](const char* cls, const char* text, DWORD style, DWORD exStyle, int x, int y,
                   int w, int h, int id) {
    HWND c = CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style,
                             Scale(x), Scale(y), Scale(w), Scale(h), hwnd(),
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst, nullptr);
    SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), FALSE);
    return c;
  };
  const DWORD edit = WS_TABSTOP | ES_AUTOHSCROLL;
  // Radio buttons checked by their handlers: the edits between them break an automatic group.
  rbtnNew = child("BUTTON", "Backup to New File", WS_TABSTOP | WS_GROUP | BS_RADIOBUTTON, 0, 14,
                  12, 200, 20, IDC_BK_NEW);
  edtNewFile = child("EDIT", "", edit, WS_EX_CLIENTEDGE, 34, 38, 180, 21, IDC_BK_NEWFILE);
  Label1 = child("STATIC", "Description:", SS_LEFT, 0, 226, 41, 76, 16, IDC_BK_LABEL1);
  edtDesc = child("EDIT", "", edit, WS_EX_CLIENTEDGE, 304, 38, 144, 21, IDC_BK_DESC);
  rbtnExist = child("BUTTON", "Backup to Existed File", WS_TABSTOP | BS_RADIOBUTTON, 0, 14, 72,
                    200, 20, IDC_BK_EXIST);
  lvFile = child(WC_LISTVIEWA, "",
                 WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 0, 34,
                 96, 414, 178, IDC_BK_LIST);
  static const char* const kTitles[] = {"File Name", "Backup Time", "Description"};
  static const int kWidths[] = {120, 140, 120};
  baksets::SetUpList(lvFile, kTitles, kWidths);
  btnOK = child("BUTTON", "&OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 280, 284, 80, 27, IDOK);
  btnCancel = child("BUTTON", "&Cancel", WS_TABSTOP | BS_PUSHBUTTON, 0, 368, 284, 80, 27, IDCANCEL);
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
