// The Install, UnInstall and Restore commands driven through the real main window and the real
// properties dialog against the stand-in Palm Desktop.
#include <windows.h>

#include <commctrl.h>

#include "InstallFixture.h"
#include "palm/CondMgr.h"
#include "palm/CondObj.h"

namespace itest {
namespace {

using ptest::Conduit;

const UINT kErr = MB_ICONERROR, kInfo = MB_ICONINFORMATION, kQuestion = MB_ICONQUESTION;

// Types a creator ID, leaves the box and presses OK.
std::function<void(TfmCondProp&)> TypeCreatorAndOK(const char* creator) {
  return [creator](TfmCondProp& d) {
    Type(d.edtCreatorID, creator);
    InstallTest::LeaveCreator(d);
    Click(d.sbtnOK);
  };
}

TEST_F(InstallTest, InstallPicksChecksAsksForTheCreatorAndRegisters) {
  Register("addr", Conduit("addrcond.dll"), "Address");
  Start();
  const std::string lib = Conduit("datecond.dll");
  std::string dirSeen, fileSeen;
  Install(lib, [&](TfmCondProp& d) {
    Type(d.edtCreatorID, "date");
    LeaveCreator(d);
    dirSeen = Text(d.edtDirectory);
    fileSeen = Text(d.edtFile);
    Type(d.edtPalmDB, "DatebookDB");
    Click(d.sbtnOK);
  });

  // The file dialog.
  ASSERT_EQ(1u, fileRequests.size());
  EXPECT_EQ("Install New Palm Conduit", fileRequests[0].title);
  EXPECT_EQ("Palm Conduit File(*.dll)|*.dll|All Files(*.*)|*.*", fileRequests[0].filter);
  EXPECT_EQ(1, fileRequests[0].filterIndex);
  EXPECT_EQ(static_cast<DWORD>(OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST),
            fileRequests[0].flags & (OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST));
  EXPECT_EQ(fm->hwnd(), fileRequests[0].owner);

  // The dialog in new-conduit mode, then the defaults of "date".
  ASSERT_TRUE(seen.opened);
  EXPECT_FALSE(seen.stayedOpen);
  EXPECT_TRUE(seen.creatorEnabled);
  EXPECT_EQ("", seen.creator);
  EXPECT_EQ("2", seen.priority);
  EXPECT_EQ("Date Book", seen.title);
  EXPECT_EQ(lib, seen.fileName);
  EXPECT_EQ("4.1.0.0024", seen.version);
  EXPECT_EQ("datebook", dirSeen);
  EXPECT_EQ("datebook.dat", fileSeen);

  // Registered with the stand-in, shown, kept by the catalogue, told, recorded.
  EXPECT_EQ(lib, Registered("date", "Conduit"));
  EXPECT_EQ("datebook", Registered("date", "Directory"));
  EXPECT_EQ("datebook.dat", Registered("date", "File"));
  EXPECT_EQ("DatebookDB", Registered("date", "Remote"));
  EXPECT_EQ("2", Registered("date", "Priority"));
  const std::vector<Row> rows = AppRows();
  ASSERT_EQ(2u, rows.size());
  EXPECT_EQ((Row{"Date Book", "date", lib, 0}), rows[1]);
  CondInfo* rec = RowRecord(1);
  ASSERT_NE(nullptr, rec);
  EXPECT_NE(nullptr, fm->m_pAppCondMgr->Find("date", lib.c_str()));
  EXPECT_EQ(rec, fm->m_pAppCondMgr->Find("date", lib.c_str()));
  EXPECT_EQ(kStatusInstalled, rec->nStatus);
  ASSERT_NE(nullptr, GetCondObj(*rec));  // its module object lives with the catalogue record
  EXPECT_TRUE(GetCondObj(*rec)->IsConduit());
  ASSERT_EQ(1u, shown.size());
  ExpectMessage(0, "Conduit \"Date Book\" installed successfully.", "Success", kInfo);
  const std::vector<HistoryEntry> h = History();
  ASSERT_EQ(1u, h.size());
  EXPECT_EQ(lib, h[0].file);
  EXPECT_EQ("Date Book", h[0].name);
  EXPECT_EQ("4.1.0.0024", h[0].version);
  EXPECT_EQ(1, h[0].action);

  // The new row at once: its Properties open in application mode and save; it uninstalls.
  SelectOnly({1});
  OnDialog([](TfmCondProp& d) {
    Type(d.edtDirectory, "dbook");
    Click(d.sbtnOK);
  });
  Click(fm->sbtnAppProp);
  ASSERT_TRUE(seen.opened);
  EXPECT_FALSE(seen.creatorEnabled);
  EXPECT_EQ("date", seen.creator);
  EXPECT_FALSE(seen.stayedOpen);
  EXPECT_EQ("dbook", Registered("date", "Directory"));
  EXPECT_STREQ("date", rec->szCreatorID);
  answers = {IDYES};
  Click(fm->sbtnUninst);
  EXPECT_FALSE(IsRegistered("date"));
  EXPECT_EQ(1, AppRows()[1].image);
  EXPECT_EQ((std::vector<int>{1, 2}), Actions());
}

// Which files are refused is the core's probe; the window shows the box and no dialog.
TEST_F(InstallTest, NoConduitLibraryIsRefusedBeforeTheDialog) {
  Start();
  Install(Conduit("nocond.dll"), nullptr);
  EXPECT_FALSE(seen.opened);
  ASSERT_EQ(1u, shown.size());
  ExpectMessage(0, "This is not a valid Palm Conduit, please try another one", "Error", kErr);
  // A cancelled file dialog does nothing at all.
  shown.clear();
  Install("", nullptr);
  EXPECT_FALSE(seen.opened);
  EXPECT_TRUE(shown.empty());
  EXPECT_TRUE(AppRows().empty());
  EXPECT_TRUE(History().empty());
}

TEST_F(InstallTest, DialogRefusalsKeepItOpenAndChangeNothing) {
  const std::string lib = Conduit("datecond.dll");
  struct Case {
    const char* what;
    std::function<void()> arrange;
    const char* creator;
    std::string text;
    const char* caption;
  } cases[] = {
      {"empty creator ID", [] {}, "", "The creator ID is the must have for Kestrin.", "Error"},
      {"same conduit registered, other letter case",
       [&] { Register("date", ktest::ConduitsFolder() + "\\DATECOND.DLL", "Date"); }, "date",
       "This conduit has been installed in the system.", "Information"},
      {"registration refused", [] { ptest::SetFault("CmInstallCreator", 0xFFFFFFFF); }, "date",
       "Conduit \"Date Book\" installed failed. Please make sure that you have enough access "
       "rights to your system.",
       "Error"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ptest::PalmTest::Clean();
    ptest::SetDesktopPath(ktest::PalmFolder());
    c.arrange();
    Start();
    const std::vector<Row> before = AppRows();
    shown.clear();
    Install(lib, TypeCreatorAndOK(c.creator));
    EXPECT_TRUE(seen.stayedOpen);
    ASSERT_EQ(1u, shown.size());
    ExpectMessage(0, c.text, c.caption, std::string(c.caption) == "Error" ? kErr : kInfo);
    EXPECT_EQ(before, AppRows());
    EXPECT_TRUE(History().empty());
    fm.reset();
  }
}

TEST_F(InstallTest, CreatorIDIsCutToFourCharacters) {
  Start();
  Install(Conduit("datecond.dll"), TypeCreatorAndOK("dateX"));
  EXPECT_FALSE(seen.stayedOpen);
  EXPECT_TRUE(IsRegistered("date"));
  ASSERT_EQ(1u, AppRows().size());
  EXPECT_EQ("date", AppRows()[0].creator);
}

// The conflict decisions are the core's; the window shows the question with its buttons, keeps
// the dialog open on No and closes it on Yes with both rows shown.
TEST_F(InstallTest, ConflictQuestionNoKeepsTheDialogOpenYesClosesIt) {
  Register("date", Conduit("memocond.dll"), "Memo");
  Start();
  const std::string lib = Conduit("datecond.dll");

  answers = {IDNO};
  Install(lib, TypeCreatorAndOK("date"));
  EXPECT_TRUE(seen.stayedOpen);
  ASSERT_EQ(1u, shown.size());
  ExpectMessage(0,
                "There is another conduit \"Memo Pad\" was associated with creator ID \"date\", "
                "it must be uninstalled before you install this conduit. Do you want to "
                "uninstall it?",
                "Uninstall conduit", kQuestion, MB_YESNO);
  EXPECT_EQ((std::vector<Row>{{"Memo Pad", "date", Conduit("memocond.dll"), 0}}), AppRows());

  shown.clear();
  answers = {IDYES};
  Install(lib, TypeCreatorAndOK("date"));
  EXPECT_FALSE(seen.stayedOpen);
  ASSERT_EQ(2u, shown.size());
  EXPECT_EQ("Uninstall conduit", shown[0].caption);
  ExpectMessage(1, "Conduit \"Date Book\" installed successfully.", "Success", kInfo);
  EXPECT_EQ((std::vector<Row>{{"Memo Pad", "date", Conduit("memocond.dll"), 1},
                              {"Date Book", "date", lib, 0}}),
            AppRows());
}

TEST_F(InstallTest, InstallOfAnUninstalledConduitGoesTheRestoreWay) {
  Register("date", Conduit("datecond.dll"), "Date");
  Start();
  answers = {IDYES};
  Click(fm->sbtnUninst);
  ASSERT_EQ(1, AppRows()[0].image);
  CondInfo* rowRec = RowRecord(0);
  shown.clear();

  Install(Conduit("datecond.dll"), TypeCreatorAndOK("date"));
  EXPECT_FALSE(seen.stayedOpen);
  EXPECT_TRUE(shown.empty());  // the restore way speaks only of failures
  EXPECT_TRUE(IsRegistered("date"));
  EXPECT_EQ((std::vector<Row>{{"Date Book", "date", Conduit("datecond.dll"), 0}}), AppRows());
  EXPECT_EQ(rowRec, RowRecord(0));
  EXPECT_EQ(0u, rowRec->dwFlags);
  // The row's record took the install's module object, which must stay alive.
  ASSERT_NE(nullptr, GetCondObj(*rowRec));
  EXPECT_TRUE(GetCondObj(*rowRec)->IsConduit());
  EXPECT_EQ((std::vector<int>{2, 3}), Actions());
  EXPECT_TRUE(StoreRecords().empty());

  // The restored row works on: properties, uninstall, and a refresh releases everything.
  OnDialog([](TfmCondProp& d) { Click(d.sbtnOK); });
  Click(fm->sbtnAppProp);
  EXPECT_FALSE(seen.creatorEnabled);
  answers = {IDYES};
  Click(fm->sbtnUninst);
  EXPECT_FALSE(IsRegistered("date"));
  Click(fm->sbtnRefresh);
  EXPECT_EQ((std::vector<Row>{{"Date Book", "date", Conduit("datecond.dll"), 1}}), AppRows());
}

// ---- Uninstall -----------------------------------------------------------------------------

TEST_F(InstallTest, UninstallWithTheLibraryPresentIsStoredAndSurvivesARestart) {
  Register("addr", Conduit("addrcond.dll"), "Address");
  Start();
  const std::string lib = Conduit("addrcond.dll");

  answers = {IDNO};
  Click(fm->sbtnUninst);
  ASSERT_EQ(1u, shown.size());
  ExpectMessage(0, "Do you really want to uninstall conduit \"" + lib + "\"?", "Confirm",
                kQuestion, MB_YESNO);
  EXPECT_TRUE(IsRegistered("addr"));

  shown.clear();
  answers = {IDYES};
  Click(fm->sbtnUninst);
  ASSERT_EQ(2u, shown.size());
  ExpectMessage(1, "Conduit \"" + lib + "\" uninstalled successfully.", "Information", kInfo);
  EXPECT_FALSE(IsRegistered("addr"));
  EXPECT_EQ((std::vector<Row>{{"Address Book", "addr", lib, 1}}), AppRows());
  EXPECT_FALSE(IsWindowEnabled(fm->sbtnUninst));
  EXPECT_TRUE(IsWindowEnabled(fm->sbtnRestore));
  std::vector<CondInfo> stored = StoreRecords();
  ASSERT_EQ(1u, stored.size());
  EXPECT_STREQ("addr", stored[0].szCreatorID);
  EXPECT_EQ(kStatusRemoved, stored[0].nStatus);
  EXPECT_EQ(kFlagRemoved, stored[0].dwFlags);
  EXPECT_EQ(0u, stored[0].hCondObj);
  EXPECT_EQ((std::vector<int>{2}), Actions());

  Restart();
  EXPECT_EQ((std::vector<Row>{{"Address Book", "addr", lib, 1}}), AppRows());
}

TEST_F(InstallTest, UninstallWithTheLibraryGoneDeletesTheRowAndStoresNothing) {
  ktest::TempDir libs("install_libs");
  const std::string lib = CopyConduit(libs, "todocond.dll", "todo1.dll");
  Register("todo", lib, "To Do");
  Start();
  ASSERT_EQ(0, AppRows()[0].image);
  CondInfo* rec = RowRecord(0);
  ReleaseCondObj(rec->hCondObj);  // unload it, as a user's deletion needs
  rec->hCondObj = 0;
  ASSERT_TRUE(DeleteFileA(lib.c_str()));

  answers = {IDYES};
  Click(fm->sbtnUninst);
  EXPECT_TRUE(AppRows().empty());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(store.c_str()));
  EXPECT_FALSE(IsRegistered("todo"));
  EXPECT_EQ((std::vector<int>{2}), Actions());
}

// ---- Restore -------------------------------------------------------------------------------

// What the restore decides is the core's; the window asks, tells, shows the row and moves
// the buttons on.
TEST_F(InstallTest, RestoreOfOneRemovedConduit) {
  Register("addr", Conduit("addrcond.dll"), "A");
  WriteStore({StoreRecord("date", Conduit("datecond.dll"), "Date Book")});
  Start();
  SelectOnly({1});

  answers = {IDNO};
  Click(fm->sbtnRestore);
  ASSERT_EQ(1u, shown.size());
  ExpectMessage(0, "Do you really want to restore conduit \"Date Book\"?", "Confirm", kQuestion,
                MB_YESNO);
  EXPECT_FALSE(IsRegistered("date"));

  shown.clear();
  answers = {IDYES};
  Click(fm->sbtnRestore);
  ASSERT_EQ(2u, shown.size());
  ExpectMessage(1, "Conduit \"Date Book\" restored successfully.", "Information", kInfo);
  EXPECT_EQ(0, AppRows()[1].image);
  EXPECT_TRUE(IsWindowEnabled(fm->sbtnUninst));
  EXPECT_FALSE(IsWindowEnabled(fm->sbtnRestore));

  // A refused registration is an error box; the row stays removed.
  answers = {IDYES};
  Click(fm->sbtnUninst);
  ptest::SetFault("CmInstallCreator", 0xFFFFFFFF);
  shown.clear();
  answers = {IDYES};
  Click(fm->sbtnRestore);
  ASSERT_EQ(2u, shown.size());
  ExpectMessage(1,
                "Conduit \"Date Book\" restored failed. Please make sure that you have enough "
                "access rights to your system.",
                "Error", kErr);
  EXPECT_EQ(1, AppRows()[1].image);
}

// KestrinRes.dat held by another program: the operation itself goes through, the table shows it,
// and the lost save is told once per command, after its own messages.
TEST_F(InstallTest, UnwritableStoreIsToldOncePerCommandAndTheTableStays) {
  struct Case {
    const char* what;
    std::vector<int> rows;  // addr, memo, the removed date
    bool restore;
    std::vector<int> images;
  } cases[] = {
      {"one uninstall", {0}, false, {1, 0, 1}},
      {"two uninstalls", {0, 1}, false, {1, 1, 1}},
      {"one restore", {2}, true, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ptest::PalmTest::Clean();
    ptest::SetDesktopPath(ktest::PalmFolder());
    Register("addr", Conduit("addrcond.dll"), "A");
    Register("memo", Conduit("memocond.dll"), "M");
    WriteStore({StoreRecord("date", Conduit("datecond.dll"), "Date Book")});
    const std::vector<unsigned char> before = ktest::ReadBytes(store);
    Start();
    ASSERT_EQ(3u, AppRows().size());
    HANDLE held = CreateFileA(store.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    shown.clear();
    answers = {IDYES};

    SelectOnly(c.rows);
    Click(c.restore ? fm->sbtnRestore : fm->sbtnUninst);

    ASSERT_FALSE(shown.empty());
    size_t errors = 0;
    for (const kui::MessageRequest& m : shown) errors += m.caption == "Error";
    EXPECT_EQ(1u, errors);
    ExpectMessage(shown.size() - 1,
                  "Can not write the file \"" + store +
                      "\". The changes to the list of uninstalled conduits were not saved.",
                  "Error", kErr);
    std::vector<int> images;
    for (const Row& r : AppRows()) images.push_back(r.image);
    EXPECT_EQ(c.images, images);
    EXPECT_EQ(c.restore, IsRegistered("date"));
    EXPECT_EQ(c.restore, IsRegistered("addr"));
    CloseHandle(held);
    EXPECT_EQ(before, ktest::ReadBytes(store));

    fm.reset();
    DeleteFileA(store.c_str());
    DeleteFileA(history.c_str());
  }
}

// ---- History, report ---------------------------------------------------------------------------

TEST_F(InstallTest, LongNameIsCutInTheHistoryOnly) {
  Start();
  Install(Conduit("full64.dll"), TypeCreatorAndOK("full"));
  ASSERT_FALSE(seen.stayedOpen);
  EXPECT_EQ(std::string(63, 'F'), AppRows()[0].name);
  const std::vector<HistoryEntry> h = History();
  ASSERT_EQ(1u, h.size());
  EXPECT_EQ(std::string(31, 'F'), h[0].name);
  EXPECT_EQ("2.0.0.0064", h[0].version);
}

TEST_F(InstallTest, LogAndReportCommandsWriteTheirPagesAndOpenThem) {
  Register("addr", Conduit("addrcond.dll"), "A");
  Start();
  SendMessageA(fm->hwnd(), WM_COMMAND, MAKEWPARAM(IDM_LOG, 0), 0);
  ASSERT_EQ(1u, shown.size());  // nothing recorded yet
  EXPECT_EQ("No conduit log data found.", shown[0].text);
  EXPECT_TRUE(opened.empty());

  answers = {IDYES};
  Click(fm->sbtnUninst);
  SendMessageA(fm->hwnd(), WM_COMMAND, MAKEWPARAM(IDM_LOG, 0), 0);
  ASSERT_EQ(1u, opened.size());
  EXPECT_EQ(dir.file("kestrinlog.html"), opened[0]);
  const std::vector<unsigned char> page = ktest::ReadBytes(opened[0]);
  const std::string html(page.begin(), page.end());
  EXPECT_NE(std::string::npos, html.find(Conduit("addrcond.dll")));
  EXPECT_NE(std::string::npos, html.find("Uninstalled Successfully"));

  SendMessageA(fm->hwnd(), WM_COMMAND, MAKEWPARAM(IDM_REPORT, 0), 0);
  ASSERT_EQ(2u, opened.size());
  EXPECT_EQ(dir.file("condrpt.html"), opened[1]);
  EXPECT_FALSE(ktest::ReadBytes(opened[1]).empty());
}

}  // namespace
}  // namespace itest
