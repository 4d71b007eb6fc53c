#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "misc/KxHandle.h"
#include "misc/WinUtil.h"
#include "TestSupport.h"

namespace {

// Windows paths compare without case.
std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string VerDll() { return ktest::ExeFolder() + "verdll.dll"; }

std::string ThisExe() {
  char buf[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, buf, MAX_PATH);
  return buf;
}

TEST(SplitProgramFolder, DriveAndFolderOfAPath) {
  struct Case {
    const char* path;
    const char* folder;
  };
  const Case cases[] = {
      {"D:\\kestrin.exe", "D:\\"},
      {"C:\\Program Files\\Kestrin\\kestrin.exe", "C:\\Program Files\\Kestrin\\"},
      {"C:/tools/kestrin.exe", "C:/tools/"},
      {"\\\\server\\share\\kestrin.exe", "\\\\server\\share\\"},
      {"C:\\a.b\\kestrin", "C:\\a.b\\"},
      {"kestrin.exe", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    char buf[MAX_PATH];
    memset(buf, 'x', sizeof buf);
    SplitProgramFolder(c.path, buf, sizeof buf);
    EXPECT_STREQ(buf, c.folder) << c.path;
  }
}

TEST(SplitProgramFolder, CutsToTheBuffer) {
  char mem[6 + 2];
  memset(mem, 0xAB, sizeof mem);
  SplitProgramFolder("C:\\long\\folder\\x.exe", mem, 6);
  EXPECT_STREQ(mem, "C:\\lo");
  EXPECT_EQ(static_cast<unsigned char>(mem[6]), 0xAB);
}

TEST(GetProgramFolder, IsTheFolderOfTheModuleWithABackslash) {
  char buf[MAX_PATH];
  ASSERT_TRUE(GetProgramFolder(nullptr, buf));
  const std::string folder = buf;
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '\\');
  const std::string exe = ThisExe();
  EXPECT_EQ(Lower(folder + exe.substr(folder.size())), Lower(exe));
  EXPECT_EQ(exe.find('\\', folder.size()), std::string::npos);

  // Another module gives its own file's folder.
  kx::UniqueModule dll(LoadLibraryA(VerDll().c_str()));
  ASSERT_TRUE(dll);
  ASSERT_TRUE(GetProgramFolder(dll.get(), buf));
  EXPECT_EQ(Lower(buf), Lower(ktest::ExeFolder()));

  EXPECT_FALSE(GetProgramFolder(nullptr, nullptr));
}

TEST(GetProgramFolder, ModuleInTheRootOfADrive) {
  const char* root = "C:\\kx_verdll_root.dll";
  if (!CopyFileA(VerDll().c_str(), root, FALSE)) GTEST_SKIP() << "C:\\ is not writable here";
  {
    kx::UniqueModule dll(LoadLibraryA(root));
    ASSERT_TRUE(dll);
    char buf[MAX_PATH];
    ASSERT_TRUE(GetProgramFolder(dll.get(), buf));
    EXPECT_STREQ(buf, "C:\\");
  }
  DeleteFileA(root);
}

TEST(GetProgramFolder, OverrideAppliesToTheRunningProgramOnly) {
  ktest::TempDir dir("progfolder");
  SetProgramFolderOverride(dir.path().c_str());
  char buf[MAX_PATH];
  EXPECT_TRUE(GetProgramFolder(nullptr, buf));
  EXPECT_EQ(std::string(buf), dir.path());
  EXPECT_TRUE(GetProgramFolder(GetModuleHandleA(nullptr), buf));
  EXPECT_EQ(Lower(buf), Lower(ktest::ExeFolder()));
  SetProgramFolderOverride(nullptr);
  EXPECT_TRUE(GetProgramFolder(nullptr, buf));
  EXPECT_EQ(Lower(buf), Lower(ktest::ExeFolder()));
}

TEST(GetFileVersion, ReadsTheFixedFileVersion) {
  int v[4] = {-1, -1, -1, -1};
  ASSERT_TRUE(GetFileVersion(VerDll().c_str(), &v[0], &v[1], &v[2], &v[3]));
  EXPECT_EQ(v[0], 4);
  EXPECT_EQ(v[1], 1);
  EXPECT_EQ(v[2], 0);
  EXPECT_EQ(v[3], 23);
  char text[32];
  EXPECT_STREQ(FormatFileVersion(text, sizeof text, v[0], v[1], v[2], v[3]), "4.1.0.0023");
}

TEST(GetFileVersion, NoVersionRecordGivesZeros) {
  ktest::TempDir dir("fileversion");
  const std::string plain = dir.file("plain.txt");
  ASSERT_TRUE(ktest::WriteBytes(plain, {'h', 'i'}));
  const std::string exe = ThisExe();  // a program without a version record
  const std::string missing = dir.file("missing.dll");
  const char* paths[] = {exe.c_str(), plain.c_str(), missing.c_str(), "", nullptr};
  for (const char* p : paths) {
    int v[4] = {7, 7, 7, 7};
    EXPECT_FALSE(GetFileVersion(p, &v[0], &v[1], &v[2], &v[3])) << (p ? p : "(null)");
    EXPECT_EQ(v[0] | v[1] | v[2] | v[3], 0) << (p ? p : "(null)");
    char text[32];
    EXPECT_STREQ(FormatFileVersion(text, sizeof text, v[0], v[1], v[2], v[3]), "0.0.0.0000");
  }
}

bool SameTime(const SYSTEMTIME& a, const SYSTEMTIME& b) { return memcmp(&a, &b, sizeof a) == 0; }

TEST(GetFileCreationTime, UnreadableFilesLeaveTheOutput) {
  ktest::TempDir dir("creationtime");
  const std::string held = dir.file("held.dat");
  ASSERT_TRUE(ktest::WriteBytes(held, {1}));
  kx::UniqueStdFile holder(fopen(held.c_str(), "rb"));  // open elsewhere: no exclusive open
  ASSERT_TRUE(holder);
  const std::string missing = dir.file("missing.dat");
  for (const char* p : {missing.c_str(), held.c_str(), "", static_cast<const char*>(nullptr)}) {
    SYSTEMTIME st;
    memset(&st, 0x5A, sizeof st);
    SYSTEMTIME before = st;
    EXPECT_FALSE(GetFileCreationTime(p, &st)) << (p ? p : "(null)");
    EXPECT_TRUE(SameTime(st, before)) << (p ? p : "(null)");
  }
  EXPECT_FALSE(GetFileCreationTime(held.c_str(), nullptr));
}

TEST(GetFileCreationTime, NewFileWasCreatedAboutNowInLocalTime) {
  ktest::TempDir dir("creationtime2");
  const std::string path = dir.file("new.dat");
  ASSERT_TRUE(ktest::WriteBytes(path, {1}));
  SYSTEMTIME st{}, now{};
  ASSERT_TRUE(GetFileCreationTime(path.c_str(), &st));
  GetLocalTime(&now);
  FILETIME a, b;
  ASSERT_TRUE(SystemTimeToFileTime(&st, &a));
  ASSERT_TRUE(SystemTimeToFileTime(&now, &b));
  auto ticks = [](const FILETIME& f) {
    return static_cast<long long>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime);
  };
  const long long diff = ticks(b) - ticks(a);  // 100 ns units
  EXPECT_GE(diff, -20000000LL);               // clocks may differ by a little
  EXPECT_LE(diff, 600000000LL);               // a minute
}

TEST(ShellOpen, HandsTheTextToTheOpener) {
  std::vector<std::string> opened;
  ShellOpener old = SetShellOpener([&](const char* s) { opened.push_back(s); });
  EXPECT_FALSE(ShellOpen(""));
  EXPECT_FALSE(ShellOpen(nullptr));
  EXPECT_TRUE(opened.empty());
  EXPECT_TRUE(ShellOpen("C:\\Kestrin\\condrpt.html"));
  EXPECT_TRUE(ShellOpen("hotsync.exe"));
  EXPECT_EQ(opened, (std::vector<std::string>{"C:\\Kestrin\\condrpt.html", "hotsync.exe"}));
  SetShellOpener(old);
}

}  // namespace
