#pragma once
// The backup, restore, detail, options and about windows, driven through the real main window
// against the stand-in Palm Desktop (the install fixture), with the raw owner of every message.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "InstallFixture.h"
#include "ui/ThemeManager.h"

namespace dtest {

using Cells = std::vector<std::string>;

std::vector<Cells> ListRows(HWND lv);
void SelectRow(HWND lv, int row);  // -1 clears the selection
// A double-click on the row, as the list view gets it from the mouse.
void DoubleClickRow(HWND lv, int row);
bool Checked(HWND button);
bool Enabled(HWND h);
SIZE ClientSize(HWND h);
// The theme a window was given, or -1 when it has none.
int ThemeOf(HWND h);

class DialogsTest : public itest::InstallTest {
 protected:
  // orlenta.ini in the program folder with the given skin (before Start).
  void WriteSkin(int skin);
  // Closes a running main window (orderly end), writes the skin, starts again.
  void StartWithSkin(int skin);
  std::string Prog(const char* name) const { return dir.file(name); }
  void AddSet(const char* file, const char* desc);
  // Runs the command behind a main-window button with a script for the dialog of class `cls`;
  // a dialog the script left open is cancelled. False when the dialog did not open.
  bool RunDialog(HWND button, const char* cls, std::function<void(kui::ModalWindow&)> script);
  // Same, through a menu command of the main window.
  bool RunMenuDialog(int command, const char* cls, std::function<void(kui::ModalWindow&)> script);
};

// A record for a hand-made backup set.
CondInfo SetRecord(const char* creator, const std::string& lib, const char* name, int status);
using ktest::ReadRecords;
using ktest::WriteRecords;
// The file's creation time (and, unless creationOnly, its other times) set to 1 Jan 2001.
bool AgeFile(const std::string& path, bool creationOnly = false);

}  // namespace dtest
