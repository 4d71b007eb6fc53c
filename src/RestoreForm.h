#pragma once
// The restore dialog: one of the listed backup sets. Its output is m_szFile; the main window
// installs the set's conduits after OK.

#include <windows.h>

#include "ui/GdiHandle.h"
#include "ui/Modal.h"
#include "ui/ThemeManager.h"

class TfmRestore : public kui::ModalWindow {
 public:
  static const char kClassName[];  // "TfmRestore"

  TfmRestore();
  ~TfmRestore() override;
  const char* ClassName() const override { return kClassName; }

  // Creates the hidden dialog and its controls, then runs FormCreate.
  bool Create(HWND owner);
  void FormCreate();

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
  void CreateControls();
  kx::UniqueFont m_font;
};
