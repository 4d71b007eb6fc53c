// The main window's keys, context menus, dropped files and sorting, against the stand-in Palm
// Desktop. Each way in must run the command its button runs.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "AboutForm.h"
#include "InstallFixture.h"
#include "misc/WinUtil.h"
#include "palm/CondObj.h"
#include "ui/PopupMenu.h"

namespace itest {
namespace {

using ptest::Conduit;

struct MenuItem {
  std::string text;
  bool enabled;
  bool operator==(const MenuItem& o) const { return text == o.text && enabled == o.enabled; }
};
std::ostream& operator<<(std::ostream& os, const MenuItem& m) {
  return os << "{" << m.text << (m.enabled ? "" : " (grayed)") << "}";
}

class InputTest : public InstallTest {
 protected:
  std::vector<std::vector<MenuItem>> menus;  // every menu shown, its items; separators as "-"
  int pick = 0;                              // the command the next menu returns
  std::vector<std::string> folders;          // Open Containing Folder's paths

  void SetUp() override {
    InstallTest::SetUp();
    kui::SetMenuTracker([this](HWND, HMENU menu, POINT) {
      std::vector<MenuItem> items;
      for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[100] = {};
        MENUITEMINFOA mi{};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_STRING | MIIM_STATE | MIIM_FTYPE;
        mi.dwTypeData = text;
        mi.cch = sizeof text;
        GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &mi);
        const bool separator = (mi.fType & MFT_SEPARATOR) != 0;  // has no state of its own
        items.push_back({separator ? "-" : text, separator || !(mi.fState & MFS_GRAYED)});
      }
      menus.push_back(items);
      const int chosen = pick;
      pick = 0;
      return chosen;
    });
    SetFolderShower([this](const char* path) { folders.push_back(path); });
  }
  void TearDown() override {
    kui::SetMenuTracker(nullptr);
    SetFolderShower(nullptr);
    BYTE keys[256] = {};
    SetKeyboardState(keys);
    InstallTest::TearDown();
  }

  void Key(HWND to, WPARAM key) { SendMessageA(to, WM_KEYDOWN, key, 0); }
  // Through the main loop's own step, as a key pressed anywhere in the window.
  bool LoopKey(HWND to, WPARAM key, UINT message = WM_KEYDOWN) {
    MSG m{to, message, key, 0, 0, {}};
    return fm->PreTranslateMessage(m);
  }
  void SetKeyDown(int vk, bool down) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[vk] = down ? 0x80 : 0;
    SetKeyboardState(keys);
  }
  POINT RowPoint(HWND lv, int row) {
    RECT r{};
    r.left = LVIR_LABEL;
    SendMessageA(lv, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
    POINT p{r.left + 5, (r.top + r.bottom) / 2};
    ClientToScreen(lv, &p);
    return p;
  }
  void RightClick(HWND lv, POINT screen) {
    SendMessageA(fm->hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(lv),
                 MAKELPARAM(screen.x, screen.y));
  }
  std::vector<int> Selected(HWND lv) {
    std::vector<int> rows;
    for (int i = -1; (i = static_cast<int>(SendMessageA(lv, LVM_GETNEXTITEM, i, LVNI_SELECTED))) >= 0;)
      rows.push_back(i);
    return rows;
  }
  std::vector<std::string> Names(HWND lv) {
    std::vector<std::string> names;
    for (const Row& r : ktest::ReadRows(lv)) names.push_back(r.name);
    return names;
  }
  // An HDROP as Explorer hands it over: ANSI paths, each zero-terminated, then one more zero.
  void Drop(const std::vector<std::string>& paths) {
    size_t bytes = sizeof(DROPFILES) + 1;
    for (const std::string& p : paths) bytes += p.size() + 1;
    HGLOBAL h = GlobalAlloc(GHND, bytes);
    ASSERT_NE(nullptr, h);
    auto* df = static_cast<DROPFILES*>(GlobalLock(h));
    df->pFiles = sizeof(DROPFILES);
    char* at = reinterpret_cast<char*>(df) + sizeof(DROPFILES);
    for (const std::string& p : paths) {
      memcpy(at, p.c_str(), p.size() + 1);
      at += p.size() + 1;
    }
    GlobalUnlock(h);
    SendMessageA(fm->hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(h), 0);
  }
  // Each properties dialog of the drop in turn: OK with the creator ID, or Cancel for "".
  void OnDialogs(std::vector<const char*> creators) {
    if (creators.empty()) return;
    const char* creator = creators.front();
    creators.erase(creators.begin());
    kui::SetNextModalAction(TfmCondProp::kClassName, [this, creator, creators](kui::ModalWindow& w) {
      auto& d = static_cast<TfmCondProp&>(w);
      OnDialogs(creators);
      if (*creator) {
        Type(d.edtCreatorID, creator);
        LeaveCreator(d);
        Click(d.sbtnOK);
      } else {
        Click(d.sbtnCancel);
      }
    });
  }
};

// Not from libuuid, whose interface ids clash with oleacc's at link time.
const CLSID kClsidShellLink = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kIidShellLinkA = {0x000214EE, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kIidPersistFile = {0x0000010B, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

bool MakeShortcut(const std::string& lnk, const std::string& target) {
  bool ok = false;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IShellLinkA* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(kClsidShellLink, nullptr, CLSCTX_INPROC_SERVER, kIidShellLinkA,
                                 reinterpret_cast<void**>(&link)))) {
    link->SetPath(target.c_str());
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(kIidPersistFile, reinterpret_cast<void**>(&file)))) {
      wchar_t wide[MAX_PATH];
      MultiByteToWideChar(CP_ACP, 0, lnk.c_str(), -1, wide, MAX_PATH);
      ok = SUCCEEDED(file->Save(wide, TRUE));
      file->Release();
    }
    link->Release();
  }
  CoUninitialize();
  return ok;
}

// ---- Drops --------------------------------------------------------------------------------

TEST_F(InputTest, DroppedFilesGoTheInstallWay) {
  ktest::TempDir files("input_files");
  ktest::WriteBytes(files.file("notes.txt"), {'h', 'i'});
  const std::string lnk = files.file("Date Book.lnk");
  ASSERT_TRUE(MakeShortcut(lnk, Conduit("datecond.dll")));
  Start();

  // A conduit and a non-conduit: the dialog for one, the specified refusal for the other.
  OnDialogs({"memo"});
  Drop({Conduit("memocond.dll"), files.file("notes.txt")});
  EXPECT_TRUE(IsRegistered("memo"));
  ASSERT_EQ(2u, shown.size());
  ExpectMessage(0, "Conduit \"Memo Pad\" installed successfully.", "Success", MB_ICONINFORMATION);
  ExpectMessage(1, "This is not a valid Palm Conduit, please try another one", "Error",
                MB_ICONERROR);

  // Two conduits, the first cancelled: the second is still installed; a folder is ignored.
  shown.clear();
  OnDialogs({"", "todo"});
  Drop({Conduit("addrcond.dll"), files.path(), Conduit("todocond.dll")});
  EXPECT_FALSE(IsRegistered("addr"));
  EXPECT_TRUE(IsRegistered("todo"));
  ASSERT_EQ(1u, shown.size());
  EXPECT_EQ("Success", shown[0].caption);

  // A shortcut installs its target; a path Windows cannot take is refused.
  shown.clear();
  OnDialogs({"date"});
  Drop({lnk, "C:\\" + std::string(270, 'p') + ".dll"});
  EXPECT_EQ(Conduit("datecond.dll"), Registered("date", "Conduit"));
  ASSERT_EQ(2u, shown.size());
  EXPECT_EQ("This is not a valid Palm Conduit, please try another one", shown[1].text);
  EXPECT_EQ((std::vector<int>{1, 1, 1}), Actions());
}

TEST_F(InputTest, FilesAreAcceptedOnlyWhileNoDialogIsOpen) {
  Start();
  auto accepts = [this] {
    return (GetWindowLongA(fm->hwnd(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0;
  };
  EXPECT_TRUE(accepts());
  bool whileOpen = true;
  kui::SetNextModalAction(TfmAbout::kClassName, [&](kui::ModalWindow& w) {
    whileOpen = accepts();
    w.EndModal(IDOK);
  });
  SendMessageA(fm->hwnd(), WM_COMMAND, MAKEWPARAM(IDM_ABOUT, 0), 0);
  EXPECT_FALSE(whileOpen);
  EXPECT_TRUE(accepts());
}

// ---- Keys ---------------------------------------------------------------------------------

TEST_F(InputTest, KeysRunTheirButtonsCommands) {
  Register("addr", Conduit("addrcond.dll"), "A");
  Register("memo", Conduit("memocond.dll"), "M");
  WriteStore({StoreRecord("date", Conduit("datecond.dll"), "Date Book")});
  Start();
  HWND app = fm->slvApp;

  // The tables claim Enter, so the dialog manager leaves it to them.
  MSG enter{app, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  EXPECT_TRUE(SendMessageA(app, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)) &
              DLGC_WANTMESSAGE);
  EXPECT_TRUE(SendMessageA(fm->slvSys, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)) &
              DLGC_WANTMESSAGE);

  // Enter: Properties of the row.
  SelectOnly({1});
  OnDialog(nullptr);
  Key(app, VK_RETURN);
  EXPECT_TRUE(seen.opened);
  EXPECT_EQ("memo", seen.creator);

  // Delete on one row: the one question, then the uninstall.
  answers = {IDYES};
  shown.clear();
  Key(app, VK_DELETE);
  ASSERT_EQ(2u, shown.size());
  EXPECT_EQ("Do you really want to uninstall conduit \"" + Conduit("memocond.dll") + "\"?",
            shown[0].text);
  EXPECT_FALSE(IsRegistered("memo"));

  // Delete on a removed row does nothing: its button is disabled.
  SelectOnly({2});
  ASSERT_FALSE(IsWindowEnabled(fm->sbtnUninst));
  shown.clear();
  Key(app, VK_DELETE);
  EXPECT_TRUE(shown.empty());

  // Ctrl+A selects every row; Delete over several asks nothing.
  SetKeyDown(VK_CONTROL, true);
  Key(app, 'A');
  SetKeyDown(VK_CONTROL, false);
  EXPECT_EQ((std::vector<int>{0, 1, 2}), Selected(app));
  Key(app, VK_DELETE);
  ASSERT_EQ(1u, shown.size());
  EXPECT_EQ("Conduits uininstalled successfully.", shown[0].text);
  EXPECT_FALSE(IsRegistered("addr"));

  // Enter in the system table: its Properties.
  ASSERT_GT(SendMessageA(fm->slvSys, LVM_GETITEMCOUNT, 0, 0), 0);
  seen = DialogSeen{};
  OnDialog(nullptr);
  Key(fm->slvSys, VK_RETURN);
  EXPECT_TRUE(seen.opened);

  // F5 anywhere in the window refreshes; elsewhere it is not ours.
  const unsigned loads = fm->LoadCount();
  EXPECT_TRUE(LoopKey(fm->sbtnBackup, VK_F5));
  EXPECT_EQ(loads + 1, fm->LoadCount());
  EXPECT_FALSE(LoopKey(GetDesktopWindow(), VK_F5));
  EXPECT_FALSE(LoopKey(app, VK_F6));
}

// ---- Context menus ------------------------------------------------------------------------

TEST_F(InputTest, ContextMenusFollowTheButtonsRules) {
  ktest::TempDir libs("input_libs");
  const std::string gone = CopyConduit(libs, "todocond.dll", "todo1.dll");
  Register("addr", Conduit("addrcond.dll"), "A");
  Register("todo", gone, "T");
  WriteStore({StoreRecord("date", Conduit("datecond.dll"), "Date Book")});
  Start();
  HWND app = fm->slvApp;
  CondInfo* todo = RowRecord(1);
  ReleaseCondObj(todo->hCondObj);
  todo->hCondObj = 0;
  ASSERT_TRUE(DeleteFileA(gone.c_str()));

  const auto appMenu = [](bool props, bool uninst, bool restore, bool folder) {
    return std::vector<MenuItem>{{"&Properties", props}, {"&UnInstall", uninst},
                                 {"Res&tore", restore}, {"-", true},
                                 {"Open Containing &Folder", folder}};
  };
  struct Case {
    const char* what;
    std::vector<int> selected;  // before the right-click
    int clicked;                // the row clicked
    std::vector<MenuItem> items;
    std::vector<int> selectedAfter;
  } cases[] = {
      {"an installed row", {0}, 0, appMenu(true, true, false, true), {0}},
      {"a removed row", {2}, 2, appMenu(true, false, true, true), {2}},
      {"a row whose library is gone", {1}, 1, appMenu(true, true, false, false), {1}},
      {"several rows, one of them clicked", {0, 2}, 2, appMenu(true, true, true, true), {0, 2}},
      {"a row not selected: it alone", {0, 1}, 2, appMenu(true, false, true, true), {2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    menus.clear();
    SelectOnly(c.selected);
    RightClick(app, RowPoint(app, c.clicked));
    ASSERT_EQ(1u, menus.size());
    EXPECT_EQ(c.items, menus[0]);
    EXPECT_EQ(c.selectedAfter, Selected(app));
  }

  // Empty space opens nothing; the keyboard opens the focused row's menu, and none without one.
  menus.clear();
  RECT client;
  GetClientRect(app, &client);
  POINT empty{client.right - 5, client.bottom - 5};
  ClientToScreen(app, &empty);
  RightClick(app, empty);
  EXPECT_TRUE(menus.empty());
  SelectOnly({});
  EXPECT_TRUE(LoopKey(app, VK_APPS));
  EXPECT_TRUE(menus.empty());
  SelectOnly({0});
  EXPECT_TRUE(LoopKey(app, VK_APPS));
  SetKeyDown(VK_SHIFT, true);
  EXPECT_TRUE(LoopKey(app, VK_F10, WM_SYSKEYDOWN));
  SetKeyDown(VK_SHIFT, false);
  ASSERT_EQ(2u, menus.size());
  EXPECT_EQ(appMenu(true, true, false, true), menus[1]);

  // The system table's menu.
  menus.clear();
  ASSERT_TRUE(LoopKey(fm->slvSys, VK_APPS));
  ASSERT_EQ(1u, menus.size());
  EXPECT_EQ((std::vector<MenuItem>{{"P&roperties", true}, {"-", true},
                                   {"Open Containing &Folder", true}}),
            menus[0]);

  // The items run their commands: the folder, then UnInstall with its question.
  SelectOnly({0});
  pick = IDM_CTX_FOLDER;
  RightClick(app, RowPoint(app, 0));
  EXPECT_EQ((std::vector<std::string>{Conduit("addrcond.dll")}), folders);
  answers = {IDYES};
  shown.clear();
  pick = IDM_CTX_UNINST;
  RightClick(app, RowPoint(app, 0));
  ASSERT_EQ(2u, shown.size());
  EXPECT_EQ("Confirm", shown[0].caption);
  EXPECT_FALSE(IsRegistered("addr"));
}

// ---- Sorting ------------------------------------------------------------------------------

TEST_F(InputTest, HeaderClicksSortAndRefreshRestoresCatalogueOrder) {
  Register("todo", Conduit("todocond.dll"), "T");
  Register("addr", Conduit("addrcond.dll"), "A");
  Register("memo", Conduit("memocond.dll"), "M");
  Start();
  HWND app = fm->slvApp;
  const std::vector<std::string> catalogue = Names(app);
  ASSERT_EQ((std::vector<std::string>{"To Do List", "Address Book", "Memo Pad"}), catalogue);
  HWND header = reinterpret_cast<HWND>(SendMessageA(app, LVM_GETHEADER, 0, 0));
  auto arrow = [header](int column) {
    HDITEMA item{};
    item.mask = HDI_FORMAT;
    SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
    return item.fmt & (HDF_SORTUP | HDF_SORTDOWN);
  };

  fm->slvColumnClick(app, 0);
  EXPECT_EQ((std::vector<std::string>{"Address Book", "Memo Pad", "To Do List"}), Names(app));
  EXPECT_EQ(HDF_SORTUP, arrow(0));
  fm->slvColumnClick(app, 0);
  EXPECT_EQ((std::vector<std::string>{"To Do List", "Memo Pad", "Address Book"}), Names(app));
  EXPECT_EQ(HDF_SORTDOWN, arrow(0));
  fm->slvColumnClick(app, 1);  // by creator ID: addr, memo, todo
  EXPECT_EQ((std::vector<std::string>{"Address Book", "Memo Pad", "To Do List"}), Names(app));
  EXPECT_EQ(0, arrow(0));
  EXPECT_EQ(HDF_SORTUP, arrow(1));

  // An install goes to its sorted place: "date" between addr and memo.
  Install(Conduit("datecond.dll"), [](TfmCondProp& d) {
    Type(d.edtCreatorID, "date");
    LeaveCreator(d);
    Click(d.sbtnOK);
  });
  EXPECT_EQ((std::vector<std::string>{"Address Book", "Date Book", "Memo Pad", "To Do List"}),
            Names(app));

  // The commands walk the rows as shown: the last two selected, in their shown order.
  SelectOnly({2, 3});
  Click(fm->sbtnUninst);
  EXPECT_EQ(Conduit("memocond.dll"), ktest::ReadHistory(history)[1].file);
  EXPECT_EQ(Conduit("todocond.dll"), ktest::ReadHistory(history)[2].file);

  // Refresh: the catalogue (addr, date), then the removed ones as stored (memo, todo).
  fm->slvColumnClick(app, 0);
  fm->slvColumnClick(app, 0);
  ASSERT_EQ((std::vector<std::string>{"To Do List", "Memo Pad", "Date Book", "Address Book"}),
            Names(app));
  Click(fm->sbtnRefresh);
  EXPECT_EQ(0, arrow(0));
  EXPECT_EQ((std::vector<std::string>{"Address Book", "Date Book", "Memo Pad", "To Do List"}),
            Names(app));
}

}  // namespace
}  // namespace itest
