#pragma once
// The backup dialog: a new backup set (file name and description) or one of the listed sets.
// Its output is m_szFile; the main window writes the set's file after OK.

#include <windows.h>

#include "ui/ModalDialog.h"
#include "ui/ThemeManager.h"

class TfmBackup : public kui::ModalDialog {
 public:
  static const char kClassName[];  // "TfmBackup"

  TfmBackup();
  ~TfmBackup() override;
  const char* ClassName() const override { return kClassName; }
  const char* HelpTopic() const override { return "file-backup"; }

  void FormCreate() override;

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
  void CreateControls() override;
  HWND DefaultFocus() const override;
  void OnOK() override { btnOKClick(); }
  void OnCancel() override { btnCancelClick(); }
  void OnClick(int id) override;
};
