// Finding the Palm Desktop folder and binding the four libraries.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "palm/CondMgr.h"
#include "PalmTest.h"
#include "TestSupport.h"

using namespace ptest;

namespace {

const char* const kLibFiles[] = {"condmgr.dll", "UserData.dll", "HSAPI.DLL", "instaide.dll"};
const unsigned kLibBits[] = {kPalmCondMgr, kPalmUserData, kPalmHsApi, kPalmInstAide};

bool IsBound(unsigned bit) {
  palm::PalmLibrary* lib = palm::GetPalmLibrary(bit);
  return lib && static_cast<bool>(lib->hModule);
}

bool AllEntriesEmpty(unsigned bit) {
  palm::PalmLibrary* lib = palm::GetPalmLibrary(bit);
  for (int i = 0; i < lib->nEntries; ++i)
    if (lib->pEntries[i]) return false;
  return true;
}

// A Palm Desktop folder holding the stand-in libraries except those named in `missing`.
void CopyPalmFolder(const ktest::TempDir& dir, const std::string& missing) {
  for (const char* file : kLibFiles) {
    if (missing.find(file) != std::string::npos) continue;
    std::string from = ktest::PalmFolder() + "\\" + file;
    ASSERT_TRUE(CopyFileA(from.c_str(), dir.file(file).c_str(), FALSE)) << from;
  }
}

class PalmLibsTest : public PalmTest {};

TEST_F(PalmLibsTest, DesktopPathComesFromTheRegistryAsStored) {
  char buf[MAX_PATH];
  ASSERT_EQ(0, GetPalmDesktopPath(buf, MAX_PATH));
  EXPECT_EQ(ktest::PalmFolder(), buf);

  // No separator is added or removed.
  SetDesktopPath("C:\\Palm\\");
  ASSERT_EQ(0, GetPalmDesktopPath(buf, MAX_PATH));
  EXPECT_STREQ("C:\\Palm\\", buf);
}

TEST_F(PalmLibsTest, DesktopPathFailures) {
  struct Case {
    const char* what;
    std::function<void()> arrange;
    int cap;
    int result;
    const char* folder;  // expected buffer, nullptr: untouched
  };
  const Case cases[] = {
      {"capacity 0", [] {}, 0, kPalmMissing, nullptr},
      {"negative capacity", [] {}, -1, kPalmMissing, nullptr},
      {"no Core key", [] { DeleteKey(kCoreKey); }, MAX_PATH, kPalmNotRegistered, ""},
      {"no DesktopPath value",
       [] { RegDeleteKeyValueA(HKEY_CURRENT_USER, kCoreKey, "DesktopPath"); }, MAX_PATH,
       kPalmNotRegistered, ""},
      {"DesktopPath not text", [] { SetDword(kCoreKey, "DesktopPath", 7); }, MAX_PATH,
       kPalmNotRegistered, ""},
      {"longer than the buffer", [] { SetDesktopPath("C:\\Palm Desktop"); }, 8,
       kPalmBufferTooSmall, ""},
      {"exactly fills the buffer", [] { SetDesktopPath("C:\\Palm"); }, 8, 0, "C:\\Palm"},
      {"empty value", [] { SetDesktopPath(""); }, MAX_PATH, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetDesktopPath(ktest::PalmFolder());
    c.arrange();
    char buf[MAX_PATH];
    memset(buf, 'x', sizeof buf);
    EXPECT_EQ(c.result, GetPalmDesktopPath(buf, c.cap));
    if (c.folder)
      EXPECT_STREQ(c.folder, buf);
    else
      EXPECT_EQ('x', buf[0]);
  }
  EXPECT_EQ(kPalmMissing, GetPalmDesktopPath(nullptr, MAX_PATH));
}

// A value stored without its terminator is still read as text of its own length.
TEST_F(PalmLibsTest, UnterminatedDesktopPathIsTerminatedOrRefused) {
  HKEY h;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kCoreKey, 0, KEY_SET_VALUE, &h));
  const char text[] = "C:\\Palm";
  RegSetValueExA(h, "DesktopPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                 static_cast<DWORD>(strlen(text)));
  RegCloseKey(h);

  char buf[16];
  memset(buf, 'x', sizeof buf);
  ASSERT_EQ(0, GetPalmDesktopPath(buf, sizeof buf));
  EXPECT_STREQ("C:\\Palm", buf);

  // Seven characters fill a buffer of 7 and leave no room for the terminator.
  memset(buf, 'x', sizeof buf);
  EXPECT_EQ(kPalmBufferTooSmall, GetPalmDesktopPath(buf, 7));
  EXPECT_EQ('\0', buf[0]);
}

TEST_F(PalmLibsTest, BindsAndReleasesAllFour) {
  ASSERT_TRUE(LoadPalmLibraries(kPalmAll));
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(kLibFiles[i]);
    palm::PalmLibrary* lib = palm::GetPalmLibrary(kLibBits[i]);
    ASSERT_NE(nullptr, lib);
    EXPECT_STREQ(kLibFiles[i], lib->szFile);
    ASSERT_TRUE(lib->hModule);
    char path[MAX_PATH];
    GetModuleFileNameA(lib->hModule.get(), path, MAX_PATH);
    EXPECT_EQ(0, _stricmp((ktest::PalmFolder() + "\\" + kLibFiles[i]).c_str(), path));
    // The stand-in exports every name of the tables: each one must resolve.
    for (int e = 0; e < lib->nEntries; ++e)
      EXPECT_NE(nullptr, lib->pEntries[e]) << lib->pszNames[e];
  }
  EXPECT_EQ(50, palm::GetPalmLibrary(kPalmCondMgr)->nEntries);
  EXPECT_EQ(37, palm::GetPalmLibrary(kPalmUserData)->nEntries);
  EXPECT_EQ(11, palm::GetPalmLibrary(kPalmHsApi)->nEntries);
  EXPECT_EQ(33, palm::GetPalmLibrary(kPalmInstAide)->nEntries);
  EXPECT_EQ(nullptr, palm::GetPalmLibrary(16));
  EXPECT_EQ(0, palm::CmGetConduitCount());

  FreePalmLibraries(kPalmCondMgr | kPalmInstAide);
  EXPECT_FALSE(IsBound(kPalmCondMgr));
  EXPECT_TRUE(AllEntriesEmpty(kPalmCondMgr));
  EXPECT_TRUE(IsBound(kPalmUserData));
  EXPECT_EQ(kPalmMissing, palm::CmGetConduitCount());
  EXPECT_EQ(nullptr, GetModuleHandleA("condmgr.dll"));

  FreePalmLibraries(kPalmAll);
  FreePalmLibraries(kPalmAll);  // nothing bound: no effect
  for (unsigned bit : kLibBits) {
    EXPECT_FALSE(IsBound(bit));
    EXPECT_TRUE(AllEntriesEmpty(bit));
  }
}

TEST_F(PalmLibsTest, MissingLibraryStopsTheBindingThere) {
  struct Case {
    const char* missing;
    bool bound[4];
  };
  const Case cases[] = {
      {"condmgr.dll", {false, false, false, false}},
      {"UserData.dll", {true, false, false, false}},
      {"instaide.dll", {true, true, true, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.missing);
    ktest::TempDir dir("palmsubset");
    CopyPalmFolder(dir, c.missing);
    SetDesktopPath(dir.path());
    EXPECT_FALSE(LoadPalmLibraries(kPalmAll));
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(c.bound[i], IsBound(kLibBits[i])) << kLibFiles[i];
      if (!c.bound[i]) {
        EXPECT_TRUE(AllEntriesEmpty(kLibBits[i])) << kLibFiles[i];
      }
    }
    FreePalmLibraries(kPalmAll);
  }
}

TEST_F(PalmLibsTest, WithoutConduitManagerNothingIsRegisteredOrListed) {
  ktest::TempDir dir("palmnocm");
  CopyPalmFolder(dir, "condmgr.dll");
  SetDesktopPath(dir.path());
  WriteApplication(0, Conduit("addrcond.dll"), "addr");
  WriteInstallConduit(0, Conduit("instcond.dll"), "inst", "Install");
  EXPECT_FALSE(LoadPalmLibraries(kPalmAll));

  CCondMgr app, sys;
  app.Load(kLoadApplication);
  sys.Load(kLoadSystem);
  EXPECT_EQ(0u, app.GetCount());
  ASSERT_EQ(1u, sys.GetCount());
  CondInfo* backup = sys.GetFirst();
  EXPECT_EQ(kBackupCreatorID, backup->dwCreatorID);
  EXPECT_STREQ("", backup->szConduit);
  EXPECT_EQ(kOriginBackup, backup->nOrigin);

  CondInfo info{};
  strcpy(info.szCreatorID, "addr");
  strcpy(info.szConduit, Conduit("addrcond.dll").c_str());
  EXPECT_FALSE(app.RegisterConduit(&info));
  EXPECT_FALSE(app.RemoveConduit(&info));
  EXPECT_TRUE(HasValue(AppKey(0), "Conduit"));  // nothing reached the registry
}

TEST_F(PalmLibsTest, WithoutInstallAideTheOthersAreUsable) {
  ktest::TempDir dir("palmnoia");
  CopyPalmFolder(dir, "instaide.dll");
  SetDesktopPath(dir.path());
  WriteApplication(0, Conduit("addrcond.dll"), "addr");
  WriteInstallConduit(0, Conduit("instcond.dll"), "inst", "Install");
  EXPECT_FALSE(LoadPalmLibraries(kPalmAll));

  CCondMgr app, sys;
  app.Load(kLoadApplication);
  ASSERT_EQ(1u, app.GetCount());
  EXPECT_STREQ("addr", app.GetFirst()->szCreatorID);
  sys.Load(kLoadSystem);
  ASSERT_EQ(1u, sys.GetCount());
  EXPECT_EQ(kBackupCreatorID, sys.GetFirst()->dwCreatorID);
  EXPECT_STREQ("Backup", sys.GetFirst()->szName);
}

TEST_F(PalmLibsTest, PdPathOverridesTheRegistry) {
  // A right override beats a wrong registry value.
  SetDesktopPath("C:\\No Such Palm");
  WritePdPath(ktest::PalmFolder());
  char buf[MAX_PATH];
  ASSERT_EQ(0, GetPalmDesktopPath(buf, MAX_PATH));
  EXPECT_EQ(ktest::PalmFolder(), buf);
  EXPECT_TRUE(LoadPalmLibraries(kPalmAll));
  FreePalmLibraries(kPalmAll);

  // A wrong override beats a right registry value: the look-up succeeds, every bind fails.
  SetDesktopPath(ktest::PalmFolder());
  WritePdPath("C:\\No Such Palm");
  ASSERT_EQ(0, GetPalmDesktopPath(buf, MAX_PATH));
  EXPECT_STREQ("C:\\No Such Palm", buf);
  for (unsigned bit : kLibBits) {
    EXPECT_FALSE(LoadPalmLibraries(bit));
    EXPECT_FALSE(IsBound(bit));
  }
  // An override is used even without any registry key.
  DeleteKey(kCoreKey);
  EXPECT_EQ(0, GetPalmDesktopPath(buf, MAX_PATH));
}

TEST_F(PalmLibsTest, NoFolderMeansNothingIsLoaded) {
  SetDesktopPath("");
  EXPECT_FALSE(LoadPalmLibraries(kPalmAll));
  DeleteKey(kCoreKey);
  EXPECT_FALSE(LoadPalmLibraries(kPalmAll));
  for (unsigned bit : kLibBits) EXPECT_FALSE(IsBound(bit));
  for (const char* file : kLibFiles) EXPECT_EQ(nullptr, GetModuleHandleA(file)) << file;
}

TEST_F(PalmLibsTest, BindingAgainReloads) {
  ASSERT_TRUE(LoadPalmLibraries(kPalmCondMgr));
  palm::Entry(palm::CmEntry::CmGetConduitCount) = nullptr;
  EXPECT_EQ(kPalmMissing, palm::CmGetConduitCount());
  ASSERT_TRUE(LoadPalmLibraries(kPalmCondMgr));
  EXPECT_EQ(0, palm::CmGetConduitCount());
}

}  // namespace
