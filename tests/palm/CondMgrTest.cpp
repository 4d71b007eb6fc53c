// The conduit catalogue: loading both catalogues, finding, adding, registering and removing.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "format/KxText.h"
#include "palm/CondMgr.h"
#include "PalmTest.h"
#include "TestSupport.h"

using namespace ptest;

namespace {

CondInfo MakeInfo(const char* creator, const std::string& conduit) {
  CondInfo info{};
  kx::CopyText(info.szCreatorID, creator);
  kx::CopyText(info.szConduit, conduit.c_str());
  return info;
}

std::vector<std::string> Creators(CCondMgr& mgr) {
  std::vector<std::string> out;
  for (CondInfo* p = mgr.GetFirst(); p; p = mgr.GetNext()) out.push_back(p->szCreatorID);
  return out;
}

class CondMgrTest : public PalmTest {
 protected:
  void SetUp() override {
    PalmTest::SetUp();
    ASSERT_TRUE(LoadPalmLibraries(kPalmAll));
  }
};

// What the main window shows after start-up: both catalogues as registered.
TEST_F(CondMgrTest, CataloguesListWhatIsRegistered) {
  CCondMgr mgr;
  CondInfo addr = MakeInfo("addr", Conduit("addrcond.dll"));
  kx::CopyText(addr.szDirectory, "AddressBook");
  kx::CopyText(addr.szFile, "address.dat");
  kx::CopyText(addr.szRemote, "AddressDB");
  kx::CopyText(addr.szName, "Addresses");
  addr.nPriority = 4;
  ASSERT_TRUE(mgr.RegisterConduit(&addr));
  EXPECT_EQ(kStatusInstalled, addr.nStatus);
  WriteApplication(1, "C:\\Gone\\memocond.dll", "memo");
  SetText(AppKey(1), "Title", "Memo Pad Title");
  WriteInstallConduit(0, Conduit("instcond.dll"), "inst", "Install Handheld Files");

  CCondMgr app;
  EXPECT_TRUE(app.Load(kLoadApplication));
  ASSERT_EQ(2u, app.GetCount());
  CondInfo* a = app.GetFirst();
  EXPECT_STREQ("addr", a->szCreatorID);
  EXPECT_EQ(0x61646472u, a->dwCreatorID);
  EXPECT_EQ(Conduit("addrcond.dll"), a->szConduit);
  EXPECT_STREQ("AddressBook", a->szDirectory);
  EXPECT_STREQ("address.dat", a->szFile);
  EXPECT_STREQ("AddressDB", a->szRemote);
  EXPECT_EQ(4, a->nPriority);
  EXPECT_STREQ("Address Book", a->szName);  // the library's own name beats the title
  EXPECT_EQ(kStatusInstalled, a->nStatus);
  EXPECT_EQ(kOriginRegistered, a->nOrigin);
  ASSERT_NE(nullptr, GetCondObj(*a));
  EXPECT_TRUE(GetCondObj(*a)->IsConduit());

  CondInfo* m = app.GetNext();
  ASSERT_NE(nullptr, m);
  EXPECT_STREQ("memo", m->szCreatorID);
  EXPECT_EQ(kStatusMissing, m->nStatus);
  EXPECT_STREQ("Memo Pad Title", m->szName);  // no library to ask: the registered title
  EXPECT_EQ(nullptr, app.GetNext());

  CCondMgr sys;
  EXPECT_TRUE(sys.Load(kLoadSystem));
  ASSERT_EQ(2u, sys.GetCount());
  CondInfo* i = sys.GetFirst();
  EXPECT_STREQ("inst", i->szCreatorID);
  EXPECT_EQ(kStatusMissing, i->nStatus);
  EXPECT_EQ(kOriginInstall, i->nOrigin);
  EXPECT_STREQ("Install Handheld Files", i->szName);
  CondInfo* b = sys.GetNext();
  EXPECT_EQ(kBackupCreatorID, b->dwCreatorID);
  EXPECT_EQ(Conduit("backup.dll"), b->szConduit);
  EXPECT_STREQ("Backup", b->szName);
  EXPECT_STREQ("", b->szCreatorID);
  EXPECT_EQ(kStatusMissing, b->nStatus);
  EXPECT_EQ(kOriginBackup, b->nOrigin);
}

TEST_F(CondMgrTest, MissingLibraryIsKeptOnlyWhenAskedAndNamed) {
  WriteApplication(0, Conduit("addrcond.dll"), "addr");
  WriteApplication(1, "C:\\Gone\\memocond.dll", "memo");
  WriteApplication(2, "", "todo");
  struct Case {
    unsigned flags;
    std::vector<std::string> creators;
  };
  const Case cases[] = {
      {kLoadRegistered | kLoadKeepMissing, {"addr", "memo"}},
      {kLoadRegistered, {"addr"}},
  };
  CCondMgr mgr;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    mgr.Load(c.flags);
    EXPECT_EQ(c.creators, Creators(mgr));
  }
}

// Stands in for CmGetCreatorName: the same creator reported with the libraries below in turn.
std::vector<std::string> g_libraries;
size_t g_nextLibrary;
int WINAPI FakeGetCreatorName(char*, char* buf, int* cap) {
  snprintf(buf, *cap, "%s", g_libraries[g_nextLibrary++ % g_libraries.size()].c_str());
  return 0;
}

TEST_F(CondMgrTest, DuplicateRegistrationsAreListedOnce) {
  // The same creator and library twice: the second is skipped.
  WriteApplication(0, Conduit("addrcond.dll"), "addr");
  WriteApplication(1, Conduit("addrcond.dll"), "addr");
  CCondMgr mgr;
  mgr.Load(kLoadApplication);
  EXPECT_EQ(1u, mgr.GetCount());

  // The same creator with two libraries stays twice; a repeat in other letter case does not.
  WriteApplication(2, Conduit("addrcond.dll"), "addr");
  g_libraries = {Conduit("addrcond.dll"), Conduit("datecond.dll"),
                 Conduit("ADDRCOND.DLL")};
  g_nextLibrary = 0;
  palm::Entry(palm::CmEntry::CmGetCreatorName) =
      reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&FakeGetCreatorName));
  mgr.Load(kLoadApplication);
  ASSERT_EQ(2u, mgr.GetCount());
  EXPECT_EQ(Conduit("addrcond.dll"), mgr.GetFirst()->szConduit);
  EXPECT_EQ(Conduit("datecond.dll"), mgr.GetNext()->szConduit);
}

TEST_F(CondMgrTest, PriorityOutsideOneToFiveRegistersTwo) {
  const int cases[][2] = {{0, 2}, {9, 2}, {-1, 2}, {6, 2}, {1, 1}, {3, 3}, {5, 5}};
  CCondMgr mgr, check;
  for (const auto& c : cases) {
    SCOPED_TRACE(c[0]);
    CondInfo info = MakeInfo("addr", Conduit("addrcond.dll"));
    info.nPriority = c[0];
    ASSERT_TRUE(mgr.RegisterConduit(&info));
    EXPECT_EQ(c[0], info.nPriority);
    check.Load(kLoadApplication);
    ASSERT_EQ(1u, check.GetCount());
    EXPECT_EQ(c[1], check.GetFirst()->nPriority);
  }
}

TEST_F(CondMgrTest, MissingSetTitleFailsTheLastStep) {
  palm::Entry(palm::CmEntry::CmSetCreatorTitle) = nullptr;
  EXPECT_EQ(kPalmMissing, palm::CmSetCreatorTitle("addr", "x"));
  CondInfo info = MakeInfo("addr", Conduit("addrcond.dll"));
  kx::CopyText(info.szRemote, "AddressDB");
  kx::CopyText(info.szName, "Address");
  info.nStatus = kStatusRemoved;
  CCondMgr mgr;
  EXPECT_FALSE(mgr.RegisterConduit(&info));
  EXPECT_EQ(kStatusRemoved, info.nStatus);
  std::string remote;
  EXPECT_TRUE(GetText(AppKey(0), "Remote", &remote));
  EXPECT_EQ("AddressDB", remote);
  EXPECT_FALSE(HasValue(AppKey(0), "Title"));
}

TEST_F(CondMgrTest, FailingSetFileStopsTheSequenceButNotTheMirrorFixUp) {
  SetFault("CmSetCreatorFile", 0xFFFFFFFF);
  CondInfo info = MakeInfo("PAdd", Conduit("XYMirror.dll"));
  kx::CopyText(info.szDirectory, "Mirror");
  kx::CopyText(info.szFile, "mirror.dat");
  kx::CopyText(info.szRemote, "MirrorDB");
  kx::CopyText(info.szName, "XY");
  info.nPriority = 3;
  CCondMgr mgr;
  EXPECT_FALSE(mgr.RegisterConduit(&info));
  EXPECT_EQ(kStatusMissing, info.nStatus);

  std::string text;
  EXPECT_TRUE(GetText(AppKey(0), "Conduit", &text));
  EXPECT_TRUE(GetText(AppKey(0), "Directory", &text));
  for (const char* value : {"File", "Priority", "Remote", "Title"})
    EXPECT_FALSE(HasValue(AppKey(0), value)) << value;
  ASSERT_TRUE(GetText(AppKey(0), "UiModule", &text));
  EXPECT_EQ("MirrXTUI.dll", text);
  ASSERT_TRUE(GetText(AppKey(0), "UiEntry", &text));
  EXPECT_EQ("XYSettings", text);
}

TEST_F(CondMgrTest, RemoveSetsStatusFirstAndSucceedsOnlyOnOne) {
  struct Case {
    const char* what;
    std::string library;
    long fault;  // -1: none
    bool result;
    int status;
    bool keyLeft;
  };
  const Case cases[] = {
      {"removed", Conduit("addrcond.dll"), -1, true, kStatusRemoved, false},
      {"library gone", "C:\\Gone\\addrcond.dll", -1, true, kStatusMissing, false},
      {"answers 2", Conduit("addrcond.dll"), 2, false, kStatusRemoved, true},
      {"answers 0", Conduit("addrcond.dll"), 0, false, kStatusRemoved, true},
  };
  CCondMgr mgr;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Clean();
    ASSERT_TRUE(LoadPalmLibraries(kPalmAll));
    WriteApplication(0, c.library, "addr");
    if (c.fault >= 0) SetFault("CmRemoveConduitByCreatorID", static_cast<DWORD>(c.fault));
    CondInfo info = MakeInfo("addr", c.library);
    info.nStatus = kStatusInstalled;
    EXPECT_EQ(c.result, mgr.RemoveConduit(&info));
    EXPECT_EQ(c.status, info.nStatus);
    EXPECT_EQ(c.keyLeft, HasValue(AppKey(0), "Conduit"));
  }
  // Nothing registered under the creator: the Conduit Manager answers 0.
  CondInfo none = MakeInfo("zzzz", Conduit("addrcond.dll"));
  EXPECT_FALSE(mgr.RemoveConduit(&none));
  EXPECT_FALSE(mgr.RemoveConduit(nullptr));
  EXPECT_FALSE(mgr.RegisterConduit(nullptr));
}

TEST_F(CondMgrTest, InstallConduitRecordsAndAFailingIndex) {
  std::string longName(100, 'N');
  WriteInstallConduit(0, Conduit("instcond.dll"), "inst", "Ignored: the library names itself");
  WriteInstallConduit(1, Conduit("addrcond.dll"), "fail", "Skipped");
  WriteInstallConduit(2, "C:\\Gone\\card.dll", "Card", longName);
  SetFault("PltGetInstallConduitInfoFailIndex", 1);
  CCondMgr sys;
  sys.Load(kLoadInstall);
  ASSERT_EQ(2u, sys.GetCount());

  CondInfo* a = sys.GetFirst();
  EXPECT_STREQ("inst", a->szCreatorID);
  EXPECT_EQ(0, memcmp(&a->dwCreatorID, "inst", 4));  // the same four bytes as a number
  EXPECT_EQ(Conduit("instcond.dll"), a->szConduit);
  EXPECT_STREQ("Install Handheld Files", a->szName);
  EXPECT_EQ(kStatusMissing, a->nStatus);
  EXPECT_EQ(kOriginInstall, a->nOrigin);

  CondInfo* c = sys.GetNext();
  EXPECT_STREQ("Card", c->szCreatorID);
  EXPECT_EQ(0, memcmp(&c->dwCreatorID, "Card", 4));
  EXPECT_STREQ("C:\\Gone\\card.dll", c->szConduit);
  EXPECT_EQ(longName.substr(0, 63), c->szName);  // cut inside its field
  EXPECT_EQ(kStatusMissing, c->nStatus);
}

TEST_F(CondMgrTest, SystemCatalogueWithoutInstallAideHoldsTheBackupOnly) {
  WriteInstallConduit(0, Conduit("instcond.dll"), "inst", "Install");
  FreePalmLibraries(kPalmInstAide);
  CCondMgr sys;
  sys.Load(kLoadSystem);
  ASSERT_EQ(1u, sys.GetCount());
  EXPECT_EQ(kBackupCreatorID, sys.GetFirst()->dwCreatorID);
  EXPECT_EQ(kOriginBackup, sys.GetFirst()->nOrigin);
}

TEST(CondMgrFindTest, MatchesCreatorAndPathWithoutCaseAndThroughTheShortForm) {
  ktest::TempDir dir("findpaths");
  std::string longPath = dir.file("Address Book Conduit.dll");
  ASSERT_TRUE(ktest::WriteBytes(longPath, {'M', 'Z'}));
  char shortPath[MAX_PATH] = {};
  ASSERT_NE(0u, GetShortPathNameA(longPath.c_str(), shortPath, MAX_PATH));
  ASSERT_NE(longPath, shortPath);

  CCondMgr mgr;
  CondInfo* held = new CondInfo(MakeInfo("addr", shortPath));
  ASSERT_TRUE(mgr.Add(held));
  CondInfo* other = new CondInfo(MakeInfo("date", "C:\\Palm\\datecond.dll"));
  ASSERT_TRUE(mgr.Add(other));

  std::string upper = "C:\\PALM\\DATECOND.DLL";
  struct Case {
    const char* creator;
    const char* path;
    CondInfo* found;
  };
  const Case cases[] = {
      {"ADDR", longPath.c_str(), held},     // through the short form
      {"addr", shortPath, held},
      {"DATE", upper.c_str(), other},       // letter case of both
      {"date", longPath.c_str(), nullptr},  // creator differs
      {"addr", "C:\\Palm\\datecond.dll", nullptr},
      {"", shortPath, nullptr},
      {"addr", "", nullptr},
      {nullptr, shortPath, nullptr},
      {"addr", nullptr, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.creator ? c.creator : "(null)") + " " + (c.path ? c.path : ""));
    EXPECT_EQ(c.found, mgr.Find(c.creator, c.path));
  }

  // A path without a short form (no such file) matches only as it is.
  CondInfo* gone = new CondInfo(MakeInfo("gone", "C:\\Gone\\Long Named Conduit.dll"));
  ASSERT_TRUE(mgr.Add(gone));
  EXPECT_EQ(gone, mgr.Find("GONE", "c:\\gone\\long named conduit.dll"));
}

TEST(CondMgrFindTest, AddRefusesNullAndRecordsAlreadyHeld) {
  CCondMgr mgr;
  EXPECT_FALSE(mgr.Add(nullptr));
  EXPECT_FALSE(mgr.Contains(nullptr));
  CondInfo* first = new CondInfo(MakeInfo("addr", "C:\\Palm\\addrcond.dll"));
  CondInfo* second = new CondInfo(MakeInfo("date", "C:\\Palm\\datecond.dll"));
  ASSERT_TRUE(mgr.Add(first));
  ASSERT_TRUE(mgr.Add(second));
  EXPECT_EQ(nullptr, mgr.GetNext());  // Add leaves the cursor on the new record

  CondInfo same = MakeInfo("ADDR", "c:\\palm\\ADDRCOND.dll");
  EXPECT_TRUE(mgr.Contains(&same));
  EXPECT_FALSE(mgr.Add(&same));  // still the caller's: it lives on the stack
  EXPECT_EQ(2u, mgr.GetCount());
  EXPECT_EQ(first, mgr.GetFirst());
  EXPECT_EQ(second, mgr.GetNext());
}

}  // namespace
