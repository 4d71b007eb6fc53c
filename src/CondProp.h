#pragma once
// The conduit properties dialog: one conduit's HotSync settings, in three modes. Application
// conduits: editable; OK saves the settings, or restores a removed conduit with them. System
// conduits: the creator ID in hexadecimal; OK writes nothing. New conduit (the Install command's
// second step only): the creator ID is typed here and OK installs the library.
// The dialog never owns its record; every effect happens inside OK.

#include <windows.h>

#include "ui/GdiHandle.h"
#include "ui/ModalDialog.h"
#include "ui/ThemeManager.h"

struct CondInfo;

enum : int {
  IDC_CP_GBSYNC = 300, IDC_CP_TITLE, IDC_CP_CREATORID, IDC_CP_SBTNCREATORID, IDC_CP_DIRECTORY,
  IDC_CP_FILE, IDC_CP_PRIORITY, IDC_CP_PALMDB, IDC_CP_GBMISC, IDC_CP_FILENAME, IDC_CP_VERSION,
};

// The page about creator IDs on the product's web site.
extern const char kCreatorIDPage[];

class TfmCondProp : public kui::ModalDialog {
 public:
  static const char kClassName[];  // "TfmCondProp"

  TfmCondProp();
  ~TfmCondProp() override;
  const char* ClassName() const override { return kClassName; }
  const char* HelpTopic() const override { return "properties"; }

  void FormCreate() override;

  // Shows the record. bNewConduit: the Install command's record, whose creator ID the user
  // types and whose OK installs it. Every listed conduit opens with false, whatever its numeric
  // creator ID. Set m_bSystem before this call.
  void SetCondInfo(CondInfo* pData, bool bNewConduit);
  // save false: fills the controls (true). save true: writes them back and performs OK's action;
  // true when the dialog may close.
  bool ExchangeData(bool save);

  void edtCreatorIDExit();
  void sbtnCreatorIDClick();
  void sbtnOKClick();
  void sbtnCancelClick();

  CondInfo* m_pData = nullptr;
  bool m_bSystem = false;
  bool m_bNewConduit = false;

  HWND gbSync = nullptr, lblTitle = nullptr, edtCreatorID = nullptr, sbtnCreatorID = nullptr,
       edtDirectory = nullptr, edtFile = nullptr, edtPriority = nullptr, edtPalmDB = nullptr,
       gbMisc = nullptr, edtFileName = nullptr, edtVersion = nullptr, sbtnOK = nullptr,
       sbtnCancel = nullptr;
  kui::ThemeManager tmCond;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void CreateControls() override;
  // The first editable box (the focus returns where it was, as a dialog manager's does).
  HWND DefaultFocus() const override;
  void OnOK() override { sbtnOKClick(); }
  void OnCancel() override { sbtnCancelClick(); }
  void OnClick(int id) override;
  void OnControlCode(int id, int code) override;
  kx::UniqueGdiObject m_brGrey;
};
