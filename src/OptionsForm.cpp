#include "OptionsForm.h"

#include <string>

#include "MainForm.h"
#include "ui/CommonDialogs.h"
#include "ui/Controls.h"
#include "ui/HighContrast.h"

const char TfmSkin::kClassName[] = "TfmSkin";

namespace {

const int kClientWidth = 316, kClientHeight = 268;
const uint32_t kSkinCount = 5;
enum : int {
  IDC_SK_GBSKIN = 800, IDC_SK_BLUEGLASS, IDC_SK_DEEPBLUE, IDC_SK_MACOS, IDC_SK_WINXP,
  IDC_SK_PROTEIN, IDC_SK_GBFONT, IDC_SK_FONT, IDC_SK_SAMPLE,
};

using T = TfmSkin;
const kui::ThemedPart<T> kThemed[] = {
    {"sfSkin", nullptr},                  {"rbtnBlueGlass", &T::rbtnBlueGlass},
    {"rbtnDeepBlue", &T::rbtnDeepBlue},   {"rbtnMacOS", &T::rbtnMacOS},
    {"rbtnWinXP", &T::rbtnWinXP},         {"rbtnProtein", &T::rbtnProtein},
    {"sbtnOK", &T::sbtnOK},               {"sbtnCancel", &T::sbtnCancel},
    {"gbSkin", &T::gbSkin},               {"gbFont", &T::gbFont},
    {"btnFont", &T::btnFont}};

}  // namespace

TfmSkin::TfmSkin()
    : ModalDialog("Kestrin Options", kClientWidth, kClientHeight),
      tmSkin(kThemed, kui::Theme::BlueGlass) {}

TfmSkin::~TfmSkin() = default;

void TfmSkin::CreateControls() {
  const kui::Children child = Child();
  gbSkin = child.Add("BUTTON", " Choose your favorite skin ", BS_GROUPBOX, {8, 8, 300, 116},
                     IDC_SK_GBSKIN);
  const DWORD radio = WS_TABSTOP | BS_RADIOBUTTON;
  rbtnBlueGlass = child.Add("BUTTON", "Blue Glass", radio | WS_GROUP, {28, 32, 120, 20},
                            IDC_SK_BLUEGLASS);
  rbtnDeepBlue = child.Add("BUTTON", "Deep Blue", radio, {168, 32, 120, 20}, IDC_SK_DEEPBLUE);
  rbtnMacOS = child.Add("BUTTON", "Mac OS", radio, {28, 60, 120, 20}, IDC_SK_MACOS);
  rbtnWinXP = child.Add("BUTTON", "Windows XP", radio, {168, 60, 120, 20}, IDC_SK_WINXP);
  rbtnProtein = child.Add("BUTTON", "Protein", radio, {28, 88, 120, 20}, IDC_SK_PROTEIN);

  gbFont = child.Add("BUTTON", " Choose font of the conduit table ", BS_GROUPBOX | WS_GROUP,
                     {8, 132, 300, 86}, IDC_SK_GBFONT);
  btnFont = child.Add("BUTTON", "Set Font", WS_TABSTOP | BS_PUSHBUTTON, {28, 162, 90, 27},
                      IDC_SK_FONT);
  lblSample = child.Add("STATIC", "Sample Text", SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE,
                        {132, 152, 166, 56}, IDC_SK_SAMPLE);

  AddOkCancel(140, 230, true, sbtnOK, sbtnCancel);

  kui::PutBehind({gbFont, gbSkin});

  tmSkin.RegisterParts(*this, kThemed);
}

HWND TfmSkin::SkinButton(uint32_t n) const {
  const HWND buttons[kSkinCount] = {rbtnBlueGlass, rbtnDeepBlue, rbtnMacOS, rbtnWinXP, rbtnProtein};
  return n < kSkinCount ? buttons[n] : nullptr;
}

void TfmSkin::FormCreate() {
  const uint32_t stored = fmMain->m_Settings.nSkinType;
  const HWND on = SkinButton(stored < kSkinCount ? stored : 0);
  for (uint32_t i = 0; i < kSkinCount; ++i) {
    kui::SetChecked(SkinButton(i), SkinButton(i) == on);
  }
  ApplySkin(&tmSkin);
  TableFont sample = DefaultTableFont();  // the label's own font, under the stored one
  ExchangeFont(&fmMain->m_Settings, &sample, false);
  SetSampleFont(sample);
  m_bSkinChanged = false;
  m_bFontChanged = false;
}

void TfmSkin::SetSampleFont(const TableFont& font) {
  HFONT f = kui::CreateScaledFont(font.lf);
  if (!f) return;
  m_tfSample = font;
  SendMessageA(lblSample, WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
  m_fontSample.reset(f);
  InvalidateRect(lblSample, nullptr, TRUE);
}

void TfmSkin::ChooseSkin(uint32_t n) {
  for (uint32_t i = 0; i < kSkinCount; ++i) {
    kui::SetChecked(SkinButton(i), i == n);
  }
  kui::Theme t;
  if (SkinTheme(n, t)) tmSkin.SetTheme(t);  // a preview on this dialog only
}

void TfmSkin::rbtnBlueGlassClick() { ChooseSkin(0); }
void TfmSkin::rbtnDeepBlueClick() { ChooseSkin(1); }
void TfmSkin::rbtnMacOSClick() { ChooseSkin(2); }
void TfmSkin::rbtnWinXPClick() { ChooseSkin(3); }
void TfmSkin::rbtnProteinClick() { ChooseSkin(4); }

void TfmSkin::btnFontClick() {
  TableFont chosen = m_tfSample;
  COLORREF color = ColorValueToRGB(chosen.nColor);
  // The font dialog measures heights on the screen: it gets and gives them at the layout DPI.
  chosen.lf.lfHeight = kui::Scale(chosen.lf.lfHeight);
  if (!kui::PickFont(hwnd(), chosen.lf, color)) return;
  chosen.lf.lfHeight = kui::Unscale(chosen.lf.lfHeight);
  chosen.nColor = static_cast<int32_t>(color & 0x00FFFFFFu);
  SetSampleFont(chosen);
  m_bFontChanged = true;
}

void TfmSkin::sbtnOKClick() {
  for (uint32_t i = 0; i < kSkinCount; ++i) {
    if (kui::IsChecked(SkinButton(i))) {
      m_nSkinType = i;
      break;
    }
  }
  AppSettings& s = fmMain->m_Settings;
  m_bSkinChanged = m_nSkinType != s.nSkinType;
  if (m_bSkinChanged) s.nSkinType = m_nSkinType;
  if (m_bFontChanged) ExchangeFont(&s, &m_tfSample, true);
  EndModal(IDOK);
}

void TfmSkin::sbtnCancelClick() { EndModal(IDCANCEL); }

HWND TfmSkin::DefaultFocus() const {
  HWND checked = nullptr;
  for (uint32_t i = 0; i < kSkinCount; ++i) {
    if (kui::IsChecked(SkinButton(i))) checked = SkinButton(i);
  }
  return checked;
}

void TfmSkin::OnClick(int id) {
  switch (id) {
    case IDC_SK_BLUEGLASS: rbtnBlueGlassClick(); break;
    case IDC_SK_DEEPBLUE: rbtnDeepBlueClick(); break;
    case IDC_SK_MACOS: rbtnMacOSClick(); break;
    case IDC_SK_WINXP: rbtnWinXPClick(); break;
    case IDC_SK_PROTEIN: rbtnProteinClick(); break;
    case IDC_SK_FONT: btnFontClick(); break;
    default: break;
  }
}

LRESULT TfmSkin::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(lp) == lblSample) {
    auto dc = reinterpret_cast<HDC>(wp);
    SetTextColor(dc, kui::HighContrast() ? GetSysColor(COLOR_BTNTEXT)
                                         : ColorValueToRGB(m_tfSample.nColor));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
  }
  return ModalDialog::HandleMessage(msg, wp, lp);
}
