#pragma once
// Opening every window of the program in turn, with a check run on each while it is open.

#include <windows.h>

#include <functional>

#include "AboutForm.h"
#include "BackupForm.h"
#include "BakDetailForm.h"
#include "CondProp.h"
#include "DialogsFixture.h"
#include "OptionsForm.h"
#include "RestoreForm.h"
#include "ui/Accessible.h"

namespace atest {

class WindowsTest : public dtest::DialogsTest {
 protected:
  kui::ComApartment com;  // as the program's entry has it


  // One registered conduit and one backup set of it, so that every list has a row, every
  // button of the backup and restore dialogs is enabled and the detail window opens.
  void StartWithASet();

  // Each runs the command that opens the window and `check` on it, then closes it.
  void Properties(std::function<void(TfmCondProp&)> check);
  void Backup(std::function<void(TfmBackup&)> check);
  void Restore(std::function<void(TfmRestore&)> check);
  void Detail(std::function<void(TfmBakDetail&)> check);
  void Options(std::function<void(TfmSkin&)> check);
  void About(std::function<void(TfmAbout&)> check);
};

}  // namespace atest
