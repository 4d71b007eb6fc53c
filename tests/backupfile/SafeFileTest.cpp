// The safe file writer: the target changes only through a complete, committed new file.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "format/KxSafeFile.h"
#include "TestSupport.h"

namespace {

using Bytes = std::vector<unsigned char>;

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class SafeFileTest : public ::testing::Test {
 protected:
  void TearDown() override { kx::SetWriteFailureAfter(-1); }
  ktest::TempDir dir{"safefile"};
  const Bytes oldBytes{'o', 'l', 'd', '!', '\n'};
  const Bytes part1{1, 2, 3, 4};
  const Bytes part2{5, 6, 7, 8, 9, 10, 11, 12};
};

TEST_F(SafeFileTest, CommitReplacesTheTargetWithWhatWasWritten) {
  for (bool bExisting : {false, true}) {
    SCOPED_TRACE(bExisting ? "existing target" : "new target");
    const std::string target = dir.file(bExisting ? "a.dat" : "b.dat");
    if (bExisting) {
      ASSERT_TRUE(ktest::WriteBytes(target, Bytes(2000, 'x')));
    }
    kx::SafeFile f;
    ASSERT_TRUE(f.Open(target.c_str()));
    EXPECT_EQ(target + ".kestrin-1.tmp", f.TempPath());
    EXPECT_TRUE(Exists(f.TempPath()));
    ASSERT_TRUE(f.Write(part1.data(), part1.size()));
    ASSERT_TRUE(f.Write(part2.data(), part2.size()));
    // Until the commit the target is as it was.
    if (bExisting) {
      EXPECT_EQ(Bytes(2000, 'x'), ktest::ReadBytes(target));
    }
    ASSERT_TRUE(f.Commit());
    EXPECT_EQ((Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}), ktest::ReadBytes(target));
    EXPECT_FALSE(ktest::HasTempLeftover(target));
  }
}

// A full disk at every interesting point: before the first byte, inside the first write, on
// its boundary and inside the second write. The crossing write and all after it fail.
TEST_F(SafeFileTest, FailedWriteLeavesTheOldFileWhole) {
  struct Case {
    long k;
    bool bFirstOk;
  };
  for (const Case& c : {Case{0, false}, Case{2, false}, Case{4, true}, Case{11, true}}) {
    SCOPED_TRACE(c.k);
    const std::string target = dir.file("t.dat");
    ASSERT_TRUE(ktest::WriteBytes(target, oldBytes));
    kx::SetWriteFailureAfter(c.k);
    {
      kx::SafeFile f(target.c_str());
      ASSERT_TRUE(f.IsOpen());
      EXPECT_EQ(c.bFirstOk, f.Write(part1.data(), part1.size()));
      EXPECT_FALSE(f.Write(part2.data(), part2.size()));
      kx::SetWriteFailureAfter(-1);  // the failure sticks even once the disk has room again
      EXPECT_FALSE(f.Write(part1.data(), part1.size()));
      EXPECT_FALSE(f.Commit());
    }
    EXPECT_EQ(oldBytes, ktest::ReadBytes(target));
    EXPECT_FALSE(ktest::HasTempLeftover(target));
  }
}

TEST_F(SafeFileTest, UncommittedFileIsRemovedAndTheTargetKept) {
  const std::string target = dir.file("t.dat");
  ASSERT_TRUE(ktest::WriteBytes(target, oldBytes));
  {
    kx::SafeFile f(target.c_str());
    ASSERT_TRUE(f.Write(part2.data(), part2.size()));
  }
  EXPECT_EQ(oldBytes, ktest::ReadBytes(target));
  EXPECT_FALSE(ktest::HasTempLeftover(target));
}

TEST_F(SafeFileTest, NothingIsWrittenWhereTheFileCannotBeMadeOrReplaced) {
  kx::SafeFile none;
  EXPECT_FALSE(none.Open(""));
  EXPECT_FALSE(none.Open(nullptr));
  EXPECT_FALSE(none.Write(part1.data(), part1.size()));
  EXPECT_FALSE(none.Commit());

  kx::SafeFile missing;
  EXPECT_FALSE(missing.Open(dir.file("no such folder\\t.dat").c_str()));

  // A folder in the target's place cannot be replaced: the commit fails and cleans up.
  const std::string target = dir.file("folder");
  ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
  kx::SafeFile f(target.c_str());
  ASSERT_TRUE(f.Write(part1.data(), part1.size()));
  EXPECT_FALSE(f.Commit());
  EXPECT_TRUE(GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_FALSE(ktest::HasTempLeftover(target));
}

// The temporary file is one of our own: a user's file under a similar name, a leftover of a
// crashed writer and a second writer of the same target are all left alone.
TEST_F(SafeFileTest, TemporaryFileIsNeverAnotherFile) {
  const std::string target = dir.file("kestrinset1.bak");
  const Bytes users{'m', 'i', 'n', 'e'};
  ASSERT_TRUE(ktest::WriteBytes(target + ".new", users));
  ASSERT_TRUE(ktest::WriteBytes(target + ".kestrin-1.tmp", users));  // a crashed writer's

  kx::SafeFile first(target.c_str()), second(target.c_str());
  ASSERT_TRUE(first.IsOpen());
  ASSERT_TRUE(second.IsOpen());
  EXPECT_EQ(target + ".kestrin-2.tmp", first.TempPath());
  EXPECT_EQ(target + ".kestrin-3.tmp", second.TempPath());
  ASSERT_TRUE(first.Write(part1.data(), part1.size()));
  ASSERT_TRUE(second.Write(part2.data(), part2.size()));
  ASSERT_TRUE(first.Commit());
  EXPECT_EQ(part1, ktest::ReadBytes(target));
  ASSERT_TRUE(second.Commit());
  EXPECT_EQ(part2, ktest::ReadBytes(target));

  EXPECT_EQ(users, ktest::ReadBytes(target + ".new"));
  EXPECT_EQ(users, ktest::ReadBytes(target + ".kestrin-1.tmp"));
  EXPECT_FALSE(Exists(target + ".kestrin-2.tmp"));
  EXPECT_FALSE(Exists(target + ".kestrin-3.tmp"));
}

}  // namespace
