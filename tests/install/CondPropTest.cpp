// The conduit properties dialog in its three modes, opened through the main window's commands.
#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <stdexcept>

#include "format/KxAssert.h"
#include "InstallFixture.h"
#include "palm/CondMgr.h"

namespace itest {
namespace {

using ptest::Conduit;

void DoubleClick(HWND main, HWND table) {
  NMITEMACTIVATE nm{};
  nm.hdr.hwndFrom = table;
  nm.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(table));
  nm.hdr.code = NM_DBLCLK;
  SendMessageA(main, WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
}

TEST_F(InstallTest, DialogLayoutSkinAndCreatorIDPage) {
  WritePrivateProfileStringA("Kestrin", "SkinType", "4", dir.file("orlenta.ini").c_str());
  Register("addr", Conduit("addrcond.dll"), "A");
  Start();
  OnDialog([&](TfmCondProp& d) {
    char text[64];
    GetWindowTextA(d.hwnd(), text, sizeof text);
    EXPECT_STREQ("Conduit Properties", text);
    RECT rc;
    GetClientRect(d.hwnd(), &rc);
    EXPECT_EQ(376, rc.right);
    EXPECT_EQ(404, rc.bottom);
    EXPECT_EQ(fm->hwnd(), GetWindow(d.hwnd(), GW_OWNER));
    EXPECT_FALSE(IsWindowEnabled(fm->hwnd()));  // modal
    for (HWND e : {d.edtFileName, d.edtVersion}) {
      EXPECT_NE(0, GetWindowLongA(e, GWL_STYLE) & ES_READONLY);
    }
    // No limit of their own: a long text goes in whole.
    for (HWND e : {d.edtCreatorID, d.edtDirectory, d.edtFile, d.edtPriority, d.edtPalmDB}) {
      EXPECT_GE(SendMessageA(e, EM_GETLIMITTEXT, 0, 0), 30000);
    }
    EXPECT_EQ("&OK", Text(d.sbtnOK));
    EXPECT_EQ("&Cancel", Text(d.sbtnCancel));
    EXPECT_EQ(" HotSync Settings ", Text(d.gbSync));
    EXPECT_EQ(" Misc. Conduit Info. ", Text(d.gbMisc));
    EXPECT_EQ(kui::Theme::Protein, d.tmCond.GetTheme());
    EXPECT_EQ(d.tmCond.Components(), d.tmCond.Themed());
    Click(d.sbtnCreatorID);
    Click(d.sbtnCancel);
  });
  Click(fm->sbtnAppProp);
  ASSERT_TRUE(seen.opened);
  EXPECT_TRUE(IsWindowEnabled(fm->hwnd()));
  ASSERT_EQ(1u, opened.size());
  EXPECT_EQ(std::string(kWebHost) + "/kestrin/new.htm?ref=app", opened[0]);
  SendMessageA(fm->hwnd(), WM_COMMAND, MAKEWPARAM(IDC_LBL_WEB, STN_CLICKED),
               reinterpret_cast<LPARAM>(fm->lblWeb));
  ASSERT_EQ(2u, opened.size());
  EXPECT_EQ(std::string(kWebHost) + "/kestrin/index.htm", opened[1]);  // one host for both
}

TEST_F(InstallTest, SystemConduitShowsItsNumberAndOKWritesNothing) {
  ptest::WriteInstallConduit(0, Conduit("instcond.dll"), "inst", "Install");
  ptest::SetText(ptest::kCoreKey, "BackupConduit", Conduit("backup.dll"));
  Register("addr", Conduit("addrcond.dll"), "A");
  Start();
  ptest::SetFault("CmSetCreatorDirectory", 5);  // any call would now be refused and reported
  ptest::SetFault("CmInstallCreator", 5);
  uint32_t inst;
  memcpy(&inst, "inst", 4);
  char hex[16];
  snprintf(hex, sizeof hex, "0x%x", inst);
  struct Case {
    int row;
    std::string creator;
    std::string version;
  } cases[] = {{0, hex, "4.0.0.0005"}, {1, "0xffffffff", "4.0.0.0006"}};
  for (const Case& c : cases) {
    ListView_SetItemState(fm->slvSys, c.row, LVIS_SELECTED, LVIS_SELECTED);
    OnDialog([](TfmCondProp& d) {
      Type(d.edtDirectory, "elsewhere");
      Type(d.edtPriority, "0");
      Click(d.sbtnOK);
    });
    if (c.row == 0) {
      Click(fm->sbtnSysProp);
    } else {
      DoubleClick(fm->hwnd(), fm->slvSys);
    }
    ASSERT_TRUE(seen.opened) << c.creator;
    EXPECT_EQ(c.creator, seen.creator);
    EXPECT_FALSE(seen.creatorEnabled);
    EXPECT_EQ(c.version, seen.version);
    EXPECT_FALSE(seen.stayedOpen);
  }
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ("", Registered("addr", "Directory"));
}

TEST_F(InstallTest, ApplicationConduitOKWritesTheSettingsBack) {
  const std::string s32(32, 'd'), s31(31, 'd');
  struct Case {
    const char* priority;
    std::string directory;
    int recordPriority;
    const char* sentPriority;
    std::string keptDirectory;
  } cases[] = {
      {"3", "address", 3, "3", "address"},   {"9", "address", 9, "2", "address"},
      {"0", "address", 2, "2", "address"},   {"-4", "address", 2, "2", "address"},
      {"abc", "address", 2, "2", "address"}, {" 5 x", s32, 5, "5", s31},
  };
  Register("addr", Conduit("addrcond.dll"), "A");
  Start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.priority);
    OnDialog([&](TfmCondProp& d) {
      Type(d.edtPriority, c.priority);
      Type(d.edtDirectory, c.directory);
      Type(d.edtFile, s32 + "x");
      Type(d.edtPalmDB, "AddressDB");
      Click(d.sbtnOK);
    });
    DoubleClick(fm->hwnd(), fm->slvApp);
    ASSERT_TRUE(seen.opened);
    EXPECT_FALSE(seen.stayedOpen);
    EXPECT_FALSE(seen.creatorEnabled);
    EXPECT_EQ("addr", seen.creator);
    EXPECT_EQ("4.1.0.0023", seen.version);
    const CondInfo* rec = RowRecord(0);
    EXPECT_EQ(c.recordPriority, rec->nPriority);
    EXPECT_EQ(c.keptDirectory, rec->szDirectory);
    EXPECT_EQ(s31, rec->szFile);
    EXPECT_STREQ("addr", rec->szCreatorID);
    EXPECT_EQ(c.sentPriority, Registered("addr", "Priority"));
    EXPECT_EQ(c.keptDirectory, Registered("addr", "Directory"));
    EXPECT_EQ(s31, Registered("addr", "File"));
    EXPECT_EQ("AddressDB", Registered("addr", "Remote"));
  }
  EXPECT_TRUE(shown.empty());
  EXPECT_TRUE(History().empty());  // a settings update is not an install
}

TEST_F(InstallTest, RefusedSettingsAreReportedAndTheDialogStaysOpen) {
  Register("addr", Conduit("addrcond.dll"), "A");
  Start();
  ptest::SetFault("CmSetCreatorFile", 0xFFFFFFFF);
  OnDialog([](TfmCondProp& d) {
    Type(d.edtDirectory, "newdir");
    Type(d.edtPalmDB, "NewDB");
    Click(d.sbtnOK);
  });
  Click(fm->sbtnAppProp);
  EXPECT_TRUE(seen.stayedOpen);
  ASSERT_EQ(1u, shown.size());
  ExpectMessage(0,
                "Conduit \"Address Book\" settings could not be saved. Please make sure that you "
                "have enough access rights to your system.",
                "Error", MB_ICONERROR);
  EXPECT_EQ("newdir", Registered("addr", "Directory"));  // sent before the refusal
  EXPECT_EQ("", Registered("addr", "Remote"));            // the chain stopped there
  EXPECT_STREQ("NewDB", RowRecord(0)->szRemote);          // the record keeps what was typed
}

TEST_F(InstallTest, CancelKeepsOnlyThePriorityRule) {
  Register("addr", Conduit("addrcond.dll"), "A");
  ptest::SetDword(ptest::AppKey(0), "Priority", 0);
  ktest::TempDir libs("install_libs");
  Register("gone", libs.file("gone.dll"), "Gone");
  Start();
  ASSERT_EQ(0, RowRecord(0)->nPriority);
  OnDialog([](TfmCondProp& d) {
    Type(d.edtDirectory, "typed");
    Click(d.sbtnCancel);
  });
  Click(fm->sbtnAppProp);
  EXPECT_EQ("2", seen.priority);
  EXPECT_EQ(2, RowRecord(0)->nPriority);
  EXPECT_STREQ("", RowRecord(0)->szDirectory);
  EXPECT_EQ("0", Registered("addr", "Priority"));

  // A conduit whose library is missing shows no version.
  SelectOnly({1});
  OnDialog([](TfmCondProp& d) { Click(d.sbtnCancel); });
  Click(fm->sbtnAppProp);
  EXPECT_EQ("0.0.0.0000", seen.version);
  EXPECT_TRUE(shown.empty());
}

TEST_F(InstallTest, CreatorDefaultsFillOnlyEmptyBoxesForExactIDs) {
  struct Case {
    const char* creator;
    const char* dirBefore;
    const char* fileBefore;
    const char* dirAfter;
    const char* fileAfter;
  } cases[] = {
      {"date", "", "", "datebook", "datebook.dat"},
      {"PAdd", "", "", "address", "address.dat"},
      {"Date", "", "", "", ""},
      {"MEMO", "", "", "", ""},
      {"PMem", "mine", "", "mine", "memopad.dat"},
      {"todo", "", "x.dat", "todo", "x.dat"},
      {"zzzz", "", "", "", ""},
  };
  Start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.creator);
    std::string dirAfter, fileAfter;
    Install(Conduit("datecond.dll"), [&](TfmCondProp& d) {
      Type(d.edtCreatorID, c.creator);
      Type(d.edtDirectory, c.dirBefore);
      Type(d.edtFile, c.fileBefore);
      LeaveCreator(d);
      dirAfter = Text(d.edtDirectory);
      fileAfter = Text(d.edtFile);
      Click(d.sbtnCancel);
    });
    EXPECT_EQ(c.dirAfter, dirAfter);
    EXPECT_EQ(c.fileAfter, fileAfter);
  }
  // The exit handler itself, as the dialog calls it.
  Install(Conduit("datecond.dll"), [&](TfmCondProp& d) {
    Type(d.edtCreatorID, "todo");
    d.edtCreatorIDExit();
    EXPECT_EQ("todo.dat", Text(d.edtFile));
    Click(d.sbtnCancel);
  });
  EXPECT_TRUE(AppRows().empty());
  EXPECT_TRUE(shown.empty());
}

TEST_F(InstallTest, OKOnARemovedConduitRestoresItWithTheEditedSettings) {
  WriteStore({StoreRecord("date", Conduit("datecond.dll"), "Date Book")});
  Start();
  OnDialog([](TfmCondProp& d) {
    Type(d.edtDirectory, "restored");
    Click(d.sbtnOK);
  });
  Click(fm->sbtnAppProp);
  EXPECT_FALSE(seen.creatorEnabled);
  EXPECT_FALSE(seen.stayedOpen);
  EXPECT_EQ("restored", Registered("date", "Directory"));
  EXPECT_EQ(0, AppRows()[0].image);
  EXPECT_TRUE(StoreRecords().empty());
  EXPECT_EQ((std::vector<int>{3}), Actions());
}

std::string g_assertExpr;

TEST_F(InstallTest, FillingWithoutARecordIsAViolatedPrecondition) {
  Start();
  TfmCondProp d;
  ASSERT_TRUE(d.Create(fm->hwnd()));
  EXPECT_EQ(nullptr, d.m_pData);
  // The handler throws so that nothing after the failed check runs.
  kx::AssertHandler old = kx::SetAssertHandler([](const char* expr, const char*, int) {
    g_assertExpr = expr;
    throw std::runtime_error("assertion");
  });
  EXPECT_THROW(d.ExchangeData(false), std::runtime_error);
  EXPECT_THROW(d.ExchangeData(true), std::runtime_error);
  kx::SetAssertHandler(old);
  EXPECT_EQ("m_pData", g_assertExpr);
}

}  // namespace
}  // namespace itest
