// The start after a run that stopped inside a conduit library: the question, the skipped
// library's row, and the ways it leaves the skip list, through the real main window.
#include <windows.h>

#include "format/SkipList.h"
#include "InstallFixture.h"
#include "palm/LibraryPath.h"
#include "palm/SafeLoad.h"

namespace itest {
namespace {

using Bytes = std::vector<unsigned char>;

class SafeStartTest : public InstallTest {
 protected:
  void SetUp() override {
    InstallTest::SetUp();
    lib = CopyConduit(dir, "addrcond.dll", "stopped.dll");
    char sz[MAX_PATH];
    ASSERT_TRUE(ResolveLibraryPath(lib.c_str(), sz));
    full = sz;
    Register("stop", lib, "Registered Title");
  }
  // The marker as a run leaves it that ended inside the library.
  void StoppedIn(const std::string& path) {
    Bytes b(260, 0);
    memcpy(b.data(), path.data(), path.size());
    ASSERT_TRUE(ktest::WriteBytes(marker, b));
  }
  std::vector<SkipEntry> Skips() const {
    std::vector<SkipEntry> v;
    LoadSkipList(skips.c_str(), v);
    return v;
  }
  bool Loaded() const { return GetModuleHandleA(full.c_str()) != nullptr; }
  std::string Question() const {
    return "Kestrin stopped while loading the conduit library \"" + full +
           "\". Start without loading it?";
  }
  Row NotLoadedRow() const { return {"Registered Title", "stop", lib + " ( not loaded ).", 2}; }
  Row LoadedRow() const { return {"Address Book", "stop", lib, 0}; }

  std::string lib, full;
  std::string marker = dir.file("KestrinLoad.dat");
  std::string skips = dir.file("KestrinSkip.dat");
};

TEST_F(SafeStartTest, YesStartsWithoutTheLibraryUntilItIsUninstalled) {
  StoppedIn(full);
  answers = {IDYES};
  Start();
  ASSERT_EQ(1u, shown.size());
  EXPECT_EQ(Question(), shown[0].text);
  EXPECT_STREQ("Confirm", shown[0].caption.c_str());
  EXPECT_EQ(static_cast<UINT>(MB_ICONQUESTION), shown[0].icon);
  EXPECT_EQ(static_cast<UINT>(MB_YESNO), shown[0].buttons);
  EXPECT_EQ(nullptr, rawOwners[0]) << "asked before any window shows";
  EXPECT_EQ(Bytes(260, 0), ktest::ReadBytes(marker));
  ASSERT_EQ(1u, Skips().size());
  EXPECT_EQ(full, Skips()[0].szPath);
  EXPECT_EQ(std::vector<Row>{NotLoadedRow()}, AppRows());
  EXPECT_FALSE(Loaded());

  Click(fm->sbtnRefresh);
  EXPECT_EQ(std::vector<Row>{NotLoadedRow()}, AppRows());
  EXPECT_FALSE(Loaded());

  OnDialog([](TfmCondProp&) {});  // its properties open; cancelled
  Click(fm->sbtnAppProp);
  EXPECT_TRUE(seen.opened);
  EXPECT_EQ("Registered Title", seen.title);

  Restart();
  EXPECT_TRUE(shown.empty()) << "the marker was cleared: nothing to ask";
  EXPECT_EQ(std::vector<Row>{NotLoadedRow()}, AppRows());

  answers = {IDYES, IDOK};
  Click(fm->sbtnUninst);
  EXPECT_FALSE(IsRegistered("stop"));
  EXPECT_TRUE(Skips().empty()) << "an uninstalled conduit leaves the skip list";
}

TEST_F(SafeStartTest, NoLoadsTheLibraryAsUsual) {
  StoppedIn(full);
  answers = {IDNO};
  Start();
  ASSERT_EQ(1u, shown.size());
  EXPECT_EQ(Question(), shown[0].text);
  EXPECT_EQ(Bytes(260, 0), ktest::ReadBytes(marker));
  EXPECT_TRUE(Skips().empty());
  EXPECT_EQ(std::vector<Row>{LoadedRow()}, AppRows());
  EXPECT_TRUE(Loaded());
}

TEST_F(SafeStartTest, PickingTheLibraryThroughInstallLoadsItAgain) {
  StoppedIn(full);
  answers = {IDYES};
  Start();
  ASSERT_EQ(1u, Skips().size());
  shown.clear();
  Install(lib, [](TfmCondProp&) {});  // cancelled: the probe alone counts
  EXPECT_TRUE(seen.opened) << "the probe loaded it and found a conduit";
  EXPECT_EQ("Address Book", seen.title);
  EXPECT_TRUE(Skips().empty());
}

}  // namespace
}  // namespace itest
