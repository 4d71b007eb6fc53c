#pragma once
// The Options dialog: one of the five skins and the font of the two conduit tables. A radio
// click previews its skin on this dialog only; OK stores the choice in fmMain's settings record,
// and the opener carries it to the main window by the two flags.

#include <windows.h>

#include <cstdint>

#include "Skin.h"
#include "ui/GdiHandle.h"
#include "ui/ModalDialog.h"
#include "ui/ThemeManager.h"

class TfmSkin : public kui::ModalDialog {
 public:
  static const char kClassName[];  // "TfmSkin"

  TfmSkin();
  ~TfmSkin() override;
  const char* ClassName() const override { return kClassName; }
  const char* HelpTopic() const override { return "tools-options"; }

  void FormCreate() override;

  void rbtnBlueGlassClick();
  void rbtnDeepBlueClick();
  void rbtnMacOSClick();
  void rbtnWinXPClick();
  void rbtnProteinClick();
  void btnFontClick();
  void sbtnOKClick();
  void sbtnCancelClick();

  uint32_t m_nSkinType = 0;
  bool m_bSkinChanged = false;
  bool m_bFontChanged = false;

  HWND gbSkin = nullptr, rbtnBlueGlass = nullptr, rbtnDeepBlue = nullptr, rbtnMacOS = nullptr,
       rbtnWinXP = nullptr, rbtnProtein = nullptr, gbFont = nullptr, btnFont = nullptr,
       lblSample = nullptr, sbtnOK = nullptr, sbtnCancel = nullptr;
  kui::ThemeManager tmSkin;

  // The font lblSample shows, whole (style and effects included).
  const TableFont& SampleFont() const { return m_tfSample; }

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void CreateControls() override;
  // The checked skin's button.
  HWND DefaultFocus() const override;
  void OnOK() override { sbtnOKClick(); }
  void OnCancel() override { sbtnCancelClick(); }
  void OnClick(int id) override;
  void ChooseSkin(uint32_t n);
  void SetSampleFont(const TableFont& font);
  HWND SkinButton(uint32_t n) const;

  kx::UniqueFont m_fontSample;
  TableFont m_tfSample{};
};
