#pragma once
// The rows of the backup sets, shared by the backup and restore dialogs: one row per listed set
// (file name, backup time, description), read back by the first column, and the detail window
// that a double-click on a row opens.

#include <windows.h>

#include <string>

#include "core/BackupTime.h"

namespace baksets {

// Clears `lv` and adds one row per entry of fmMain's backup-set list, in list order. Returns the
// number of rows.
int FillSetRows(HWND lv);

// The file name of the selected row; false when no row is selected.
bool SelectedSetFile(HWND lv, std::string& file);

// Opens the detail window of the selected row's set, owned by `owner`; nothing without a
// selection.
void ShowSetDetail(HWND owner, HWND lv);

}  // namespace baksets
