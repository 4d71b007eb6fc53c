#pragma once
// The About box: the product's name, version and a link to its home page.

#include <windows.h>

#include "ui/GdiHandle.h"
#include "ui/ModalDialog.h"
#include "ui/ThemeManager.h"

// Path and query of the home page the About box links to.
extern const char kAboutHomePage[];  // "/kestrin/index.htm?ref=soft"

class TfmAbout : public kui::ModalDialog {
 public:
  static const char kClassName[];  // "TfmAbout"

  TfmAbout();
  ~TfmAbout() override;
  const char* ClassName() const override { return kClassName; }
  const char* HelpTopic() const override { return "help-about"; }

  void FormCreate() override;
  void btnOKClick();

  HWND imgIcon = nullptr, Label1 = nullptr, Label2 = nullptr, urlHome = nullptr, btnOK = nullptr;
  kui::ThemeManager tmAbout;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void CreateControls() override;
  HWND DefaultFocus() const override { return btnOK; }
  // Escape and the close box close it as OK does.
  void OnOK() override { btnOKClick(); }
  void OnCancel() override { btnOKClick(); }
  kx::UniqueFont m_fontBold, m_fontLink;
  HICON m_hIcon = nullptr;  // shared icon: never destroyed
};
