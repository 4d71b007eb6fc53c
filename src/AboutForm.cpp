#include "AboutForm.h"

#include <string>
#include <vector>

#include "LinkLabel.h"
#include "MainForm.h"
#include "Skin.h"
#include "resource.h"

const char TfmAbout::kClassName[] = "TfmAbout";
const char kAboutHomePage[] = "/kestrin/index.htm?ref=soft";

namespace {

using kui::Scale;

const int kClientWidth = 394, kClientHeight = 219;
const COLORREF kNavy = RGB(0, 0, 128);
enum : int { IDC_AB_ICON = 900, IDC_AB_LABEL1, IDC_AB_LABEL2, IDC_AB_URL };

std::vector<std::string> AboutComponents() { return {"sfAbout", "btnOK"}; }

}  // namespace

TfmAbout::TfmAbout() : tmAbout(AboutComponents(), kui::Theme::BlueGlass) {}

TfmAbout::~TfmAbout() = default;

bool TfmAbout::Create(HWND owner) {
  RegisterClassOnce(kClassName, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  RECT r = kui::CentredWindowRect(Scale(kClientWidth), Scale(kClientHeight), style, exStyle, false);
  if (!CreateWnd(exStyle, kClassName, "About Kestrin", style, r.left, r.top, r.right - r.left,
                 r.bottom - r.top, owner, nullptr)) {
    return false;
  }
  CreateControls();
  FormCreate();
  return true;
}

void TfmAbout::CreateControls() {
  HINSTANCE inst = GetModuleHandleA(nullptr);
  m_font.reset(CreateFontA(-Scale(11), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                           "Verdana"));
  m_fontBold.reset(CreateFontA(-Scale(16), 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                               "Verdana"));
  m_fontLink.reset(CreateFontA(-Scale(11), 0, 0, 0, FW_NORMAL, 0, TRUE, 0, DEFAULT_CHARSET, 0, 0,
                               0, 0, "Verdana"));
  auto child = [&](const char* cls, const char* text, DWORD style, int x, int y, int w, int h,
                   int id, HFONT font) {
    HWND c = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style,
                             Scale(x), Scale(y), Scale(w), Scale(h), hwnd(),
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst, nullptr);
    SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return c;
  };

  // The program's about picture; the system's application icon until the picture is built in.
  m_hIcon = static_cast<HICON>(LoadImageA(inst, MAKEINTRESOURCEA(IDI_ABOUT), IMAGE_ICON, 32, 32,
                                          LR_SHARED));
  if (!m_hIcon) m_hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  imgIcon = child("STATIC", "", SS_ICON | SS_REALSIZEIMAGE, 28, 28, 32, 32, IDC_AB_ICON,
                  m_font.get());
  SendMessageA(imgIcon, STM_SETICON, reinterpret_cast<WPARAM>(m_hIcon), 0);

  Label1 = child("STATIC", "Orlenta Kestrin", SS_LEFT | SS_NOPREFIX, 84, 30, 280, 22,
                 IDC_AB_LABEL1, m_fontBold.get());
  Label2 = child("STATIC", "( version 3.3.0.1220 )", SS_LEFT | SS_NOPREFIX, 84, 58, 280, 18,
                 IDC_AB_LABEL2, m_font.get());
  urlHome = child(kui::LinkLabel::ClassName(), "Visit Kestrin homepage.", WS_TABSTOP, 84, 110,
                  200, 18, IDC_AB_URL, m_fontLink.get());
  kui::LinkLabel::SetAddress(urlHome, std::string(kWebHost) + kAboutHomePage);
  btnOK = child("BUTTON", "&OK", WS_TABSTOP | BS_DEFPUSHBUTTON, (kClientWidth - 80) / 2, 172, 80,
                27, IDOK, m_font.get());

  tmAbout.RegisterComponent("sfAbout", hwnd());
  tmAbout.RegisterComponent("btnOK", btnOK);
}

void TfmAbout::FormCreate() { ApplySkin(&tmAbout); }

void TfmAbout::btnOKClick() { EndModal(IDOK); }

LRESULT TfmAbout::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (lp && HIWORD(wp) != BN_CLICKED) return 0;
      if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) btnOKClick();
      return 0;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lp) == Label1) {
        auto dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, kNavy);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE) SetFocus(btnOK);
      return 0;
    case WM_CLOSE:
      btnOKClick();
      return 0;
    default:
      break;
  }
  return DefProc(msg, wp, lp);
}
