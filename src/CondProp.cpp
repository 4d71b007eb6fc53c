#include "CondProp.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/CondRules.h"
#include "format/CondInfo.h"
#include "format/KxAssert.h"
#include "MainForm.h"
#include "misc/WinUtil.h"
#include "palm/LibraryPath.h"
#include "Skin.h"
#include "ui/Controls.h"
#include "ui/MsgBox.h"

const char TfmCondProp::kClassName[] = "TfmCondProp";
const char kCreatorIDPage[] = "/kestrin/new.htm?ref=app";

namespace {

const int kClientWidth = 376, kClientHeight = 404;
const COLORREF kReadOnlyGrey = RGB(0xE4, 0xE4, 0xE4);

std::string WindowText(HWND h) {
  int n = GetWindowTextLengthA(h);
  std::string s(static_cast<size_t>(n) + 1, '\0');
  GetWindowTextA(h, &s[0], n + 1);
  s.resize(strlen(s.c_str()));
  return s;
}

std::vector<std::string> CondComponents() {
  return {"sfCond",  "gbSync",    "edtCreatorID", "sbtnCreatorID", "edtDirectory",
          "edtFile", "edtPriority", "edtPalmDB",  "gbMisc",        "edtFileName",
          "edtVersion", "sbtnOK", "sbtnCancel"};
}

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
  const std::string creator = WindowText(edtCreatorID);
  CopyCut(d.szCreatorID, creator.c_str(), kCreatorIDLimit);
  CopyCut(d.szDirectory, WindowText(edtDirectory).c_str(), kSettingLimit);
  CopyCut(d.szFile, WindowText(edtFile).c_str(), kSettingLimit);
  CopyCut(d.szRemote, WindowText(edtPalmDB).c_str(), kSettingLimit);
  d.nPriority = ReadPriority(WindowText(edtPriority).c_str());

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

TfmCondProp::TfmCondProp() : tmCond(CondComponents(), kui::Theme::BlueGlass) {}

TfmCondProp::~TfmCondProp() = default;

bool TfmCondProp::Create(HWND owner) {
  if (!CreateDialogWnd(kClassName, "Conduit Properties", kClientWidth, kClientHeight, owner)) {
    return false;
  }
  CreateControls();
  FormCreate();
  return true;
}

void TfmCondProp::FormCreate() {
  m_pData = nullptr;
  ApplySkin(&tmCond);
}

void TfmCondProp::CreateControls() {
  m_font.reset(kui::CreateUiFont("Verdana", 8));
  m_brGrey.reset(CreateSolidBrush(kReadOnlyGrey));
  const kui::Children child(hwnd(), m_font.get());
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

  sbtnOK = child.Add("BUTTON", "&OK", WS_TABSTOP | BS_PUSHBUTTON, {196, 366, 80, 27}, IDOK);
  sbtnCancel = child.Add("BUTTON", "&Cancel", WS_TABSTOP | BS_PUSHBUTTON, {284, 366, 80, 27},
                         IDCANCEL);

  // Group boxes behind their contents.
  for (HWND g : {gbMisc, gbSync}) {
    SetWindowPos(g, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }

  const std::pair<const char*, HWND> named[] = {
      {"sfCond", hwnd()},           {"gbSync", gbSync},           {"edtCreatorID", edtCreatorID},
      {"sbtnCreatorID", sbtnCreatorID}, {"edtDirectory", edtDirectory}, {"edtFile", edtFile},
      {"edtPriority", edtPriority}, {"edtPalmDB", edtPalmDB},     {"gbMisc", gbMisc},
      {"edtFileName", edtFileName}, {"edtVersion", edtVersion},   {"sbtnOK", sbtnOK},
      {"sbtnCancel", sbtnCancel}};
  for (const auto& n : named) tmCond.RegisterComponent(n.first, n.second);
}

void TfmCondProp::SetCondInfo(CondInfo* pData, bool bNewConduit) {
  m_pData = pData;
  m_bNewConduit = bNewConduit;
  ExchangeData(false);
}

void TfmCondProp::edtCreatorIDExit() {
  const CreatorDefault* d = FindCreatorDefault(WindowText(edtCreatorID).c_str());
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

LRESULT TfmCondProp::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND: {
      const int id = LOWORD(wp), code = HIWORD(wp);
      if (id == IDC_CP_CREATORID) {
        if (code == EN_KILLFOCUS) edtCreatorIDExit();
        return 0;
      }
      if (lp && code != BN_CLICKED) return 0;
      if (id == IDOK) {
        sbtnOKClick();
      } else if (id == IDCANCEL) {
        sbtnCancelClick();
      } else if (id == IDC_CP_SBTNCREATORID) {
        sbtnCreatorIDClick();
      }
      return 0;
    }
    case WM_CTLCOLORSTATIC: {
      auto ctl = reinterpret_cast<HWND>(lp);
      if (ctl == edtFileName || ctl == edtVersion) {
        auto dc = reinterpret_cast<HDC>(wp);
        SetBkColor(dc, kReadOnlyGrey);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(m_brGrey.get());
      }
      break;
    }
    case WM_ACTIVATE:
      // The focus a dialog manager would give: back where it was, else the first editable box.
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND f = GetFocus();
        if (f && IsChild(hwnd(), f)) m_hwndLastFocus = f;
      } else {
        HWND f = m_hwndLastFocus;
        if (!f || !IsWindow(f) || !IsWindowEnabled(f)) {
          f = IsWindowEnabled(edtCreatorID) ? edtCreatorID : edtDirectory;
        }
        SetFocus(f);
      }
      return 0;
    case WM_CLOSE:
      sbtnCancelClick();
      return 0;
    default:
      break;
  }
  return DefProc(msg, wp, lp);
}
