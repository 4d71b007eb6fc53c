#include "CondProp.h"

#include <cstdio>
#include <string>

#include "core/CondRules.h"
#include "format/CondInfo.h"
#include "format/KxAssert.h"
#include "MainForm.h"
#include "misc/WinUtil.h"
#include "palm/LibraryPath.h"
#include "Skin.h"
#include "ui/Controls.h"
#include "ui/HighContrast.h"
#include "ui/MsgBox.h"

const char TfmCondProp::kClassName[] = "TfmCondProp";
const char kCreatorIDPage[] = "/kestrin/new.htm?ref=app";

namespace {

const int kClientWidth = 376, kClientHeight = 404;
const COLORREF kReadOnlyGrey = RGB(0xE4, 0xE4, 0xE4);

using T = TfmCondProp;
const kui::ThemedPart<T> kThemed[] = {
    {"sfCond", nullptr},                  {"gbSync", &T::gbSync},
    {"edtCreatorID", &T::edtCreatorID},   {"sbtnCreatorID", &T::sbtnCreatorID},
    {"edtDirectory", &T::edtDirectory},   {"edtFile", &T::edtFile},
    {"edtPriority", &T::edtPriority},     {"edtPalmDB", &T::edtPalmDB},
    {"gbMisc", &T::gbMisc},               {"edtFileName", &T::edtFileName},
    {"edtVersion", &T::edtVersion},       {"sbtnOK", &T::sbtnOK},
    {"sbtnCancel", &T::sbtnCancel}};

}  // namespace

bool TfmCondProp::ExchangeData(bool save) {
  KX_ASSERT_TEXT(m_pData, "m_pData");
  CondInfo& d = *m_pData;
  if (!save) {
    SetWindowTextA(lblTitle, d.szName);
    if (m_bSystem) {
      char sz[16];
      snprintf(sz, sizeof sz, "0x%x", static_cast<unsigned>(d.dwCreatorID));
      SetWindowTextA(edtCreatorID, sz);
    } else {
      SetWindowTextA(edtCreatorID, d.szCreatorID);
    }
    SetWindowTextA(edtDirectory, d.szDirectory);
    SetWindowTextA(edtFile, d.szFile);
    SetWindowTextA(edtPalmDB, d.szRemote);
    d.nPriority = FixPriority(d.nPriority);
    SetWindowTextA(edtPriority, std::to_string(d.nPriority).c_str());
    SetWindowTextA(edtFileName, d.szConduit);
    int nMajor, nMinor, nRelease, nBuild;
    char szFull[MAX_PATH];
    GetFileVersion(LibraryFilePath(d.szConduit, szFull), &nMajor, &nMinor, &nRelease, &nBuild);
    char szVersion[64];
    SetWindowTextA(edtVersion, FormatFileVersion(szVersion, sizeof szVersion, nMajor, nMinor,
                                                 nRelease, nBuild));
    EnableWindow(edtCreatorID, m_bNewConduit);
    return true;
  }

  if (m_bSystem) return true;
  const std::string creator = kui::WindowText(edtCreatorID);
  CopyCut(d.szCreatorID, creator.c_str(), kCreatorIDLimit);
  CopyCut(d.szDirectory, kui::WindowText(edtDirectory).c_str(), kSettingLimit);
  CopyCut(d.szFile, kui::WindowText(edtFile).c_str(), kSettingLimit);
  CopyCut(d.szRemote, kui::WindowText(edtPalmDB).c_str(), kSettingLimit);
  d.nPriority = ReadPriority(kui::WindowText(edtPriority).c_str());

  if (m_bNewConduit) {
    if (creator.empty()) {
      kui::ShowMessage(hwnd(), condtext::kNoCreatorID, "Error", MB_ICONERROR);
      return false;
    }
    return fmMain->InstallConduit(m_pData, false);
  }
  if (d.dwFlags & kFlagRemoved) return fmMain->RestoreConduit(m_pData, false);
  if (!fmMain->UpdateConduitSettings(m_pData)) {
    kui::ShowMessage(hwnd(), FormatText(condtext::kSettingsNotSaved, d.szName).c_str(), "Error",
                     MB_ICONERROR);
    return false;
  }
  return true;
}

TfmCondProp::TfmCondProp()
    : ModalDialog("Conduit Properties", kClientWidth, kClientHeight,
                  kui::FocusReturn::Remembered),
      tmCond(kThemed, kui::Theme::BlueGlass) {}

TfmCondProp::~TfmCondProp() = default;

void TfmCondProp::FormCreate() {
  m_pData = nullptr;
  ApplySkin(&tmCond);
}

void TfmCondProp::CreateControls() {
  m_brGrey.reset(CreateSolidBrush(kReadOnlyGrey));
  const kui::Children child = Child();
  auto label = [&](const char* text, int y) {
    child.Add("STATIC", text, SS_LEFT, {22, y + 3, 100, 16}, -1);
  };
  const DWORD edit = WS_TABSTOP | ES_AUTOHSCROLL;
  const int ex = 124, ew = 232, eh = 21;
  auto box = [&](int y, DWORD extra, int w, int id) {
    return child.Add("EDIT", "", edit | extra, {ex, y, w, eh}, id, WS_EX_CLIENTEDGE);
  };

  gbSync = child.Add("BUTTON", " HotSync Settings ", BS_GROUPBOX, {8, 8, 360, 232}, IDC_CP_GBSYNC);
  label("Title:", 32);
  lblTitle = child.Add("STATIC", "", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, {ex, 35, ew, 16},
                       IDC_CP_TITLE);
  label("Creator ID:", 64);
  edtCreatorID = box(64, 0, 46, IDC_CP_CREATORID);
  sbtnCreatorID = child.Add("BUTTON", "More about Creator ID", WS_TABSTOP | BS_PUSHBUTTON,
                            {180, 62, 176, 25}, IDC_CP_SBTNCREATORID);
  label("Data Directory:", 98);
  edtDirectory = box(98, 0, ew, IDC_CP_DIRECTORY);
  label("Data File Name:", 130);
  edtFile = box(130, 0, ew, IDC_CP_FILE);
  label("Priority:", 162);
  edtPriority = box(162, 0, 46, IDC_CP_PRIORITY);
  label("Palm Database:", 194);
  edtPalmDB = box(194, 0, ew, IDC_CP_PALMDB);

  gbMisc = child.Add("BUTTON", " Misc. Conduit Info. ", BS_GROUPBOX, {8, 250, 360, 100},
                     IDC_CP_GBMISC);
  label("File Name:", 276);
  edtFileName = box(276, ES_READONLY, ew, IDC_CP_FILENAME);
  label("Version:", 310);
  edtVersion = box(310, ES_READONLY, ew, IDC_CP_VERSION);

  AddOkCancel(196, 366, false, sbtnOK, sbtnCancel);

  // Group boxes behind their contents.
  kui::PutBehind({gbMisc, gbSync});

  tmCond.RegisterParts(*this, kThemed);
}

void TfmCondProp::SetCondInfo(CondInfo* pData, bool bNewConduit) {
  m_pData = pData;
  m_bNewConduit = bNewConduit;
  ExchangeData(false);
}

void TfmCondProp::edtCreatorIDExit() {
  const CreatorDefault* d = FindCreatorDefault(kui::WindowText(edtCreatorID).c_str());
  if (!d) return;
  // Each box independently, and only when empty: nothing typed is ever replaced.
  if (GetWindowTextLengthA(edtDirectory) == 0) SetWindowTextA(edtDirectory, d->szDirectory);
  if (GetWindowTextLengthA(edtFile) == 0) SetWindowTextA(edtFile, d->szFile);
}

void TfmCondProp::sbtnCreatorIDClick() {
  ShellOpen((std::string(kWebHost) + kCreatorIDPage).c_str());
}

void TfmCondProp::sbtnOKClick() {
  if (ExchangeData(true)) EndModal(IDOK);
}

void TfmCondProp::sbtnCancelClick() { EndModal(IDCANCEL); }

HWND TfmCondProp::DefaultFocus() const {
  return IsWindowEnabled(edtCreatorID) ? edtCreatorID : edtDirectory;
}

void TfmCondProp::OnClick(int id) {
  if (id == IDC_CP_SBTNCREATORID) sbtnCreatorIDClick();
}

void TfmCondProp::OnControlCode(int id, int code) {
  if (id == IDC_CP_CREATORID && code == EN_KILLFOCUS) edtCreatorIDExit();
}

LRESULT TfmCondProp::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CTLCOLORSTATIC) {
    auto ctl = reinterpret_cast<HWND>(lp);
    if ((ctl == edtFileName || ctl == edtVersion) && !kui::HighContrast()) {
      auto dc = reinterpret_cast<HDC>(wp);
      SetBkColor(dc, kReadOnlyGrey);
      SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<LRESULT>(m_brGrey.get());
    }
  }
  return ModalDialog::HandleMessage(msg, wp, lp);
}
