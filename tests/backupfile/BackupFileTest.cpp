// Backup sets: a catalogue written as 540-byte records and read back.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "format/KxSafeFile.h"
#include "format/KxText.h"
#include "palm/CondMgr.h"
#include "TestSupport.h"

namespace {

using Bytes = std::vector<unsigned char>;
const size_t kRec = sizeof(CondInfo);

// A record with every byte telling: texts with leftovers after their terminators, all numbers
// set, and a module handle that must not reach the file.
CondInfo MakeRecord(int i, int32_t status) {
  CondInfo r;
  memset(&r, 0x5A, sizeof r);
  const std::string n = std::to_string(i);
  kx::CopyText(r.szCreatorID, ("c" + n + "xx").substr(0, 4).c_str());
  kx::CopyText(r.szConduit, ("C:\\Conduits\\cond" + n + ".dll").c_str());
  kx::CopyText(r.szDirectory, ("Dir" + n).c_str());
  kx::CopyText(r.szFile, ("file" + n + ".dat").c_str());
  kx::CopyText(r.szRemote, ("RemoteDB" + n).c_str());
  kx::CopyText(r.szInfo, "info");
  kx::CopyText(r.szName, ("Conduit " + n).c_str());
  kx::CopyText(r.szProduct, i == 3 ? "PocketMirror" : "");
  r.dwCreatorID = 0x63000000u + static_cast<uint32_t>(i);
  r.dwIntegrate = 0x11223344u;
  r.nPriority = i;
  r.hCondObj = 0x7F000000u + static_cast<uint32_t>(i);  // never a live handle here
  r.nStatus = status;
  r.nOrigin = i % 2 ? kOriginRegistered : kOriginInstallCommand;
  r.dwFlags = status == kStatusRemoved ? kFlagRemoved : 0;
  return r;
}

// The record as a file holds it, and as it reads back: the module slot 0.
Bytes Stored(CondInfo r) {
  r.hCondObj = 0;
  const auto* p = reinterpret_cast<const unsigned char*>(&r);
  return Bytes(p, p + sizeof r);
}

Bytes Cat(const std::vector<Bytes>& parts) {
  Bytes out;
  for (const Bytes& b : parts) out.insert(out.end(), b.begin(), b.end());
  return out;
}

void Fill(CCondMgr& mgr, const std::vector<CondInfo>& recs) {
  for (const CondInfo& r : recs) ASSERT_TRUE(mgr.Add(new CondInfo(r)));
}

std::vector<Bytes> Contents(CCondMgr& mgr) {
  std::vector<Bytes> out;
  for (CondInfo* p = mgr.GetFirst(); p; p = mgr.GetNext()) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    out.emplace_back(b, b + sizeof *p);
  }
  return out;
}

std::vector<CondInfo> Seven() {
  const int32_t statuses[] = {1, 0, 2, 1, 1, 0, 2};
  std::vector<CondInfo> v;
  for (int i = 0; i < 7; ++i) v.push_back(MakeRecord(i, statuses[i]));
  return v;
}

class BackupFileTest : public ::testing::Test {
 protected:
  void TearDown() override { kx::SetWriteFailureAfter(-1); }
  ktest::TempDir dir{"backupfile"};
  std::string set = dir.file("kestrinset1.bak");
};

// Every record, whatever its status, leaves and comes back byte for byte and in order.
TEST_F(BackupFileTest, SevenRecordsRoundTrip) {
  const std::vector<CondInfo> recs = Seven();
  CCondMgr mgr;
  Fill(mgr, recs);
  ASSERT_TRUE(mgr.SaveToFile(set.c_str()));

  std::vector<Bytes> expected;
  for (const CondInfo& r : recs) expected.push_back(Stored(r));
  const Bytes file = ktest::ReadBytes(set);
  EXPECT_EQ(3780u, file.size());
  EXPECT_EQ(Cat(expected), file);

  CCondMgr back;
  EXPECT_TRUE(back.LoadFromFile(set.c_str()));
  EXPECT_EQ(expected, Contents(back));
  EXPECT_EQ(nullptr, GetCondObj(*back.GetFirst()));
}

TEST_F(BackupFileTest, EmptyCatalogueGivesAnEmptyFile) {
  ASSERT_TRUE(ktest::WriteBytes(set, Stored(MakeRecord(1, 1))));
  CCondMgr empty;
  ASSERT_TRUE(empty.SaveToFile(set.c_str()));
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(set.c_str()));  // there, and empty
  EXPECT_TRUE(ktest::ReadBytes(set).empty());

  CCondMgr back;
  EXPECT_FALSE(back.LoadFromFile(set.c_str()));
  EXPECT_EQ(0u, back.GetCount());
}

// Only whole records count; a record is read as often as it stands in the file.
TEST_F(BackupFileTest, RecordsAreCountedByWholeRecords) {
  const Bytes a = Stored(MakeRecord(1, 1));
  const Bytes b = Stored(MakeRecord(2, 2));
  struct Case {
    const char* what;
    Bytes file;
    std::vector<Bytes> records;
  };
  const Bytes thousand = Cat({a, Bytes(1000 - kRec, 0x33)});
  const Case cases[] = {
      {"1000 bytes", thousand, {a}},
      {"the same record twice", Cat({a, a}), {a, a}},
      {"two records and a cut third", Cat({a, b, Bytes(b.begin(), b.end() - 1)}), {a, b}},
      {"less than one record", Bytes(a.begin(), a.end() - 1), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(ktest::WriteBytes(set, c.file));
    CCondMgr mgr;
    EXPECT_EQ(!c.records.empty(), mgr.LoadFromFile(set.c_str()));
    EXPECT_EQ(c.records, Contents(mgr));
  }
}

TEST_F(BackupFileTest, ReadingReplacesTheCatalogue) {
  CCondMgr mgr;
  Fill(mgr, {MakeRecord(1, 1), MakeRecord(2, 1), MakeRecord(3, 1)});
  const Bytes r5 = Stored(MakeRecord(5, 0)), r6 = Stored(MakeRecord(6, 2));
  ASSERT_TRUE(ktest::WriteBytes(set, Cat({r5, r6})));
  EXPECT_TRUE(mgr.LoadFromFile(set.c_str()));
  EXPECT_EQ((std::vector<Bytes>{r5, r6}), Contents(mgr));

  // A file that cannot be opened still empties it; an empty path leaves it alone.
  EXPECT_FALSE(mgr.LoadFromFile("") || mgr.LoadFromFile(nullptr));
  EXPECT_EQ(2u, mgr.GetCount());
  EXPECT_FALSE(mgr.LoadFromFile(dir.file("missing.bak").c_str()));
  EXPECT_EQ(0u, mgr.GetCount());
}

// A full disk at any point of a backup leaves the earlier set whole and answers false.
TEST_F(BackupFileTest, FailedWriteKeepsTheEarlierSet) {
  CCondMgr old;
  Fill(old, {MakeRecord(8, 1), MakeRecord(9, 2)});
  ASSERT_TRUE(old.SaveToFile(set.c_str()));
  const Bytes before = ktest::ReadBytes(set);
  ASSERT_EQ(2 * kRec, before.size());

  CCondMgr mgr;
  Fill(mgr, Seven());
  for (long k : {0L, 1L, 540L, 1000L, 3779L}) {
    SCOPED_TRACE(k);
    kx::SetWriteFailureAfter(k);
    EXPECT_FALSE(mgr.SaveToFile(set.c_str()));
    kx::SetWriteFailureAfter(-1);
    EXPECT_EQ(before, ktest::ReadBytes(set));
    EXPECT_FALSE(ktest::HasTempLeftover(set));
  }
  // The catalogue itself is untouched and can be saved once there is room.
  EXPECT_TRUE(mgr.SaveToFile(set.c_str()));
  EXPECT_EQ(3780u, ktest::ReadBytes(set).size());
}

TEST_F(BackupFileTest, SaveFailsWithoutAPlaceToWrite) {
  CCondMgr mgr;
  Fill(mgr, {MakeRecord(1, 1)});
  EXPECT_FALSE(mgr.SaveToFile(""));
  EXPECT_FALSE(mgr.SaveToFile(nullptr));
  EXPECT_FALSE(mgr.SaveToFile(dir.file("no folder\\set.bak").c_str()));
}

// A damaged set whose texts fill their fields is read with each text ended inside its field;
// every other byte is kept.
TEST_F(BackupFileTest, UnterminatedTextsAreEndedInsideTheirFields) {
  CondInfo r;
  memset(&r, 'A', sizeof r);
  ASSERT_TRUE(ktest::WriteBytes(set, Stored(r)));
  CCondMgr mgr;
  ASSERT_TRUE(mgr.LoadFromFile(set.c_str()));
  const CondInfo* p = mgr.GetFirst();
  ASSERT_NE(nullptr, p);
  struct Field {
    const char* text;
    size_t width;
  };
  const Field fields[] = {{p->szCreatorID, 8}, {p->szConduit, 260}, {p->szDirectory, 32},
                          {p->szFile, 32},     {p->szRemote, 32},   {p->szInfo, 64},
                          {p->szName, 64},     {p->szProduct, 20}};
  for (const Field& f : fields) EXPECT_EQ(f.width - 1, strlen(f.text));
  EXPECT_EQ(0x41414141u, p->dwCreatorID);
  EXPECT_EQ(0x41414141u, p->dwFlags);
  EXPECT_EQ(0x41414141, p->nStatus);
  EXPECT_EQ(0u, p->hCondObj);
}

}  // namespace
