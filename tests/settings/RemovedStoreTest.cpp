// The removed-conduit store KestrinRes.dat, read and written without a window.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ConduitKit.h"
#include "format/CondInfo.h"
#include "format/CxList.h"
#include "format/KxSafeFile.h"
#include "format/RemovedStore.h"
#include "TestSupport.h"

namespace {

class RemovedStore : public ::testing::Test {
 protected:
  ktest::TempDir dir{"settings_store"};
  std::string store = dir.file("KestrinRes.dat");
  std::string lib = dir.file("present.dll");  // any existing file stands for a library
  CxList list;

  void SetUp() override { ASSERT_TRUE(ktest::WriteBytes(lib, {'M', 'Z'})); }
  void TearDown() override { ClearCondList(list); }

  CondInfo Record(const char* creator, const std::string& path, const char* name) {
    CondInfo r = ktest::StoreRecord(creator, path, name);
    r.nPriority = 0;
    r.hCondObj = 77;
    return r;
  }
  static void Append(std::vector<unsigned char>& bytes, const CondInfo& r) {
    auto* p = reinterpret_cast<const unsigned char*>(&r);
    bytes.insert(bytes.end(), p, p + sizeof r);
  }
  CondInfo* At(unsigned i) { return static_cast<CondInfo*>(list.GetAt(i)); }
};

TEST_F(RemovedStore, MissingStoreLeavesTheListAlone) {
  list.Add(new CondInfo(Record("keep", lib, "Kept")));
  EXPECT_FALSE(LoadRemovedStore(store.c_str(), list));
  ASSERT_EQ(1u, list.GetCount());
  EXPECT_STREQ("keep", At(0)->szCreatorID);
}

TEST_F(RemovedStore, WholeRecordsOnlyAndOnlyThoseWhoseLibraryExists) {
  std::vector<unsigned char> bytes;
  CondInfo a = Record("aaaa", lib, "First");
  a.dwFlags = 0;  // the flag is set on reading whatever the file says
  Append(bytes, a);
  Append(bytes, Record("gone", dir.file("deleted.dll"), "Deleted"));
  Append(bytes, Record("bbbb", lib, "Second"));
  bytes.resize(bytes.size() - 540 + 20);  // 1,100 bytes with "bbbb" cut to a 20-byte tail
  ASSERT_EQ(1100u, bytes.size());
  ASSERT_TRUE(ktest::WriteBytes(store, bytes));
  list.Add(new CondInfo(Record("old!", lib, "Replaced")));

  ASSERT_TRUE(LoadRemovedStore(store.c_str(), list));
  // Two whole records; the one whose library was deleted is dropped, the tail ignored.
  ASSERT_EQ(1u, list.GetCount());
  CondInfo* r = At(0);
  EXPECT_STREQ("aaaa", r->szCreatorID);
  EXPECT_EQ(kFlagRemoved, r->dwFlags & kFlagRemoved);
  EXPECT_EQ(0u, r->hCondObj);
  EXPECT_EQ(kStatusRemoved, r->nStatus);
}

TEST_F(RemovedStore, ARecordWhoseLibraryPathIsAFolderIsDropped) {
  const std::string folder = dir.file("folder.dll");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  std::vector<unsigned char> bytes;
  Append(bytes, Record("fold", folder, "Folder"));
  Append(bytes, Record("aaaa", lib, "Kept"));
  ASSERT_TRUE(ktest::WriteBytes(store, bytes));

  ASSERT_TRUE(LoadRemovedStore(store.c_str(), list));
  ASSERT_EQ(1u, list.GetCount());
  EXPECT_STREQ("aaaa", At(0)->szCreatorID);
}

TEST_F(RemovedStore, DamagedTextsAreTerminatedInsideTheirFields) {
  CondInfo r = Record("xxxx", lib, "");
  memset(r.szName, 'N', sizeof r.szName);
  memset(r.szCreatorID, 'C', sizeof r.szCreatorID);
  memset(r.szDirectory, 'D', sizeof r.szDirectory);
  memset(r.szProduct, 'P', sizeof r.szProduct);
  r.nPriority = 0x41414141;  // the bytes after each field must not be read as its text
  std::vector<unsigned char> bytes;
  Append(bytes, r);
  ASSERT_TRUE(ktest::WriteBytes(store, bytes));

  ASSERT_TRUE(LoadRemovedStore(store.c_str(), list));
  ASSERT_EQ(1u, list.GetCount());
  CondInfo* got = At(0);
  EXPECT_EQ(std::string(63, 'N'), got->szName);
  EXPECT_EQ(std::string(7, 'C'), got->szCreatorID);
  EXPECT_EQ(std::string(31, 'D'), got->szDirectory);
  EXPECT_EQ(std::string(19, 'P'), got->szProduct);
  EXPECT_EQ(0x41414141, got->nPriority);
}

TEST_F(RemovedStore, SaveWritesFlaggedEntriesWithoutModuleReference) {
  list.Add(new CondInfo(Record("aaaa", lib, "Written")));
  CondInfo restored = Record("bbbb", lib, "Restored");
  restored.dwFlags = 0;
  list.Add(new CondInfo(restored));
  list.Add(new CondInfo(Record("cccc", lib, "Also written")));

  ASSERT_TRUE(SaveRemovedStore(store.c_str(), list));
  std::vector<unsigned char> bytes = ktest::ReadBytes(store);
  ASSERT_EQ(2u * 540u, bytes.size());
  CondInfo first, second;
  memcpy(&first, bytes.data(), 540);
  memcpy(&second, bytes.data() + 540, 540);
  EXPECT_STREQ("aaaa", first.szCreatorID);
  EXPECT_STREQ("cccc", second.szCreatorID);
  EXPECT_EQ(0u, first.hCondObj);
  CondInfo want = Record("aaaa", lib, "Written");
  want.hCondObj = 0;
  EXPECT_EQ(0, memcmp(&want, &first, 540));
  EXPECT_FALSE(ktest::HasTempLeftover(store));
}

TEST_F(RemovedStore, FailedSaveKeepsTheOldStore) {
  std::vector<unsigned char> old;
  Append(old, Record("keep", lib, "Old"));
  ASSERT_TRUE(ktest::WriteBytes(store, old));
  // Another program holds the old store: the new one cannot take its place.
  HANDLE held = CreateFileA(store.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  list.Add(new CondInfo(Record("newr", lib, "New")));

  EXPECT_FALSE(SaveRemovedStore(store.c_str(), list));
  CloseHandle(held);
  EXPECT_EQ(old, ktest::ReadBytes(store));
  EXPECT_FALSE(ktest::HasTempLeftover(store));
}

// A full disk anywhere in the new store keeps the old one whole.
TEST_F(RemovedStore, FullDiskKeepsTheOldStore) {
  std::vector<unsigned char> old;
  Append(old, Record("keep", lib, "Old"));
  ASSERT_TRUE(ktest::WriteBytes(store, old));
  list.Add(new CondInfo(Record("new1", lib, "New")));
  list.Add(new CondInfo(Record("new2", lib, "New")));

  for (long k : {0L, 539L, 540L, 1079L}) {
    SCOPED_TRACE(k);
    kx::SetWriteFailureAfter(k);
    const bool ok = SaveRemovedStore(store.c_str(), list);
    kx::SetWriteFailureAfter(-1);
    EXPECT_FALSE(ok);
    EXPECT_EQ(old, ktest::ReadBytes(store));
    EXPECT_FALSE(ktest::HasTempLeftover(store));
  }
}

}  // namespace
