// Which file a registered library path means: found as HotSync would find it from the Palm
// Desktop folder, never in Kestrin's own folder, and never a folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ConduitKit.h"
#include "format/RemovedStore.h"
#include "palm/CondMgr.h"
#include "palm/LibraryPath.h"
#include "PalmTest.h"
#include "TestSupport.h"

using namespace ptest;

namespace {

std::string ModulePath(HMODULE h) {
  char sz[MAX_PATH] = {};
  GetModuleFileNameA(h, sz, MAX_PATH);
  return sz;
}

std::string SystemFolder() {
  char sz[MAX_PATH] = {};
  GetSystemDirectoryA(sz, MAX_PATH);
  return sz;
}

class LibraryPath : public PalmTest {
 protected:
  void SetUp() override {
    PalmTest::SetUp();
    ASSERT_TRUE(LoadPalmLibraries(kPalmAll));  // bound from the stand-in's folder
    SetDesktopPath(desktop.path());            // then a Palm Desktop folder of the test's own
  }
  void TearDown() override {
    for (const std::string& f : removeAfter) DeleteFileA(f.c_str());
    PalmTest::TearDown();
  }
  // Loads the application catalogue with one registration and hands its record to `check`.
  template <typename Fn>
  void LoadOne(const std::string& registered, Fn check) {
    WriteApplication(0, registered, "twin");
    CCondMgr app;
    ASSERT_TRUE(app.Load(kLoadApplication));
    ASSERT_EQ(1u, app.GetCount());
    check(*app.GetFirst());
  }

  ktest::TempDir desktop{"palm_desktop"};
  std::vector<std::string> removeAfter;
};

TEST_F(LibraryPath, ASameNamedLibraryInTheProgramFolderIsNeverLoaded) {
  const std::string own = ktest::ExeFolder() + "twinlib.dll";
  ASSERT_TRUE(CopyFileA(Conduit("nocond.dll").c_str(), own.c_str(), FALSE));
  removeAfter.push_back(own);

  LoadOne("twinlib.dll", [&](CondInfo& rec) {
    EXPECT_EQ(kStatusMissing, rec.nStatus) << "only the program folder has it";
    EXPECT_FALSE(GetCondObj(rec)->IsOpen());
    EXPECT_EQ(nullptr, GetModuleHandleA(own.c_str()));
  });

  const std::string palm = ktest::CopyConduit(desktop, "addrcond.dll", "twinlib.dll");
  LoadOne("twinlib.dll", [&](CondInfo& rec) {
    EXPECT_EQ(kStatusInstalled, rec.nStatus);
    EXPECT_STREQ("twinlib.dll", rec.szConduit) << "the record keeps the registered text";
    ASSERT_TRUE(GetCondObj(rec)->IsOpen());
    EXPECT_EQ(0, _stricmp(palm.c_str(), ModulePath(GetCondObj(rec)->GetModule()).c_str()));
    EXPECT_STREQ("Address Book", rec.szName);
    EXPECT_EQ(nullptr, GetModuleHandleA(own.c_str()));
  });
}

// depcond.dll imports kxdep.dll, which lies beside it; another kxdep.dll lies in the program
// folder, where the default search would look first.
TEST_F(LibraryPath, AConduitsOwnDllsComeFromItsFolderNotFromTheProgramFolder) {
  const std::string own = ktest::ExeFolder() + "kxdep.dll";
  ASSERT_TRUE(CopyFileA(Conduit("kxdepalt.dll").c_str(), own.c_str(), FALSE));
  removeAfter.push_back(own);
  {
    CCondObj obj(Conduit("depcond.dll").c_str());
    ASSERT_TRUE(obj.IsOpen());
    char name[64] = "";
    obj.GetName(name, sizeof name);
    EXPECT_STREQ("Beside the conduit", name);
    EXPECT_EQ(nullptr, GetModuleHandleA(own.c_str()));
  }
}

TEST_F(LibraryPath, ABareNameIsFoundInTheSystemFolder) {
  const std::string sys = SystemFolder() + "\\kxsyscond.dll";
  ASSERT_TRUE(CopyFileA(Conduit("addrcond.dll").c_str(), sys.c_str(), FALSE));
  removeAfter.push_back(sys);
  char full[MAX_PATH];
  ASSERT_TRUE(ResolveLibraryPath("kxsyscond.dll", full));
  EXPECT_EQ(0, _stricmp(sys.c_str(), full));

  LoadOne("kxsyscond.dll", [&](CondInfo& rec) {
    EXPECT_EQ(kStatusInstalled, rec.nStatus);
    ASSERT_TRUE(GetCondObj(rec)->IsOpen());
    EXPECT_EQ(0, _stricmp(sys.c_str(), ModulePath(GetCondObj(rec)->GetModule()).c_str()));
  });
}

TEST_F(LibraryPath, TheDesktopFolderComesBeforeTheSystemFolderAndRelativePathsWork) {
  const std::string sys = SystemFolder() + "\\kxfirst.dll";
  ASSERT_TRUE(CopyFileA(Conduit("nocond.dll").c_str(), sys.c_str(), FALSE));
  removeAfter.push_back(sys);
  const std::string palm = ktest::CopyConduit(desktop, "addrcond.dll", "kxfirst.dll");
  CreateDirectoryA((desktop.path() + "sub").c_str(), nullptr);
  const std::string nested = desktop.path() + "sub\\nested.dll";
  ASSERT_TRUE(CopyFileA(Conduit("addrcond.dll").c_str(), nested.c_str(), FALSE));
  removeAfter.push_back(nested);

  char full[MAX_PATH];
  ASSERT_TRUE(ResolveLibraryPath("kxfirst.dll", full));
  EXPECT_EQ(0, _stricmp(palm.c_str(), full));
  ASSERT_TRUE(ResolveLibraryPath("sub\\nested.dll", full));
  EXPECT_EQ(0, _stricmp(nested.c_str(), full));
  ASSERT_TRUE(ResolveLibraryPath("sub\\..\\kxfirst.dll", full));
  EXPECT_EQ(0, _stricmp(palm.c_str(), full));
  EXPECT_FALSE(ResolveLibraryPath("nowhere-at-all.dll", full));
  EXPECT_STREQ("", full);
  EXPECT_FALSE(ResolveLibraryPath("", full));
  DeleteFileA(nested.c_str());
  RemoveDirectoryA((desktop.path() + "sub").c_str());
}

TEST_F(LibraryPath, AFolderIsNoLibraryFile) {
  CreateDirectoryA((desktop.path() + "folder.dll").c_str(), nullptr);
  const std::string folder = desktop.path() + "folder.dll";
  const char* const paths[] = {"folder.dll", folder.c_str()};
  for (const char* p : paths) {
    SCOPED_TRACE(p);
    EXPECT_FALSE(LibraryFileExists(p));
    EXPECT_FALSE(kx::FileExists(p)) << "the removed-conduit store's test";
    LoadOne(p, [](CondInfo& rec) {
      EXPECT_EQ(kStatusMissing, rec.nStatus);
      EXPECT_FALSE(GetCondObj(rec)->IsOpen());
    });
  }
  RemoveDirectoryA(folder.c_str());
}

}  // namespace
