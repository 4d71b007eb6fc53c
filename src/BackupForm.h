#pragma once
// The backup dialog: a new backup set (file name and description) or one of the listed sets.
// Its output is m_szFile; the main window writes the set's file after OK.

#include <windows.h>

#include "ui/GdiHandle.h"
#include "ui/Modal.h"
#include "ui/ThemeManager.h"

class TfmBackup : public kui::ModalWindow {
 public:
  static const char kClassName[];  // "TfmBackup"

  TfmBackup();
  ~TfmBackup() override;
  const char* ClassName() const override { return kClassName; }

  // Creates the hidden dialog and its controls, then runs FormCreate.
  bool Create(HWND owner);
  void FormCreate();

  void rbtnNewClick();
  void rbtnExistClick();
  void lvFileDblClick();
  // New set: listed (unless its name is listed already) and chosen. Existing set: the selected
  // row, or an error and the dialog stays open.
  void btnOKClick();
  void btnCancelClick();

  char m_szFile[260] = {};  // file name of the chosen set, relative to the program folder

  HWND rbtnNew = nullptr, edtNewFile = nullptr, Label1 = nullptr, edtDesc = nullptr,
       rbtnExist = nullptr, lvFile = nullptr, btnOK = nullptr, btnCancel = nullptr;
  kui::ThemeManager tmBackup;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void CreateControls();
  kx::UniqueFont m_font;
};
