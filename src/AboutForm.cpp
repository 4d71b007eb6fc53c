#include "AboutForm.h"

#include <string>

#include "MainForm.h"
#include "Skin.h"
#include "ui/Controls.h"
#include "ui/HighContrast.h"
#include "ui/LinkLabel.h"
#include "ui/Pictures.h"
#include "ui/resource.h"

const char TfmAbout::kClassName[] = "TfmAbout";
const char kAboutHomePage[] = "/kestrin/index.htm?ref=soft";

namespace {

const int kClientWidth = 394, kClientHeight = 219;
const COLORREF kNavy = RGB(0, 0, 128);
enum : int { IDC_AB_ICON = 900, IDC_AB_LABEL1, IDC_AB_LABEL2, IDC_AB_URL };

const kui::ThemedPart<TfmAbout> kThemed[] = {{"sfAbout", nullptr}, {"btnOK", &TfmAbout::btnOK}};

}  // namespace

TfmAbout::TfmAbout()
    : ModalDialog("About Kestrin", kClientWidth, kClientHeight),
      tmAbout(kThemed, kui::Theme::BlueGlass) {}

TfmAbout::~TfmAbout() = default;

void TfmAbout::CreateControls() {
  m_fontBold.reset(kui::CreateUiFont("Verdana", 12, FW_BOLD));
  m_fontLink.reset(kui::CreateUiFont("Verdana", 8, FW_NORMAL, true));
  const kui::Children child = Child();

  // The about picture drawn for the layout's size (the system's application icon when missing).
  m_hIcon = kui::LoadProgramIcon(IDI_ABOUT, kui::Scale(32));
  imgIcon = child.Add("STATIC", "", SS_ICON | SS_REALSIZEIMAGE, {28, 28, 32, 32}, IDC_AB_ICON);
  SendMessageA(imgIcon, STM_SETICON, reinterpret_cast<WPARAM>(m_hIcon), 0);

  Label1 = child.Add("STATIC", "Orlenta Kestrin", SS_LEFT | SS_NOPREFIX, {84, 30, 280, 22},
                     IDC_AB_LABEL1, 0, m_fontBold.get());
  Label2 = child.Add("STATIC", "( version 3.3.0.1220 )", SS_LEFT | SS_NOPREFIX, {84, 58, 280, 18},
                     IDC_AB_LABEL2);
  urlHome = child.Add(kui::LinkLabel::ClassName(), "Visit Kestrin homepage.", WS_TABSTOP,
                      {84, 110, 200, 18}, IDC_AB_URL, 0, m_fontLink.get());
  kui::LinkLabel::SetAddress(urlHome, std::string(kWebHost) + kAboutHomePage);
  btnOK = child.Add("BUTTON", "&OK", WS_TABSTOP | BS_DEFPUSHBUTTON,
                    {(kClientWidth - 80) / 2, 172, 80, 27}, IDOK);

  tmAbout.RegisterParts(*this, kThemed);
}

void TfmAbout::FormCreate() { ApplySkin(&tmAbout); }

void TfmAbout::btnOKClick() { EndModal(IDOK); }

LRESULT TfmAbout::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lp) == Label1) {
        auto dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, kui::HighContrast() ? GetSysColor(COLOR_BTNTEXT) : kNavy);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    default:
      break;
  }
  return ModalDialog::HandleMessage(msg, wp, lp);
}
