// The safe start around conduit libraries, in process: the error mode a library is loaded
// under, the marker while it loads, the name function's scratch page and the skip list.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ConduitKit.h"
#include "core/ListRows.h"
#include "format/KxText.h"
#include "format/SkipList.h"
#include "misc/WinUtil.h"
#include "palm/CondMgr.h"
#include "palm/LibraryPath.h"
#include "palm/PalmLibs.h"
#include "palm/SafeLoad.h"
#include "PalmTest.h"
#include "TestSupport.h"

using namespace ptest;

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Padded(const std::string& text, size_t n) {
  Bytes b(n, 0);
  memcpy(b.data(), text.data(), text.size() < n ? text.size() : n);
  return b;
}

std::string Full(const std::string& path) {
  char sz[MAX_PATH];
  return ResolveLibraryPath(path.c_str(), sz) ? sz : "";
}

class SafeStart : public PalmTest {
 protected:
  void SetUp() override {
    PalmTest::SetUp();
    ASSERT_TRUE(LoadPalmLibraries(kPalmAll));
    Forget();
  }
  void TearDown() override {
    Forget();
    PalmTest::TearDown();
  }
  void Forget() {
    DeleteFileA(marker.c_str());
    DeleteFileA(skips.c_str());
    DeleteFileA(seen.c_str());
    DeleteFileA(named.c_str());
  }
  std::vector<SkipEntry> Skips() const {
    std::vector<SkipEntry> v;
    LoadSkipList(skips.c_str(), v);
    return v;
  }

  std::string marker = ktest::ExeFolder() + "KestrinLoad.dat";
  std::string skips = ktest::ExeFolder() + "KestrinSkip.dat";
  std::string seen = ktest::ExeFolder() + "faultseen.dat";  // written by seenload.dll
  std::string named = ktest::ExeFolder() + "faultname.dat";  // its name function's
  ktest::TempDir dir{"faults_safe"};
};

TEST_F(SafeStart, ALibraryLoadsUnderTheQuietErrorModeWhileTheMarkerNamesIt) {
  const std::string lib = Conduit("seenload.dll");
  const UINT before = GetThreadErrorMode();
  ASSERT_TRUE(SetQuietErrorMode());
  {
    CCondObj obj(lib.c_str());
    SetThreadErrorMode(before, nullptr);
    ASSERT_TRUE(obj.IsOpen());
    const Bytes b = ktest::ReadBytes(seen);
    ASSERT_EQ(4u + 260u, b.size()) << "the library's start-up code did not run";
    DWORD mode = 0;
    memcpy(&mode, b.data(), 4);
    EXPECT_EQ(static_cast<DWORD>(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX), mode);
    EXPECT_EQ(Padded(Full(lib), 260), Bytes(b.begin() + 4, b.end()))
        << "the marker names the library, zero-padded, while it loads";
    EXPECT_EQ(Bytes(260, 0), ktest::ReadBytes(marker)) << "zeros once it has loaded";
  }
  EXPECT_EQ(Bytes(260, 0), ktest::ReadBytes(marker)) << "zeros once it is released";
}

TEST_F(SafeStart, TheNameFunctionGetsAPreloadedPageBeforeANoAccessPage) {
  CondInfo rec{};
  kx::CopyText(rec.szConduit, Conduit("seenload.dll").c_str());
  kx::CopyText(rec.szName, "Registered Title");
  AttachCondObj(rec);
  const Bytes b = ktest::ReadBytes(named);
  ASSERT_EQ(12u + 64u, b.size()) << "the name function was not called";
  DWORD v[3];
  memcpy(v, b.data(), sizeof v);
  EXPECT_EQ(64u, v[0]) << "the capacity";
  EXPECT_EQ(0u, v[1]) << "the buffer starts its page";
  EXPECT_EQ(static_cast<DWORD>(PAGE_NOACCESS), v[2]) << "the page after it";
  EXPECT_EQ(Padded("Registered Title", 64), Bytes(b.begin() + 12, b.end()))
      << "preloaded with the field's 64 bytes";
  EXPECT_STREQ("Seen At Load", rec.szName);
  ReleaseCondObj(rec.hCondObj);
}

// The record sits at the start of a larger heap block: neither the record's other fields nor
// the bytes after it may change.
TEST_F(SafeStart, ANameFunctionWritingPastItsCapacityChangesOnlyTheNameField) {
  Bytes block(sizeof(CondInfo) + 512, 0xA5);
  auto* rec = reinterpret_cast<CondInfo*>(block.data());
  kx::CopyText(rec->szConduit, Conduit("namelong.dll").c_str());
  kx::CopyText(rec->szName, "Registered Title");
  rec->hCondObj = 0;
  const Bytes before = block;

  AttachCondObj(*rec);
  ASSERT_NE(nullptr, GetCondObj(*rec));
  EXPECT_TRUE(GetCondObj(*rec)->IsOpen());
  EXPECT_EQ(std::string(63, 'L'), rec->szName) << "the first 63 characters, terminated";
  const size_t nameAt = offsetof(CondInfo, szName), slotEnd = offsetof(CondInfo, nStatus);
  for (size_t i = 0; i < block.size(); ++i) {
    if (i >= nameAt && i < slotEnd) continue;  // the name and the module-object handle
    ASSERT_EQ(before[i], block[i]) << "byte " << i << " changed";
  }
  ReleaseCondObj(rec->hCondObj);
}

TEST_F(SafeStart, ASkippedLibraryIsLoadedNowhereAndShowsAsNotLoaded) {
  const std::string lib = ktest::CopyConduit(dir, "addrcond.dll", "skipped.dll");
  WriteApplication(0, lib, "skip");
  SetText(AppKey(0), "Title", "Registered Title");
  WriteInstallConduit(0, lib, "skip", "Install Title");
  ASSERT_TRUE(safeload::AddSkip(Full(lib).c_str()));
  const std::string notLoaded = lib + " ( not loaded ).";

  CCondMgr app;
  ASSERT_TRUE(app.Load(kLoadApplication));
  ASSERT_EQ(1u, app.GetCount());
  CondInfo* a = app.GetFirst();
  EXPECT_EQ(kStatusInstalled, a->nStatus);
  EXPECT_STREQ("Registered Title", a->szName) << "the library was never asked";
  ASSERT_NE(nullptr, GetCondObj(*a));
  EXPECT_FALSE(GetCondObj(*a)->IsOpen());
  EXPECT_TRUE(GetCondObj(*a)->WasSkipped());
  const CondRow arow = AppCatalogueRow(*a, GetCondObj(*a)->WasSkipped());
  EXPECT_EQ("Registered Title", arow.name);
  EXPECT_EQ(notLoaded, arow.file);
  EXPECT_EQ(kImgMissing, arow.image);

  CCondMgr sys;
  ASSERT_TRUE(sys.Load(kLoadSystem));
  CondInfo* s = sys.GetFirst();
  ASSERT_NE(nullptr, s);
  ASSERT_EQ(lib, s->szConduit);
  CCondObj* sobj = GetCondObj(*s);
  const CondRow srow = SysRow(*s, sobj->IsConduit(), sobj->WasSkipped());
  EXPECT_EQ(notLoaded, srow.file);
  EXPECT_EQ(kImgMissing, srow.image);

  CCondObj probe(lib.c_str());
  EXPECT_FALSE(probe.IsOpen());
  EXPECT_EQ(nullptr, GetModuleHandleA(lib.c_str()));
  EXPECT_EQ(1u, Skips().size()) << "the file is unchanged, so it stays skipped";
}

TEST_F(SafeStart, AChangedLibraryFileLeavesTheSkipListAndLoads) {
  struct Case {
    const char* what;
    void (*change)(const std::string& path);
  };
  const Case cases[] = {
      {"bytes appended",
       [](const std::string& p) {
         Bytes b = ktest::ReadBytes(p);
         b.push_back(0);
         ASSERT_TRUE(ktest::WriteBytes(p, b));
       }},
      {"another last-write time",
       [](const std::string& p) {
         HANDLE h = CreateFileA(p.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0,
                                nullptr);
         ASSERT_NE(INVALID_HANDLE_VALUE, h);
         FILETIME ft{0x12345678u, 0x01D00000u};
         EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &ft));
         CloseHandle(h);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string lib = ktest::CopyConduit(dir, "addrcond.dll", "changed.dll");
    ASSERT_TRUE(safeload::AddSkip(Full(lib).c_str()));
    { EXPECT_FALSE(CCondObj(lib.c_str()).IsOpen()); }
    c.change(lib);
    CCondObj obj(lib.c_str());
    EXPECT_TRUE(obj.IsOpen());
    EXPECT_TRUE(Skips().empty());
  }
}

TEST_F(SafeStart, TheMarkerIsReadAndClearedAndOnlyAPathCounts) {
  char got[safeload::kMarkerSize];
  EXPECT_FALSE(safeload::ReadMarker(got)) << "no file";
  ASSERT_TRUE(ktest::WriteBytes(marker, Bytes(260, 0)));
  EXPECT_FALSE(safeload::ReadMarker(got)) << "zeros";
  // 300 bytes without a zero: only the record's 259 characters count.
  ASSERT_TRUE(ktest::WriteBytes(marker, Bytes(300, 'x')));
  ASSERT_TRUE(safeload::ReadMarker(got));
  EXPECT_EQ(std::string(259, 'x'), got);
  safeload::ClearMarker();
  const Bytes b = ktest::ReadBytes(marker);
  ASSERT_LE(260u, b.size());
  EXPECT_EQ(Bytes(260, 0), Bytes(b.begin(), b.begin() + 260));
  EXPECT_FALSE(safeload::ReadMarker(got));
}

}  // namespace
