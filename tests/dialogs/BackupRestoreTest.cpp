// The Backup and Restore commands with their dialogs and the backup detail window, driven
// through the real main window against the stand-in Palm Desktop.
#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <regex>

#include "BackupForm.h"
#include "BakDetailForm.h"
#include "core/Settings.h"
#include "DialogsFixture.h"
#include "format/KxSafeFile.h"
#include "palm/CondMgr.h"
#include "RestoreForm.h"
#include "TestSupport.h"

namespace dtest {
namespace {

using itest::Click;
using itest::Text;
using itest::Type;
using ptest::Conduit;

const UINT kErr = MB_ICONERROR, kInfo = MB_ICONINFORMATION;
const std::regex kTime(R"(\d\d-\d\d-\d{4} \d\d:\d\d:\d\d)");

std::vector<std::pair<std::string, std::string>> Sets(TfmMain& fm) {
  std::vector<std::pair<std::string, std::string>> out;
  for (BakSetEntry* e = fm.GetFirstBakSet(); e; e = fm.GetNextBakSet()) {
    out.emplace_back(e->szFile, e->szDesc);
  }
  return out;
}

std::string CurrentYear() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return std::to_string(st.wYear);
}

class BackupTest : public DialogsTest {
 protected:
  // The Backup command with a new set.
  void BackupNew(const char* file, const char* desc) {
    ASSERT_TRUE(RunDialog(fm->sbtnBackup, TfmBackup::kClassName, [&](kui::ModalWindow& w) {
      auto& d = static_cast<TfmBackup&>(w);
      Type(d.edtNewFile, file);
      Type(d.edtDesc, desc);
      Click(d.btnOK);
    }));
  }
  // The Backup (or Restore) dialog's rows, then cancelled.
  std::vector<Cells> BackupRows() {
    std::vector<Cells> rows;
    RunDialog(fm->sbtnBackup, TfmBackup::kClassName, [&](kui::ModalWindow& w) {
      rows = ListRows(static_cast<TfmBackup&>(w).lvFile);
    });
    return rows;
  }
  void RestoreRow(int row) {
    ASSERT_TRUE(RunDialog(fm->sbtnRestoreCond, TfmRestore::kClassName, [&](kui::ModalWindow& w) {
      auto& d = static_cast<TfmRestore&>(w);
      SelectRow(d.lvFile, row);
      Click(d.btnOK);
    }));
  }
};

TEST_F(BackupTest, WithoutSetsTheDialogsOfferOnlyANewSet) {
  Start();
  bool backupSeen = false, restoreSeen = false;
  ASSERT_TRUE(RunDialog(fm->sbtnBackup, TfmBackup::kClassName, [&](kui::ModalWindow& w) {
    auto& d = static_cast<TfmBackup&>(w);
    backupSeen = true;
    EXPECT_EQ("Backup Conduit Settings", Text(d.hwnd()));
    EXPECT_EQ(462, ClientSize(d.hwnd()).cx);
    EXPECT_EQ(319, ClientSize(d.hwnd()).cy);
    EXPECT_EQ("kestrinset1.bak", Text(d.edtNewFile));
    EXPECT_TRUE(Checked(d.rbtnNew));
    EXPECT_FALSE(Checked(d.rbtnExist));
    EXPECT_FALSE(Enabled(d.rbtnExist));
    EXPECT_FALSE(Enabled(d.lvFile));
    EXPECT_TRUE(Enabled(d.edtDesc));
    Click(d.btnCancel);
  }));
  ASSERT_TRUE(RunDialog(fm->sbtnRestoreCond, TfmRestore::kClassName, [&](kui::ModalWindow& w) {
    auto& d = static_cast<TfmRestore&>(w);
    restoreSeen = true;
    EXPECT_EQ("Restore Conduit Settings", Text(d.hwnd()));
    EXPECT_EQ(469, ClientSize(d.hwnd()).cx);
    EXPECT_EQ(291, ClientSize(d.hwnd()).cy);
    EXPECT_FALSE(Enabled(d.btnOK));
    Click(d.btnCancel);
  }));
  EXPECT_TRUE(backupSeen && restoreSeen);
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(0u, fm->GetBakSetCount());
}

// A name Windows cannot take is refused in the dialog, which stays open; nothing is listed.
TEST_F(BackupTest, AnInvalidNameForANewSetKeepsTheDialogOpen) {
  Start();
  for (const char* name : {"", "a?b.bak", "CON.bak", "set.", "sub\\set.bak"}) {
    SCOPED_TRACE(name);
    shown.clear();
    rawOwners.clear();
    bool stayed = false;
    HWND dialog = nullptr;
    ASSERT_TRUE(RunDialog(fm->sbtnBackup, TfmBackup::kClassName, [&](kui::ModalWindow& w) {
      auto& d = static_cast<TfmBackup&>(w);
      dialog = d.hwnd();
      Type(d.edtNewFile, name);
      Click(d.btnOK);
      stayed = !d.IsModalEnded();
    }));
    EXPECT_TRUE(stayed);
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ("Please enter a valid file name for the new backup set.", shown[0].text);
    EXPECT_EQ("Error", shown[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), shown[0].icon);
    EXPECT_EQ(dialog, rawOwners[0]);
  }
  EXPECT_EQ(0u, fm->GetBakSetCount());
}

TEST_F(BackupTest, ANewSetHoldsTheCatalogueAndIsListedWithItsTime) {
  Register("addr", Conduit("addrcond.dll"), "Address");
  Register("date", Conduit("datecond.dll"), "Date");
  Start();
  BackupNew("kestrinset1.bak", "Before the trip");

  ASSERT_EQ(1u, shown.size());
  ExpectMessage(0, "Conduit settings backup successfully to \"kestrinset1.bak\".", "Information",
                kInfo);
  const std::vector<CondInfo> set = ReadRecords(Prog("kestrinset1.bak"));
  ASSERT_EQ(2u, set.size());
  EXPECT_EQ(2u * 540u, ktest::ReadBytes(Prog("kestrinset1.bak")).size());
  CondInfo* first = fm->m_pAppCondMgr->GetFirst();
  ASSERT_NE(nullptr, first);
  EXPECT_STREQ(first->szCreatorID, set[0].szCreatorID);
  EXPECT_STREQ("date", set[1].szCreatorID);
  EXPECT_EQ(Conduit("datecond.dll"), set[1].szConduit);
  EXPECT_EQ(kStatusInstalled, set[1].nStatus);
  EXPECT_EQ(0u, set[1].hCondObj);  // no module object in a file
  EXPECT_EQ((std::vector<std::pair<std::string, std::string>>{{"kestrinset1.bak", "Before the trip"}}),
            Sets(*fm));

  // The next dialog proposes the next number and lists the set.
  ASSERT_TRUE(RunDialog(fm->sbtnBackup, TfmBackup::kClassName, [&](kui::ModalWindow& w) {
    auto& d = static_cast<TfmBackup&>(w);
    EXPECT_EQ("kestrinset2.bak", Text(d.edtNewFile));
    EXPECT_TRUE(Enabled(d.rbtnExist));
    EXPECT_TRUE(Enabled(d.lvFile));
    const std::vector<Cells> rows = ListRows(d.lvFile);
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ("kestrinset1.bak", rows[0][0]);
    EXPECT_TRUE(std::regex_match(rows[0][1], kTime)) << rows[0][1];
    EXPECT_EQ(CurrentYear(), rows[0][1].substr(6, 4));
    EXPECT_EQ("Before the trip", rows[0][2]);
  }));
}

TEST_F(BackupTest, TheProposedNameCountsTheListedSetsWhateverTheirNames) {
  Start();
  AddSet("mine.bak", "");
  AddSet("kestrinset9.bak", "");
  AddSet("", "");
  ASSERT_TRUE(RunDialog(fm->sbtnBackup, TfmBackup::kClassName, [&](kui::ModalWindow& w) {
    EXPECT_EQ("kestrinset4.bak", Text(static_cast<TfmBackup&>(w).edtNewFile));
  }));
}

TEST_F(BackupTest, TheSameNameAgainReplacesTheFileAndKeepsTheDescription) {
  Register("addr", Conduit("addrcond.dll"), "Address");
  Start();
  BackupNew("set.bak", "old");
  // A stale file from long ago: a replaced set shows when it was written now.
  ASSERT_TRUE(ktest::WriteBytes(Prog("set.bak"), std::vector<unsigned char>(7, 0xEE)));
  ASSERT_TRUE(AgeFile(Prog("set.bak")));
  ASSERT_EQ("2001", BackupRows()[0][1].substr(6, 4));

  BackupNew("set.bak", "new");
  BackupNew("SET.bak", "upper");  // another name to the list, letter case counts

  EXPECT_EQ((std::vector<std::pair<std::string, std::string>>{{"set.bak", "old"},
                                                             {"SET.bak", "upper"}}),
            Sets(*fm));
  EXPECT_EQ(540u, ktest::ReadBytes(Prog("set.bak")).size());
  const std::vector<Cells> rows = BackupRows();
  ASSERT_EQ(2u, rows.size());
  EXPECT_EQ(CurrentYear(), rows[0][1].substr(6, 4)) << rows[0][1];
  EXPECT_EQ("old", rows[0][2]);
  EXPECT_EQ("SET.bak", rows[1][0]);

  // NTFS may give a file that replaces another the old one's creation time (Wine does not):
  // the row still says when the set was written.
  ASSERT_TRUE(AgeFile(Prog("set.bak"), true));
  EXPECT_EQ(CurrentYear(), BackupRows()[0][1].substr(6, 4));
}

TEST_F(BackupTest, AnExistingSetIsChosenByItsRowAndKeepsItsEntry) {
  Register("addr", Conduit("addrcond.dll"), "Address");
  Start();
  BackupNew("one.bak", "first");
  BackupNew("two.bak", "second");
  ASSERT_TRUE(ktest::WriteBytes(Prog("two.bak"), {}));
  shown.clear();
  rawOwners.clear();

  HWND dialog = nullptr;
  std::string chosen;
  ASSERT_TRUE(RunDialog(fm->sbtnBackup, TfmBackup::kClassName, [&](kui::ModalWindow& w) {
    auto& d = static_cast<TfmBackup&>(w);
    dialog = d.hwnd();
    Type(d.edtDesc, "ignored");
    Click(d.rbtnExist);
    EXPECT_TRUE(Checked(d.rbtnExist));
    EXPECT_FALSE(Checked(d.rbtnNew));
    EXPECT_FALSE(Enabled(d.edtDesc));
    EXPECT_TRUE(Enabled(d.edtNewFile));  // nothing else changes with the mode
    Click(d.btnOK);  // no row selected
    EXPECT_FALSE(d.IsModalEnded());
    Click(d.rbtnNew);
    EXPECT_TRUE(Enabled(d.edtDesc));
    Click(d.rbtnExist);
    SelectRow(d.lvFile, 1);
    Click(d.btnOK);
    EXPECT_TRUE(d.IsModalEnded());
    chosen = d.m_szFile;
  }));
  EXPECT_EQ("two.bak", chosen);
  ASSERT_EQ(2u, shown.size());
  EXPECT_EQ("No backup file is selected.", shown[0].text);
  EXPECT_EQ("Error", shown[0].caption);
  EXPECT_EQ(kErr, shown[0].icon);
  EXPECT_EQ(dialog, rawOwners[0]);
  ExpectMessage(1, "Conduit settings backup successfully to \"two.bak\".", "Information", kInfo);
  EXPECT_EQ(540u, ktest::ReadBytes(Prog("two.bak")).size());
  EXPECT_EQ((std::vector<std::pair<std::string, std::string>>{{"one.bak", "first"},
                                                             {"two.bak", "second"}}),
            Sets(*fm));
}

TEST_F(BackupTest, ASetThatCannotBeWrittenIsReportedByItsPath) {
  Register("addr", Conduit("addrcond.dll"), "Address");
  Start();
  BackupNew("keep.bak", "");
  const std::vector<unsigned char> before = ktest::ReadBytes(Prog("keep.bak"));
  struct Case {
    const char* name;
    const char* file;
    long failAfter;  // the write seam: -1 off
  } cases[] = {
      {"disk full", "keep.bak", 100},
      {"a folder in the set's place", "folder.bak", -1},
  };
  ASSERT_TRUE(CreateDirectoryA(Prog("folder.bak").c_str(), nullptr));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    shown.clear();
    kx::SetWriteFailureAfter(c.failAfter);
    BackupNew(c.file, "");
    kx::SetWriteFailureAfter(-1);
    ASSERT_EQ(1u, shown.size());
    ExpectMessage(0, "Can not write the backup file \"" + Prog(c.file) + "\".", "Error", kErr);
  }
  EXPECT_EQ(before, ktest::ReadBytes(Prog("keep.bak")));  // the old set stays whole
  EXPECT_EQ(2u, fm->GetBakSetCount());  // listed before the file was written
  RemoveDirectoryA(Prog("folder.bak").c_str());
}

TEST_F(BackupTest, RestoringRightAfterTheBackupInstallsNothing) {
  Register("addr", Conduit("addrcond.dll"), "Address");
  Register("date", Conduit("datecond.dll"), "Date");
  Start();
  BackupNew("now.bak", "");
  const std::vector<itest::Row> rows = AppRows();
  shown.clear();
  RestoreRow(0);
  ASSERT_EQ(1u, shown.size());
  ExpectMessage(0, "Conduit settings restored successfully.", "Information", kInfo);
  EXPECT_EQ(rows, AppRows());
  EXPECT_TRUE(History().empty());
}

TEST_F(BackupTest, ARestoreInstallsWhatIsMissingAndSkipsWhatWasNotRegistered) {
  const std::string addr = Conduit("addrcond.dll"), date = Conduit("datecond.dll"),
                    memo = Conduit("memocond.dll"), todo = Conduit("todocond.dll");
  Register("addr", addr, "Address");
  Start();
  ASSERT_TRUE(WriteRecords(Prog("hand.bak"),
                       {SetRecord("addr", addr, "Address Book", kStatusInstalled),
                        SetRecord("date", date, "Date Book", kStatusInstalled),
                        SetRecord("memo", memo, "Memo Pad", kStatusMissing),
                        SetRecord("todo", todo, "To Do List", kStatusRemoved)}));
  AddSet("hand.bak", "by hand");
  RestoreRow(0);

  ASSERT_EQ(1u, shown.size());
  ExpectMessage(0, "Conduit settings restored successfully.", "Information", kInfo);
  EXPECT_EQ(date, Registered("date", "Conduit"));
  EXPECT_FALSE(IsRegistered("memo"));
  EXPECT_FALSE(IsRegistered("todo"));
  const std::vector<itest::Row> rows = AppRows();
  ASSERT_EQ(2u, rows.size());
  EXPECT_EQ((itest::Row{"Date Book", "date", date, 0}), rows[1]);
  EXPECT_EQ(RowRecord(1), fm->m_pAppCondMgr->Find("date", date.c_str()));  // the catalogue's
  EXPECT_EQ(std::vector<int>{1}, Actions());
}

TEST_F(BackupTest, AStatusZeroConduitIsStoredAndNotRestored) {
  const std::string gone = dir.file("gonecond.dll");
  ASSERT_TRUE(CopyFileA(Conduit("memocond.dll").c_str(), gone.c_str(), FALSE));
  Register("memo", gone, "Memo");
  Register("addr", Conduit("addrcond.dll"), "Address");
  ASSERT_TRUE(DeleteFileA(gone.c_str()));
  Start();
  BackupNew("withgone.bak", "");
  const std::vector<CondInfo> set = ReadRecords(Prog("withgone.bak"));
  ASSERT_EQ(2u, set.size());
  EXPECT_STREQ("memo", set[0].szCreatorID);
  EXPECT_EQ(kStatusMissing, set[0].nStatus);

  // Restoring it would go the restore way and record it.
  RestoreRow(0);
  EXPECT_EQ(kStatusMissing, fm->m_pAppCondMgr->Find("memo", gone.c_str())->nStatus);
  EXPECT_TRUE(History().empty());
}

TEST_F(BackupTest, ASetWhoseFileIsGoneShowsNoTimeAndIsReportedOnRestore) {
  Register("addr", Conduit("addrcond.dll"), "Address");
  Start();
  BackupNew("lost.bak", "lost");
  ASSERT_TRUE(DeleteFileA(Prog("lost.bak").c_str()));
  shown.clear();

  std::vector<Cells> rows;
  bool detailSeen = false;
  ASSERT_TRUE(RunDialog(fm->sbtnRestoreCond, TfmRestore::kClassName, [&](kui::ModalWindow& w) {
    auto& d = static_cast<TfmRestore&>(w);
    rows = ListRows(d.lvFile);
    kui::SetNextModalAction(TfmBakDetail::kClassName, [&](kui::ModalWindow& dw) {
      auto& detail = static_cast<TfmBakDetail&>(dw);
      detailSeen = true;
      EXPECT_EQ("", Text(detail.lblDesc));
      EXPECT_TRUE(ListRows(detail.lvCond).empty());
      EXPECT_STREQ("", detail.m_szPath);
      Click(detail.btnOK);
    });
    DoubleClickRow(d.lvFile, 0);
    SelectRow(d.lvFile, 0);
    Click(d.btnOK);
  }));
  ASSERT_EQ(1u, rows.size());
  EXPECT_EQ((Cells{"lost.bak", "", "lost"}), rows[0]);
  EXPECT_TRUE(detailSeen);
  ASSERT_EQ(1u, shown.size());
  ExpectMessage(0, "Can not open the backup file \"" + Prog("lost.bak") + "\".", "Error", kErr);
  EXPECT_TRUE(History().empty());
}

TEST_F(BackupTest, AnEmptySetStillConfirmsAndTheRestoreDialogWantsARow) {
  Start();
  ASSERT_TRUE(ktest::WriteBytes(Prog("empty.bak"), {}));
  AddSet("empty.bak", "");
  HWND dialog = nullptr;
  ASSERT_TRUE(RunDialog(fm->sbtnRestoreCond, TfmRestore::kClassName, [&](kui::ModalWindow& w) {
    auto& d = static_cast<TfmRestore&>(w);
    dialog = d.hwnd();
    Click(d.btnOK);
    EXPECT_FALSE(d.IsModalEnded());
    SelectRow(d.lvFile, 0);
    Click(d.btnOK);
  }));
  ASSERT_EQ(2u, shown.size());
  EXPECT_EQ("No backup file is selected.", shown[0].text);
  EXPECT_EQ(dialog, rawOwners[0]);
  ExpectMessage(1, "Conduit settings restored successfully.", "Information", kInfo);
}

TEST_F(BackupTest, TheDetailWindowListsEveryStoredRecordInBlueGlass) {
  WriteSkin(2);
  Start();
  CondInfo origin0 = SetRecord("mine", "C:\\x\\mine.dll", "Made here", kStatusInstalled);
  origin0.nOrigin = 0;
  ASSERT_TRUE(WriteRecords(Prog("all.bak"),
                       {SetRecord("addr", "C:\\a\\addr.dll", "Address", kStatusInstalled),
                        SetRecord("memo", "C:\\a\\memo.dll", "Memo", kStatusMissing),
                        SetRecord("todo", "C:\\a\\todo.dll", "To Do", kStatusRemoved), origin0}));
  AddSet("all.bak", "");
  std::vector<Cells> rows;
  std::string label, title;
  int frameTheme = -1, listTheme = -1;
  SIZE size{};
  ASSERT_TRUE(RunDialog(fm->sbtnBackup, TfmBackup::kClassName, [&](kui::ModalWindow& w) {
    auto& d = static_cast<TfmBackup&>(w);
    kui::SetNextModalAction(TfmBakDetail::kClassName, [&](kui::ModalWindow& dw) {
      auto& detail = static_cast<TfmBakDetail&>(dw);
      title = Text(detail.hwnd());
      size = ClientSize(detail.hwnd());
      label = Text(detail.lblDesc);
      rows = ListRows(detail.lvCond);
      frameTheme = ThemeOf(detail.hwnd());
      listTheme = ThemeOf(detail.lvCond);
      Click(detail.btnOK);
    });
    DoubleClickRow(d.lvFile, 0);
    EXPECT_FALSE(d.IsModalEnded());  // back in the backup dialog
  }));
  EXPECT_EQ("Kestrin Backup Information", title);
  EXPECT_EQ(555, size.cx);
  EXPECT_EQ(316, size.cy);
  EXPECT_EQ("Conduit information in \"" + Prog("all.bak") + "\" :", label);
  EXPECT_EQ((std::vector<Cells>{{"Address", "addr", "C:\\a\\addr.dll"},
                                {"Memo", "memo", "C:\\a\\memo.dll"},
                                {"To Do", "todo", "C:\\a\\todo.dll"},
                                {"Made here", "mine", "C:\\x\\mine.dll"}}),
            rows);
  EXPECT_EQ(static_cast<int>(kui::Theme::BlueGlass), frameTheme);
  EXPECT_EQ(static_cast<int>(kui::Theme::BlueGlass), listTheme);
  EXPECT_TRUE(shown.empty());
}

TEST_F(BackupTest, TheBackupAndRestoreDialogsTakeTheSkinOnTheirListedParts) {
  WriteSkin(3);
  Start();
  const int xp = static_cast<int>(kui::Theme::WinXP);
  ASSERT_TRUE(RunDialog(fm->sbtnBackup, TfmBackup::kClassName, [&](kui::ModalWindow& w) {
    auto& d = static_cast<TfmBackup&>(w);
    EXPECT_EQ((std::vector<std::string>{"sfBackup", "rbtnNew", "edtNewFile", "rbtnExist", "lvFile",
                                        "btnOK", "btnCancel"}),
              d.tmBackup.Themed());
    for (HWND h : {d.hwnd(), d.rbtnNew, d.edtNewFile, d.rbtnExist, d.lvFile, d.btnOK, d.btnCancel}) {
      EXPECT_EQ(xp, ThemeOf(h));
    }
    EXPECT_EQ(-1, ThemeOf(d.edtDesc));
    EXPECT_EQ(-1, ThemeOf(d.Label1));
  }));
  ASSERT_TRUE(RunDialog(fm->sbtnRestoreCond, TfmRestore::kClassName, [&](kui::ModalWindow& w) {
    auto& d = static_cast<TfmRestore&>(w);
    EXPECT_EQ((std::vector<std::string>{"sfRestore", "lvFile", "btnOK", "btnCancel"}),
              d.tmRestore.Themed());
    for (HWND h : {d.hwnd(), d.lvFile, d.btnOK, d.btnCancel}) EXPECT_EQ(xp, ThemeOf(h));
  }));
}

}  // namespace
}  // namespace dtest
