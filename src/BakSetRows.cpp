#include "BakSetRows.h"

#include <commctrl.h>

#include <cstdio>

#include "BakDetailForm.h"
#include "core/BackupTime.h"
#include "core/Settings.h"
#include "MainForm.h"
#include "misc/WinUtil.h"

namespace baksets {

int FillSetRows(HWND lv) {
  SendMessageA(lv, LVM_DELETEALLITEMS, 0, 0);
  char folder[MAX_PATH] = {};
  GetProgramFolder(nullptr, folder);
  int n = 0;
  for (BakSetEntry* e = fmMain->GetFirstBakSet(); e; e = fmMain->GetNextBakSet()) {
    const std::string time = BackupTime((std::string(folder) + e->szFile).c_str());
    LVITEMA it{};
    it.mask = LVIF_TEXT;
    it.iItem = n;
    it.pszText = e->szFile;
    const int row = static_cast<int>(SendMessageA(lv, LVM_INSERTITEMA, 0,
                                                  reinterpret_cast<LPARAM>(&it)));
    if (row < 0) continue;
    const char* cells[] = {time.c_str(), e->szDesc};
    for (int sub = 1; sub <= 2; ++sub) {
      LVITEMA cell{};
      cell.iSubItem = sub;
      cell.pszText = const_cast<char*>(cells[sub - 1]);
      SendMessageA(lv, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
    }
    ++n;
  }
  return n;
}

bool SelectedSetFile(HWND lv, std::string& file) {
  const int sel = static_cast<int>(SendMessageA(lv, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                                LVNI_SELECTED));
  if (sel < 0) return false;
  char buf[MAX_PATH] = {};
  LVITEMA it{};
  it.iSubItem = 0;
  it.pszText = buf;
  it.cchTextMax = sizeof buf;
  SendMessageA(lv, LVM_GETITEMTEXTA, static_cast<WPARAM>(sel), reinterpret_cast<LPARAM>(&it));
  file = buf;
  return true;
}

void ShowSetDetail(HWND owner, HWND lv) {
  std::string file;
  if (!SelectedSetFile(lv, file)) return;
  char folder[MAX_PATH] = {};
  GetProgramFolder(nullptr, folder);
  TfmBakDetail detail;
  if (!detail.Create(owner)) return;
  detail.LoadBackupFile((std::string(folder) + file).c_str());
  detail.ShowModal(owner);
}

}  // namespace baksets
