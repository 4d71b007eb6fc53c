#include "DialogsFixture.h"

#include <commctrl.h>

#include <cstring>

#include "core/Settings.h"
#include "format/CxList.h"
#include "MainWindowStart.h"
#include "TestSupport.h"
#include "ui/Modal.h"
#include "ui/MsgBox.h"

namespace dtest {

std::vector<Cells> ListRows(HWND lv) {
  std::vector<Cells> rows;
  HWND header = reinterpret_cast<HWND>(SendMessageA(lv, LVM_GETHEADER, 0, 0));
  const int cols = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
  const int n = static_cast<int>(SendMessageA(lv, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    Cells row;
    for (int sub = 0; sub < cols; ++sub) row.push_back(ktest::CellText(lv, i, sub));
    rows.push_back(row);
  }
  return rows;
}

void SelectRow(HWND lv, int row) {
  LVITEMA st{};
  st.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  st.state = 0;
  SendMessageA(lv, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&st));
  if (row < 0) return;
  st.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(lv, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&st));
}

void DoubleClickRow(HWND lv, int row) {
  SelectRow(lv, row);
  RECT r{};
  r.left = LVIR_LABEL;
  SendMessageA(lv, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
  SendMessageA(lv, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(r.left + 4, (r.top + r.bottom) / 2));
}

bool Checked(HWND button) { return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }
bool Enabled(HWND h) { return IsWindowEnabled(h) != FALSE; }

SIZE ClientSize(HWND h) {
  RECT r{};
  GetClientRect(h, &r);
  return SIZE{r.right, r.bottom};
}

int ThemeOf(HWND h) {
  kui::Theme t;
  return kui::ThemeManager::GetComponentTheme(h, t) ? static_cast<int>(t) : -1;
}

void DialogsTest::WriteSkin(int skin) {
  const std::string text = "[Kestrin]\r\nSkinType=" + std::to_string(skin) + "\r\n";
  ASSERT_TRUE(ktest::WriteBytes(Prog("orlenta.ini"),
                                std::vector<unsigned char>(text.begin(), text.end())));
}

void DialogsTest::StartWithSkin(int skin) {
  if (fm) Stop();
  WriteSkin(skin);
  Start();
}

void DialogsTest::AddSet(const char* file, const char* desc) {
  BakSetEntry e;
  memset(&e, 0, sizeof e);
  strcpy(e.szFile, file);
  strcpy(e.szDesc, desc);
  fm->AddBakSet(&e);
}

bool DialogsTest::RunDialog(HWND button, const char* cls,
                            std::function<void(kui::ModalWindow&)> script) {
  bool dialogOpened = false;
  kui::SetNextModalAction(cls, [&](kui::ModalWindow& w) {
    dialogOpened = true;
    script(w);
    if (!w.IsModalEnded()) w.EndModal(IDCANCEL);
  });
  itest::Click(button);
  kui::ClearModalActions();
  return dialogOpened;
}

bool DialogsTest::RunMenuDialog(int command, const char* cls,
                                std::function<void(kui::ModalWindow&)> script) {
  bool dialogOpened = false;
  kui::SetNextModalAction(cls, [&](kui::ModalWindow& w) {
    dialogOpened = true;
    script(w);
    if (!w.IsModalEnded()) w.EndModal(IDCANCEL);
  });
  SendMessageA(fm->hwnd(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
  kui::ClearModalActions();
  return dialogOpened;
}

CondInfo SetRecord(const char* creator, const std::string& lib, const char* name, int status) {
  CondInfo r;
  memset(&r, 0, sizeof r);
  strcpy(r.szCreatorID, creator);
  const auto* c = reinterpret_cast<const unsigned char*>(creator);
  r.dwCreatorID = (DWORD(c[0]) << 24) | (DWORD(c[1]) << 16) | (DWORD(c[2]) << 8) | DWORD(c[3]);
  strcpy(r.szConduit, lib.c_str());
  strcpy(r.szName, name);
  r.nPriority = 2;
  r.nStatus = status;
  r.nOrigin = 1;
  return r;
}

bool AgeFile(const std::string& path, bool creationOnly) {
  HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  SYSTEMTIME st{2001, 1, 1, 1, 12, 0, 0, 0};
  FILETIME ft;
  SystemTimeToFileTime(&st, &ft);
  const bool ok = SetFileTime(h, &ft, creationOnly ? nullptr : &ft, creationOnly ? nullptr : &ft) != FALSE;
  CloseHandle(h);
  return ok;
}

}  // namespace dtest
