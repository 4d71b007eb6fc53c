#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "format/KxFileExists.h"
#include "TestSupport.h"

TEST(KxFileExists, OnlyAnExistingFileCounts) {
  ktest::TempDir dir{"misc_exists"};
  ASSERT_TRUE(ktest::WriteBytes(dir.file("lib.dll"), {'M', 'Z'}));
  ASSERT_TRUE(CreateDirectoryA(dir.file("folder.dll").c_str(), nullptr));
  char cwd[MAX_PATH];
  ASSERT_TRUE(GetCurrentDirectoryA(sizeof cwd, cwd));
  ASSERT_TRUE(SetCurrentDirectoryA(dir.path().c_str()));
  struct Case {
    const char* name;
    std::string path;
    bool exists;
  } cases[] = {
      {"file", dir.file("lib.dll"), true},
      {"relative to the current directory", "lib.dll", true},
      {"missing", dir.file("gone.dll"), false},
      {"folder", dir.file("folder.dll"), false},
      {"folder with a trailing backslash", dir.file("folder.dll\\"), false},
      {"empty", "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.exists, kx::FileExists(c.path.c_str()));
  }
  EXPECT_FALSE(kx::FileExists(nullptr));
  SetCurrentDirectoryA(cwd);
}
