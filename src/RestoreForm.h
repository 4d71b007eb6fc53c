#pragma once
// The restore dialog: one of the listed backup sets. Its output is m_szFile; the main window
// installs the set's conduits after OK.

#include <windows.h>

#include "ui/ModalDialog.h"
#include "ui/ThemeManager.h"

class TfmRestore : public kui::ModalDialog {
 public:
  static const char kClassName[];  // "TfmRestore"

  TfmRestore();
  ~TfmRestore() override;
  const char* ClassName() const override { return kClassName; }
  const char* HelpTopic() const override { return "file-restore"; }

  void FormCreate() override;

  void lvFileDblClick();
  // The selected row's set, or an error and the dialog stays open.
  void btnOKClick();
  void btnCancelClick();

  char m_szFile[260] = {};  // file name of the chosen set, relative to the program folder

  HWND lvFile = nullptr, btnOK = nullptr, btnCancel = nullptr;
  kui::ThemeManager tmRestore;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void CreateControls() override;
  HWND DefaultFocus() const override { return lvFile; }
  void OnOK() override;
  void OnCancel() override { btnCancelClick(); }
};
