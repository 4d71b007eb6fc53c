// The conduit operations without a window: each case runs them against the stand-in Palm
// Desktop and a recording table, and checks what they asked, said and changed, in order.
#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ConduitKit.h"
#include "core/ConduitOps.h"
#include "core/KestrinLog.h"
#include "format/CxList.h"
#include "format/KxText.h"
#include "format/RemovedStore.h"
#include "misc/WinUtil.h"
#include "PalmTest.h"
#include "palm/CondMgr.h"
#include "palm/CondObj.h"
#include "palm/PalmLibs.h"

namespace {

using ktest::IsRegistered;
using ktest::Register;
using ktest::Registered;
using ktest::StoreRecord;
using ptest::Conduit;
using Events = std::vector<std::string>;

const char kConflictMemo[] =
    "ask Uninstall conduit: There is another conduit \"Memo Pad\" was associated with creator "
    "ID \"date\", it must be uninstalled before you install this conduit. Do you want to "
    "uninstall it?";

// The application table and the user as the operations see them: rows kept in a vector, every
// call noted as one line.
class RecordingView : public ConduitView {
 public:
  struct Entry {
    CondRow row;
    CondInfo* info;
  };
  std::vector<Entry> rows;
  std::vector<int> selected;
  Events events;
  std::deque<bool> answers;  // replies to questions; No when none is left
  std::function<void(CondInfo*)> onProperties;

  int AppRowCount() const override { return static_cast<int>(rows.size()); }
  CondInfo* AppRowRecord(int row) const override { return rows[static_cast<size_t>(row)].info; }
  void AddAppRow(const CondRow& row, CondInfo* info) override {
    rows.push_back({row, info});
    events.push_back("row+ " + row.name + "|" + row.creator + "|" + row.file + "|" +
                     std::to_string(row.image));
  }
  void DeleteAppRow(int row) override {
    rows.erase(rows.begin() + row);
    events.push_back("row- " + std::to_string(row));
  }
  void SetAppRowImage(int row, int image) override {
    rows[static_cast<size_t>(row)].row.image = image;
    events.push_back("image " + std::to_string(row) + " " + std::to_string(image));
  }
  std::vector<CondInfo*> SelectedAppRecords() const override {
    std::vector<CondInfo*> out;
    for (int i : selected) out.push_back(rows[static_cast<size_t>(i)].info);
    return out;
  }
  void UpdateAppButtons() override { events.push_back("buttons"); }
  bool Tell(MessageKind kind, const std::string& text, const char* caption) override {
    const char* k = kind == MessageKind::Question ? "ask"
                    : kind == MessageKind::Error  ? "error"
                                                  : "info";
    events.push_back(std::string(k) + " " + caption + ": " + text);
    if (kind != MessageKind::Question || answers.empty()) return false;
    bool a = answers.front();
    answers.pop_front();
    return a;
  }
  void ShowNewConduitProperties(CondInfo* info) override {
    events.push_back("properties");
    if (onProperties) onProperties(info);
  }
  std::vector<int> Images() const {
    std::vector<int> out;
    for (const Entry& e : rows) out.push_back(e.row.image);
    return out;
  }
};

class ConduitOpsTest : public ptest::PalmTest {
 protected:
  ktest::TempDir dir{"core_prog"};
  std::string store = dir.path() + "KestrinRes.dat";
  std::string history = dir.file("kestrinlog.dat");
  CCondMgr app;
  CxList removed;
  KestrinLog log;
  RecordingView view;
  ConduitOps ops{app, removed, log, store.c_str(), view};

  void SetUp() override {
    ptest::PalmTest::SetUp();
    SetProgramFolderOverride(dir.path().c_str());
    ASSERT_TRUE(LoadPalmLibraries(kPalmAll));
  }
  void TearDown() override {
    ops.ReleaseKeptCondObjs();
    ClearCondList(removed);
    app.Clear();
    SetProgramFolderOverride(nullptr);
    ptest::PalmTest::TearDown();
  }

  // Between the cases of a table: no registration, store, history, record or row is left.
  void Fresh() {
    ops.ReleaseKeptCondObjs();
    ClearCondList(removed);
    app.Clear();
    view = RecordingView{};
    DeleteFileA(store.c_str());
    DeleteFileA(history.c_str());
    ptest::PalmTest::SetUp();  // frees the Palm libraries, so they are bound again
    ASSERT_TRUE(LoadPalmLibraries(kPalmAll));
  }
  // The catalogue, the store and the rows as the main window fills them.
  void Load() {
    app.Load(kLoadApplication);
    LoadRemovedStore(store.c_str(), removed);
    for (CondInfo* p = app.GetFirst(); p; p = app.GetNext()) {
      view.rows.push_back({AppCatalogueRow(*p), p});
    }
    for (auto* p = static_cast<CondInfo*>(removed.GetFirst()); p;
         p = static_cast<CondInfo*>(removed.GetNext())) {
      if (!app.Find(p->szCreatorID, p->szConduit)) view.rows.push_back({AppRemovedRow(*p), p});
    }
  }
  void WriteStore(const std::vector<CondInfo>& records) {
    ASSERT_TRUE(ktest::WriteRecords(store, records));
  }
  std::vector<int> Actions() const { return ktest::HistoryActions(history); }
  // A record to install, as the properties dialog hands it over; the catalogue may keep it.
  static CondInfo* NewRecord(const char* creator, const std::string& lib, const char* name) {
    auto* rec = new CondInfo(StoreRecord(creator, lib, name));
    rec->nStatus = 0;
    rec->dwFlags = 0;
    return rec;
  }
};

// "date" belongs to Memo Pad; Date Book is installed under it. No keeps everything, Yes and
// quiet uninstall Memo Pad first (its library is there, so its row stays as removed).
TEST_F(ConduitOpsTest, InstallOverAConflict) {
  struct Case {
    const char* what;
    bool quiet;
    std::deque<bool> answers;
    bool result;
    Events events;
    std::vector<int> actions;
  } cases[] = {
      {"No", false, {false}, false, {kConflictMemo}, {}},
      {"Yes",
       false,
       {true},
       true,
       {kConflictMemo, "image 0 1", "row+ Date Book|date|" + Conduit("datecond.dll") + "|0",
        "info Success: Conduit \"Date Book\" installed successfully."},
       {2, 1}},
      {"quiet",
       true,
       {},
       true,
       {"image 0 1", "row+ Date Book|date|" + Conduit("datecond.dll") + "|0"},
       {2, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Fresh();
    Register("date", Conduit("memocond.dll"), "Memo");
    Load();
    view.answers = c.answers;

    CondInfo* rec = NewRecord("date", Conduit("datecond.dll"), "Date Book");
    const bool ok = ops.InstallConduit(rec, c.quiet);
    EXPECT_EQ(c.result, ok);
    EXPECT_EQ(c.events, view.events);
    EXPECT_EQ(c.actions, Actions());
    EXPECT_EQ(Conduit(ok ? "datecond.dll" : "memocond.dll"), Registered("date", "Conduit"));
    if (ok) {
      EXPECT_EQ(rec, app.Find("date", Conduit("datecond.dll").c_str()));  // kept by the catalogue
      ASSERT_EQ(2u, view.rows.size());
      EXPECT_EQ(rec, view.rows[1].info);
      const std::vector<CondInfo> stored = ktest::ReadRecords(store);
      ASSERT_EQ(1u, stored.size());
      EXPECT_EQ(Conduit("memocond.dll"), stored[0].szConduit);
      const std::vector<ktest::HistoryEntry> h = ktest::ReadHistory(history);
      ASSERT_EQ(2u, h.size());
      EXPECT_EQ(Conduit("memocond.dll"), h[0].file);
      EXPECT_EQ(Conduit("datecond.dll"), h[1].file);
    } else {
      delete rec;
      EXPECT_EQ(1u, view.rows.size());
      EXPECT_EQ(0, view.rows[0].row.image);
    }
  }
}

// Quiet, the refusals of the install itself say nothing; the uninstall of a conflict still
// speaks for itself.
TEST_F(ConduitOpsTest, QuietInstallRefusals) {
  Register("date", Conduit("memocond.dll"), "Memo");
  Load();
  CondInfo* rec = NewRecord("date", Conduit("datecond.dll"), "Date Book");
  ASSERT_TRUE(ops.InstallConduit(rec, true));
  view.events.clear();

  CondInfo again = *rec;  // registered already
  EXPECT_FALSE(ops.InstallConduit(&again, true));
  EXPECT_TRUE(view.events.empty());

  ptest::SetFault("CmRemoveConduitByCreatorID", 0);
  CondInfo other = StoreRecord("date", Conduit("todocond.dll"), "To Do");
  other.dwFlags = 0;
  EXPECT_FALSE(ops.InstallConduit(&other, true));
  EXPECT_EQ((Events{"error Error: Can not uninstall the conduit \"" + Conduit("datecond.dll") +
                    "\" now, is the HotSync process running?"}),
            view.events);
  EXPECT_EQ(Conduit("datecond.dll"), Registered("date", "Conduit"));
  EXPECT_EQ((std::vector<int>{2, 1}), Actions());
}

// A refused removal keeps the status that says "registered", so the next install under the
// creator still meets the question.
TEST_F(ConduitOpsTest, RefusedRemovalKeepsTheConduitRegistered) {
  Register("date", Conduit("memocond.dll"), "Memo");
  Load();
  ptest::SetFault("CmRemoveConduitByCreatorID", 2);
  view.selected = {0};
  view.answers = {true};
  ops.UninstallSelected();
  EXPECT_EQ((Events{"ask Confirm: Do you really want to uninstall conduit \"" +
                        Conduit("memocond.dll") + "\"?",
                    "error Error: Can not uninstall the conduit \"" + Conduit("memocond.dll") +
                        "\" now, is the HotSync process running?"}),
            view.events);
  EXPECT_EQ(kStatusInstalled, view.rows[0].info->nStatus);
  EXPECT_EQ(0, view.rows[0].row.image);
  EXPECT_TRUE(Actions().empty());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(store.c_str()));

  view.events.clear();
  CondInfo date = StoreRecord("date", Conduit("datecond.dll"), "Date Book");
  date.dwFlags = 0;
  EXPECT_FALSE(ops.InstallConduit(&date, false));
  EXPECT_EQ((Events{kConflictMemo}), view.events);
}

// A removed Date Book restored while "date" is registered: to another library it is a
// conflict, to the same library it is not.
TEST_F(ConduitOpsTest, RestoreAsksAboutAConflictAtAnotherPathOnly) {
  Register("date", Conduit("memocond.dll"), "Memo");
  WriteStore({StoreRecord("date", Conduit("datecond.dll"), "Date Book")});
  Load();
  view.selected = {1};
  view.answers = {true, false};
  ops.RestoreSelected();
  EXPECT_EQ((Events{"ask Confirm: Do you really want to restore conduit \"Date Book\"?",
                    kConflictMemo}),
            view.events);
  EXPECT_EQ(Conduit("memocond.dll"), Registered("date", "Conduit"));
  EXPECT_EQ((std::vector<int>{0, 1}), view.Images());

  view.events.clear();
  CondInfo same = StoreRecord("date", Conduit("memocond.dll"), "Memo again");
  EXPECT_TRUE(ops.RestoreConduit(&same, false));
  EXPECT_EQ((Events{"image 0 0"}), view.events);
  EXPECT_EQ((std::vector<int>{3}), Actions());
}

TEST_F(ConduitOpsTest, RestoreOfOneRemovedConduit) {
  struct Case {
    const char* what;
    bool refused;  // the registration fails
    Events events;
  } cases[] = {
      {"registered", false,
       {"ask Confirm: Do you really want to restore conduit \"Date Book\"?", "image 1 0",
        "buttons", "info Information: Conduit \"Date Book\" restored successfully."}},
      {"refused", true,
       {"ask Confirm: Do you really want to restore conduit \"Date Book\"?",
        "error Error: Conduit \"Date Book\" restored failed. Please make sure that you have "
        "enough access rights to your system."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Fresh();
    Register("addr", Conduit("addrcond.dll"), "A");
    WriteStore({StoreRecord("date", Conduit("datecond.dll"), "Date Book")});
    const std::vector<unsigned char> before = ktest::ReadBytes(store);
    Load();
    if (c.refused) ptest::SetFault("CmInstallCreator", 0xFFFFFFFF);
    view.selected = {1};
    view.answers = {true};
    ops.RestoreSelected();
    EXPECT_EQ(c.events, view.events);
    EXPECT_EQ(!c.refused, IsRegistered("date"));
    ASSERT_EQ(2u, view.rows.size());
    EXPECT_EQ(c.refused ? kFlagRemoved : 0u, view.rows[1].info->dwFlags);
    if (c.refused) {
      EXPECT_EQ(before, ktest::ReadBytes(store));
      EXPECT_TRUE(Actions().empty());
    } else {
      EXPECT_EQ(Conduit("datecond.dll"), Registered("date", "Conduit"));
      EXPECT_TRUE(ktest::ReadRecords(store).empty());
      EXPECT_EQ((std::vector<int>{3}), Actions());
    }
  }
}

// The one-row question's No changes nothing; the uninstall of a present library keeps its row
// as removed and stores it, a missing one loses its row and stores nothing.
TEST_F(ConduitOpsTest, UninstallOfOneConduit) {
  ktest::TempDir libs("core_libs");
  const std::string gone = ktest::CopyConduit(libs, "todocond.dll", "todo1.dll");
  Register("addr", Conduit("addrcond.dll"), "Address");
  Register("todo", gone, "To Do");
  Load();
  ASSERT_EQ(2u, view.rows.size());
  CondInfo* todo = view.rows[1].info;
  ReleaseCondObj(todo->hCondObj);  // unload it, as a user's deletion needs
  todo->hCondObj = 0;
  ASSERT_TRUE(DeleteFileA(gone.c_str()));
  const std::string ask = "ask Confirm: Do you really want to uninstall conduit \"";

  view.selected = {0};
  view.answers = {false};
  ops.UninstallSelected();
  EXPECT_EQ((Events{ask + Conduit("addrcond.dll") + "\"?"}), view.events);
  EXPECT_TRUE(IsRegistered("addr"));

  view.events.clear();
  view.answers = {true};
  ops.UninstallSelected();
  EXPECT_EQ((Events{ask + Conduit("addrcond.dll") + "\"?", "image 0 1",
                    "info Information: Conduit \"" + Conduit("addrcond.dll") +
                        "\" uninstalled successfully.",
                    "buttons"}),
            view.events);
  EXPECT_FALSE(IsRegistered("addr"));
  std::vector<CondInfo> stored = ktest::ReadRecords(store);
  ASSERT_EQ(1u, stored.size());
  EXPECT_STREQ("addr", stored[0].szCreatorID);
  EXPECT_EQ(kStatusRemoved, stored[0].nStatus);
  EXPECT_EQ(kFlagRemoved, stored[0].dwFlags);
  EXPECT_EQ(0u, stored[0].hCondObj);

  view.events.clear();
  view.selected = {1};
  view.answers = {true};
  ops.UninstallSelected();
  EXPECT_EQ((Events{ask + gone + "\"?", "row- 1",
                    "info Information: Conduit \"" + gone + "\" uninstalled successfully.",
                    "buttons"}),
            view.events);
  EXPECT_EQ(1u, view.rows.size());
  EXPECT_FALSE(IsRegistered("todo"));
  EXPECT_EQ(1u, ktest::ReadRecords(store).size());
  EXPECT_EQ((std::vector<int>{2, 2}), Actions());
}

// Several rows: each step in table order, removed rows skipped, no question, and the summary
// only when every step succeeded.
TEST_F(ConduitOpsTest, MultipleUninstallOverMixedRows) {
  ktest::TempDir libs("core_libs");
  struct Case {
    const char* what;
    DWORD removeFault;  // 0: none
    Events events;
  } cases[] = {
      {"every step succeeds", 0,
       {"image 0 1", "row- 1", "info Information: Conduits uininstalled successfully.",
        "buttons"}},
      {"every removal refused", 2, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Fresh();
    const std::string gone = ktest::CopyConduit(libs, "todocond.dll", "todo2.dll");
    Register("addr", Conduit("addrcond.dll"), "A");
    Register("todo", gone, "T");
    Register("memo", Conduit("memocond.dll"), "M");
    WriteStore({StoreRecord("date", Conduit("datecond.dll"), "Date Book")});
    Load();
    ASSERT_EQ(4u, view.rows.size());
    CondInfo* t = view.rows[1].info;
    ReleaseCondObj(t->hCondObj);
    t->hCondObj = 0;
    ASSERT_TRUE(DeleteFileA(gone.c_str()));
    if (c.removeFault) ptest::SetFault("CmRemoveConduitByCreatorID", c.removeFault);

    view.selected = {0, 1, 3};  // addr, the gone todo, the removed date
    ops.UninstallSelected();

    if (c.removeFault == 0) {
      EXPECT_EQ(c.events, view.events);
      EXPECT_EQ((std::vector<int>{1, 0, 1}), view.Images());
      EXPECT_EQ((std::vector<int>{2, 2}), Actions());
      std::vector<CondInfo> stored = ktest::ReadRecords(store);
      ASSERT_EQ(2u, stored.size());
      EXPECT_STREQ("date", stored[0].szCreatorID);
      EXPECT_STREQ("addr", stored[1].szCreatorID);
    } else {
      ASSERT_EQ(3u, view.events.size());  // one error per step, no summary
      EXPECT_EQ(0u, view.events[0].rfind("error Error: ", 0));
      EXPECT_EQ(0u, view.events[1].rfind("error Error: ", 0));
      EXPECT_EQ("buttons", view.events[2]);
      EXPECT_EQ(4u, view.rows.size());
      EXPECT_TRUE(Actions().empty());
    }
    EXPECT_TRUE(IsRegistered("memo"));
  }
}

TEST_F(ConduitOpsTest, MultipleRestoreOverMixedRows) {
  struct Case {
    const char* what;
    bool fail;
  } cases[] = {{"every step succeeds", false}, {"every registration refused", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Fresh();
    Register("addr", Conduit("addrcond.dll"), "A");
    WriteStore({StoreRecord("date", Conduit("datecond.dll"), "Date Book"),
                StoreRecord("memo", Conduit("memocond.dll"), "Memo Pad")});
    Load();
    if (c.fail) ptest::SetFault("CmInstallCreator", 0xFFFFFFFF);
    view.selected = {0, 1, 2};  // the installed addr is skipped
    ops.RestoreSelected();
    if (!c.fail) {
      EXPECT_EQ((Events{"image 1 0", "image 2 0",
                        "info Information: Conduits restored successfully.", "buttons"}),
                view.events);
      EXPECT_TRUE(IsRegistered("date"));
      EXPECT_TRUE(IsRegistered("memo"));
      EXPECT_EQ((std::vector<int>{3, 3}), Actions());
      EXPECT_TRUE(ktest::ReadRecords(store).empty());
    } else {
      ASSERT_EQ(3u, view.events.size());
      EXPECT_EQ(0u, view.events[0].rfind("error Error: ", 0));
      EXPECT_EQ(0u, view.events[1].rfind("error Error: ", 0));
      EXPECT_EQ(2u, ktest::ReadRecords(store).size());
    }
  }
}

// The probe of a picked library: a library that is no conduit never reaches the dialog; a
// conduit does, with its path and name, and a cancelled dialog leaves nothing behind.
TEST_F(ConduitOpsTest, PickedLibraryIsProbedBeforeTheDialog) {
  ktest::TempDir files("core_files");
  ktest::WriteBytes(files.file("notes.txt"), {'h', 'i'});
  Load();
  for (const std::string& path :
       {Conduit("nocond.dll"), files.file("notes.txt"), files.file("missing.dll")}) {
    view.events.clear();
    ops.InstallConduitFile(path.c_str());
    EXPECT_EQ((Events{"error Error: This is not a valid Palm Conduit, please try another one"}),
              view.events)
        << path;
  }
  view.events.clear();
  std::string seenPath, seenName;
  view.onProperties = [&](CondInfo* info) {
    seenPath = info->szConduit;
    seenName = info->szName;
  };
  ops.InstallConduitFile(Conduit("datecond.dll").c_str());
  EXPECT_EQ((Events{"properties"}), view.events);
  EXPECT_EQ(Conduit("datecond.dll"), seenPath);
  EXPECT_EQ("Date Book", seenName);
  EXPECT_TRUE(view.rows.empty());
  EXPECT_EQ(0u, app.GetCount());

  // OK in the dialog installs the very record the probe made; the catalogue keeps it.
  view.events.clear();
  CondInfo* installed = nullptr;
  view.onProperties = [&](CondInfo* info) {
    kx::CopyText(info->szCreatorID, "date");
    installed = info;
    ops.InstallConduit(info, false);
  };
  ops.InstallConduitFile(Conduit("datecond.dll").c_str());
  ASSERT_NE(nullptr, installed);
  EXPECT_EQ(installed, app.Find("date", Conduit("datecond.dll").c_str()));
  ASSERT_NE(nullptr, GetCondObj(*installed));
  EXPECT_TRUE(GetCondObj(*installed)->IsConduit());
  EXPECT_EQ((std::vector<int>{1}), Actions());
}

// A set restored over a catalogue that already holds one of its conduits: the others are
// installed quietly, the held one is left as it is, and one message says it went well.
TEST_F(ConduitOpsTest, RestoreOfASetInstallsWhatIsMissing) {
  Register("addr", Conduit("addrcond.dll"), "A");
  Load();
  CondInfo addr = StoreRecord("addr", Conduit("addrcond.dll"), "Address Book");
  CondInfo date = StoreRecord("date", Conduit("datecond.dll"), "Date Book");
  CondInfo memo = StoreRecord("memo", Conduit("memocond.dll"), "Memo Pad");
  for (CondInfo* r : {&addr, &date}) {
    r->nStatus = kStatusInstalled;
    r->dwFlags = 0;
  }
  ASSERT_TRUE(ktest::WriteRecords(dir.file("set1.bak"), {addr, date, memo}));
  ops.RestoreSettings("set1.bak");
  EXPECT_EQ((Events{"row+ Date Book|date|" + Conduit("datecond.dll") + "|0",
                    "info Information: Conduit settings restored successfully."}),
            view.events);
  EXPECT_TRUE(IsRegistered("date"));
  EXPECT_FALSE(IsRegistered("memo"));  // not installed when the set was made
  EXPECT_EQ(2u, app.GetCount());
  EXPECT_EQ((std::vector<int>{1}), Actions());

  view.events.clear();
  ops.RestoreSettings("none.bak");
  EXPECT_EQ((Events{"error Error: Can not open the backup file \"" + dir.file("none.bak") +
                    "\"."}),
            view.events);
}

// The removed store held by another program: the operation goes through, and the lost save is
// said once, when the command reports it.
TEST_F(ConduitOpsTest, UnsavedStoreIsReportedOnce) {
  Register("addr", Conduit("addrcond.dll"), "A");
  Register("memo", Conduit("memocond.dll"), "M");
  ASSERT_TRUE(ktest::WriteBytes(store, {}));
  Load();
  HANDLE held = CreateFileA(store.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  view.selected = {0, 1};
  ops.UninstallSelected();
  ops.ReportUnsavedStore();
  ops.ReportUnsavedStore();
  CloseHandle(held);
  EXPECT_EQ((Events{"image 0 1", "image 1 1",
                    "info Information: Conduits uininstalled successfully.", "buttons",
                    "error Error: Can not write the file \"" + store +
                        "\". The changes to the list of uninstalled conduits were not saved."}),
            view.events);
  EXPECT_FALSE(IsRegistered("addr"));
  EXPECT_TRUE(ktest::ReadBytes(store).empty());
}

}  // namespace
