#pragma once
// The backup detail window: every conduit record stored in one backup set, whatever its status
// or origin. It keeps the Blue Glass look whatever the chosen skin (no theme manager).

#include <windows.h>

#include "ui/ModalDialog.h"

class CCondMgr;

class TfmBakDetail : public kui::ModalDialog {
 public:
  static const char kClassName[];  // "TfmBakDetail"

  TfmBakDetail();
  ~TfmBakDetail() override;
  const char* ClassName() const override { return kClassName; }
  const char* HelpTopic() const override { return "backup-detail"; }

  void FormCreate() override;
  void FormDestroy();

  // Reads the backup file at szPath (a full path) and shows its records. A missing path or a
  // file without a record leaves the label and the list empty (false).
  bool LoadBackupFile(const char* szPath);

  void btnOKClick();

  char m_szPath[260] = {};
  CCondMgr* m_pCondMgr = nullptr;  // owned: the records the rows point at

  HWND lblDesc = nullptr, lvCond = nullptr, btnOK = nullptr;

 private:
  void CreateControls() override;
  HWND DefaultFocus() const override { return lvCond; }
  void OnOK() override { btnOKClick(); }
};
