// Conduit libraries that cannot be loaded: a file that is no DLL at all, and a DLL whose
// DllMain refuses or crashes. Both are shown as missing where the tables decide by loading.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/ListRows.h"
#include "palm/CondMgr.h"
#include "palm/PalmLibs.h"
#include "PalmTest.h"
#include "TestSupport.h"

using namespace ptest;

namespace {

class LibraryFaults : public PalmTest {
 protected:
  void SetUp() override {
    PalmTest::SetUp();
    ASSERT_TRUE(LoadPalmLibraries(kPalmAll));
    const std::string text = "This is a text file, renamed.\r\n";
    ASSERT_TRUE(ktest::WriteBytes(textDll, std::vector<unsigned char>(text.begin(), text.end())));
    ASSERT_TRUE(ktest::WriteBytes(emptyDll, {}));
    ASSERT_TRUE(ktest::WriteBytes(stubDll, {'M', 'Z', 0x90, 0}));
  }

  ktest::TempDir dir{"faults_libs"};
  std::string textDll = dir.file("notes.dll");
  std::string emptyDll = dir.file("empty.dll");
  std::string stubDll = dir.file("stub.dll");  // starts like an executable, then ends

  struct Case {
    const char* what;
    std::string path;
  };
  std::vector<Case> Cases() const {
    return {{"a text file renamed .dll", textDll},
            {"an empty file", emptyDll},
            {"a file cut after its MZ mark", stubDll},
            {"a DLL whose DllMain refuses to load", Conduit("refuse.dll")},
            {"a DLL whose DllMain crashes (the loader catches it)", Conduit("maincrash.dll")}};
  }
};

TEST_F(LibraryFaults, ProbeFindsNoConduit) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.what);
    CCondObj obj(c.path.c_str());
    EXPECT_FALSE(obj.IsOpen());
    EXPECT_FALSE(obj.IsConduit());
    char buf[64] = "untouched";
    EXPECT_EQ(kPalmMissing, obj.GetName(buf, sizeof buf));
    EXPECT_STREQ("untouched", buf);
    EXPECT_EQ(nullptr, GetModuleHandleA(c.path.c_str()));
  }
}

// The system table shows picture 2 and the not-found text; the application catalogue keeps the
// status of the file's presence, with the registered title and a closed module object.
TEST_F(LibraryFaults, CataloguesShowTheLibraryAsNotLoaded) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.what);
    WriteApplication(0, c.path, "junk");
    SetText(AppKey(0), "Title", "Junk Title");
    WriteInstallConduit(0, c.path, "junk", "Junk Install");

    CCondMgr sys;
    ASSERT_TRUE(sys.Load(kLoadSystem));
    CondInfo* s = sys.GetFirst();
    ASSERT_NE(nullptr, s);
    ASSERT_EQ(c.path, s->szConduit);
    CCondObj* sobj = GetCondObj(*s);
    ASSERT_NE(nullptr, sobj);
    EXPECT_FALSE(sobj->IsOpen());
    const CondRow srow = SysRow(*s, sobj->IsConduit());
    EXPECT_EQ(kImgMissing, srow.image);
    EXPECT_EQ(c.path + " ( file not found ).", srow.file);
    EXPECT_EQ("Junk Install", srow.name);

    CCondMgr app;
    ASSERT_TRUE(app.Load(kLoadApplication));
    ASSERT_EQ(1u, app.GetCount());
    CondInfo* a = app.GetFirst();
    EXPECT_EQ(kStatusInstalled, a->nStatus) << "the status says the file is there";
    EXPECT_STREQ("Junk Title", a->szName) << "no library answered for its name";
    ASSERT_NE(nullptr, GetCondObj(*a));
    EXPECT_FALSE(GetCondObj(*a)->IsOpen());
    EXPECT_FALSE(GetCondObj(*a)->IsConduit());
  }
}

}  // namespace
