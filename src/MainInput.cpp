// The main window's ways in besides its buttons: keys on the tables, context menus on the rows,
// files dropped from Explorer and sorting by a column. Each runs the command its button runs,
// with the same enable rules, questions and messages.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "core/CondRules.h"
#include "MainForm.h"
#include "misc/WinUtil.h"
#include "palm/LibraryPath.h"
#include "ui/Controls.h"
#include "ui/PopupMenu.h"
#include "ui/Subclass.h"

namespace {

const UINT_PTR kTableKeysId = 0x4B54;  // "KT": the tables' own subclass

// The tables take Enter themselves, so the dialog manager does not turn it into IDOK.
LRESULT CALLBACK TableKeysProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  if (msg == WM_GETDLGCODE) {
    LRESULT code = kui::DefSubclass(h, msg, wp, lp);
    const auto* m = reinterpret_cast<const MSG*>(lp);
    if (m && m->message == WM_KEYDOWN && m->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
    return code;
  }
  return kui::DefSubclass(h, msg, wp, lp);
}

bool IsShortcut(const std::string& path) {
  return path.size() > 4 && _stricmp(path.c_str() + path.size() - 4, ".lnk") == 0;
}

// The shown text of every row's sort column, by the row's record: the list view hands the
// comparison the rows' lParams, which stay right while it moves the rows.
struct SortKeys {
  std::unordered_map<LPARAM, std::string> keys;
  bool ascending;
};

int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM keys) {
  const auto* s = reinterpret_cast<const SortKeys*>(keys);
  const auto ka = s->keys.find(a), kb = s->keys.find(b);
  if (ka == s->keys.end() || kb == s->keys.end()) return 0;
  const int order = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, ka->second.c_str(), -1,
                                   kb->second.c_str(), -1) - CSTR_EQUAL;
  return s->ascending ? order : -order;
}

void ShowSortArrow(HWND lv, int column, bool ascending) {
  HWND header = reinterpret_cast<HWND>(SendMessageA(lv, LVM_GETHEADER, 0, 0));
  const int n = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    HDITEMA item{};
    item.mask = HDI_FORMAT;
    SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (i == column) item.fmt |= ascending ? HDF_SORTUP : HDF_SORTDOWN;
    SendMessageA(header, HDM_SETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
}

}  // namespace

void TfmMain::SetUpTableInput() {
  for (HWND lv : {slvApp, slvSys}) kui::SetSubclass(lv, TableKeysProc, kTableKeysId, 0);
  m_tipsApp.Attach(slvApp, [this](int row) { return RowDiagnosis(slvApp, row); });
  m_tipsSys.Attach(slvSys, [this](int row) { return RowDiagnosis(slvSys, row); });
  DragAcceptFiles(hwnd(), TRUE);
}

bool TfmMain::PreTranslateMessage(const MSG& msg) {
  if (msg.hwnd != hwnd() && !IsChild(hwnd(), msg.hwnd)) return false;
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_F5) {
    sbtnRefreshClick();
    return true;
  }
  // The context-menu keys open the menu of the focused row of the table that has the focus.
  const bool menuKey = (msg.message == WM_KEYDOWN && msg.wParam == VK_APPS) ||
                       (msg.message == WM_SYSKEYDOWN && msg.wParam == VK_F10 &&
                        GetKeyState(VK_SHIFT) < 0);
  if (menuKey && (msg.hwnd == slvApp || msg.hwnd == slvSys)) {
    slvContextMenu(msg.hwnd, POINT{-1, -1});
    return true;
  }
  return false;
}

void TfmMain::slvKeyDown(HWND slv, WORD key) {
  const bool ctrl = GetKeyState(VK_CONTROL) < 0;
  if (slv == slvApp) {
    if (key == VK_DELETE && IsWindowEnabled(sbtnUninst)) sbtnUninstClick();
    if (key == VK_RETURN && IsWindowEnabled(sbtnAppProp)) sbtnAppPropClick();
    if (key == 'A' && ctrl) {
      LVITEMA st{};
      st.stateMask = LVIS_SELECTED;
      st.state = LVIS_SELECTED;
      SendMessageA(slvApp, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(&st));
    }
  } else if (slv == slvSys) {
    if (key == VK_RETURN && IsWindowEnabled(sbtnSysProp)) sbtnSysPropClick();
  }
}

void TfmMain::slvContextMenu(HWND slv, POINT screen) {
  int row = -1;
  if (screen.x == -1 && screen.y == -1) {
    row = static_cast<int>(SendMessageA(slv, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                        LVNI_FOCUSED));
    if (row < 0) {
      row = static_cast<int>(SendMessageA(slv, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                          LVNI_SELECTED));
    }
    if (row < 0) return;
    RECT r{};
    r.left = LVIR_LABEL;
    SendMessageA(slv, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
    screen = POINT{r.left, r.bottom};
    ClientToScreen(slv, &screen);
  } else {
    LVHITTESTINFO hit{};
    hit.pt = screen;
    ScreenToClient(slv, &hit.pt);
    row = static_cast<int>(SendMessageA(slv, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (row < 0) return;  // empty space: no menu
    if (!(SendMessageA(slv, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) &
          LVIS_SELECTED)) {
      LVITEMA st{};
      st.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
      st.state = 0;
      SendMessageA(slv, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&st));
      st.state = LVIS_SELECTED | LVIS_FOCUSED;
      SendMessageA(slv, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&st));
    }
  }
  const CondInfo* rec = RowInfo(slv, row);
  char resolved[MAX_PATH] = {};
  const bool fileThere = rec && ResolveLibraryPath(rec->szConduit, resolved) &&
                         LibraryFileExists(resolved);
  auto flags = [](bool on) { return MF_STRING | (on ? MF_ENABLED : MF_GRAYED); };

  HMENU menu = CreatePopupMenu();
  if (slv == slvApp) {
    AppendMenuA(menu, flags(IsWindowEnabled(sbtnAppProp)), IDM_CTX_PROPS, "&Properties");
    AppendMenuA(menu, flags(IsWindowEnabled(sbtnUninst)), IDM_CTX_UNINST, "&UnInstall");
    AppendMenuA(menu, flags(IsWindowEnabled(sbtnRestore)), IDM_CTX_RESTORE, "Res&tore");
  } else {
    AppendMenuA(menu, flags(IsWindowEnabled(sbtnSysProp)), IDM_CTX_SYSPROPS, "P&roperties");
  }
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, flags(fileThere), IDM_CTX_FOLDER, "Open Containing &Folder");
  const int cmd = kui::TrackMenu(hwnd(), menu, screen);
  DestroyMenu(menu);

  switch (cmd) {
    case IDM_CTX_PROPS: sbtnAppPropClick(); break;
    case IDM_CTX_UNINST: sbtnUninstClick(); break;
    case IDM_CTX_RESTORE: sbtnRestoreClick(); break;
    case IDM_CTX_SYSPROPS: sbtnSysPropClick(); break;
    case IDM_CTX_FOLDER:
      if (fileThere) ShowInFolder(resolved);
      break;
    default: break;
  }
}

void TfmMain::FormDropFiles(HDROP drop) {
  const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  std::vector<std::string> paths;
  for (UINT i = 0; i < count; ++i) {
    const UINT n = DragQueryFileA(drop, i, nullptr, 0);
    if (n == 0) continue;
    std::string path(n + 1, '\0');
    path.resize(DragQueryFileA(drop, i, &path[0], n + 1));
    paths.push_back(path);
  }
  DragFinish(drop);  // the dialogs below may take long; the drop is done

  for (std::string path : paths) {
    if (IsShortcut(path)) {
      std::string target;
      if (ResolveShortcut(path.c_str(), target)) path = target;
    }
    const DWORD attr = GetFileAttributesA(path.c_str());
    if (attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY)) continue;
    if (path.size() >= MAX_PATH) {
      Tell(MessageKind::Error, condtext::kNotConduit, "Error");
      continue;
    }
    m_pOps->InstallConduitFile(path.c_str());
  }
  ReportUnsavedStore();
}

void TfmMain::slvColumnClick(HWND slv, int column) {
  SortState& s = slv == slvApp ? m_sortApp : m_sortSys;
  s.ascending = s.column == column ? !s.ascending : true;
  s.column = column;
  SortTable(slv);
}

void TfmMain::SortTable(HWND slv) {
  const SortState& s = slv == slvApp ? m_sortApp : m_sortSys;
  if (s.column < 0) {
    ShowSortArrow(slv, -1, true);
    return;
  }
  SortKeys order{{}, s.ascending};
  const int n = static_cast<int>(SendMessageA(slv, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    order.keys[reinterpret_cast<LPARAM>(RowInfo(slv, i))] = kui::ListItemText(slv, i, s.column);
  }
  SendMessageA(slv, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&order),
               reinterpret_cast<LPARAM>(CompareRows));
  ShowSortArrow(slv, s.column, s.ascending);
}

void TfmMain::ClearSort(HWND slv) {
  (slv == slvApp ? m_sortApp : m_sortSys) = SortState{};
  ShowSortArrow(slv, -1, true);
}
