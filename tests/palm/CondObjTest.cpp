// The conduit module probe and the table behind the record's module-object slot.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "palm/CondMgr.h"
#include "PalmTest.h"
#include "TestSupport.h"

using namespace ptest;

namespace {

TEST(CondObjTest, ProbesSampleLibraries) {
  struct Case {
    const char* file;  // nullptr: empty path
    bool open;
    bool conduit;
    bool named;        // GetConduitName is called
    const char* name;  // expected buffer
  };
  const Case cases[] = {
      {"addrcond.dll", true, true, true, "Address Book"},
      {"XYMirror.dll", true, true, true, "XY Mirror"},
      {"nocond.dll", true, false, true, "Not A Conduit"},
      {"noname.dll", true, true, false, "untouched"},
      {"nosuch.dll", false, false, false, "untouched"},
      {nullptr, false, false, false, "untouched"},
  };
  for (const Case& c : cases) {
    std::string path = c.file ? Conduit(c.file) : std::string();
    SCOPED_TRACE(path);
    CCondObj obj(path.c_str());
    EXPECT_EQ(c.open, obj.IsOpen());
    EXPECT_EQ(c.conduit, obj.IsConduit());
    char buf[64] = "untouched";
    int r = obj.GetName(buf, sizeof buf);
    if (!c.named) {
      EXPECT_EQ(kPalmMissing, r);
    }
    EXPECT_STREQ(c.name, buf);
  }
}

TEST(CondObjTest, NameFillingTheWholeBufferIsTerminatedInside) {
  CCondObj obj(Conduit("full64.dll").c_str());
  char buf[80];
  memset(buf, 'x', sizeof buf);
  obj.GetName(buf, 64);
  EXPECT_EQ(std::string(63, 'F'), buf);
  EXPECT_EQ('x', buf[64]);
}

TEST(CondObjTest, OpenKeepsOrReleasesTheOldLibrary) {
  CCondObj obj(Conduit("addrcond.dll").c_str());
  HMODULE old = obj.GetModule();
  ASSERT_NE(nullptr, old);

  EXPECT_FALSE(obj.Open(""));
  EXPECT_FALSE(obj.Open(nullptr));
  EXPECT_EQ(old, obj.GetModule());
  EXPECT_TRUE(obj.IsConduit());

  EXPECT_FALSE(obj.Open(Conduit("nosuch.dll").c_str()));
  EXPECT_FALSE(obj.IsOpen());
  EXPECT_FALSE(obj.IsConduit());
  EXPECT_EQ(nullptr, GetModuleHandleA(Conduit("addrcond.dll").c_str()));

  EXPECT_TRUE(obj.Open(Conduit("nocond.dll").c_str()));
  EXPECT_FALSE(obj.IsConduit());
  obj.Close();
  EXPECT_FALSE(obj.IsOpen());
  EXPECT_EQ(nullptr, GetModuleHandleA(Conduit("nocond.dll").c_str()));
}

TEST(CondObjTest, TwoObjectsOnOneLibraryHoldTheirOwnReference) {
  std::string path = Conduit("datecond.dll");
  auto first = std::make_unique<CCondObj>(path.c_str());
  CCondObj second(path.c_str());
  first.reset();
  char buf[64] = {};
  second.GetName(buf, sizeof buf);
  EXPECT_STREQ("Date Book", buf);
  second.Close();
  EXPECT_EQ(nullptr, GetModuleHandleA(path.c_str()));
}

TEST(CondObjTest, HandlesResolveUntilReleasedAndAreNeverReused) {
  EXPECT_EQ(0u, RegisterCondObj(nullptr));
  EXPECT_EQ(nullptr, ResolveCondObj(0));

  auto obj = std::make_unique<CCondObj>("");
  CCondObj* raw = obj.get();
  CondObjHandle h = RegisterCondObj(std::move(obj));
  ASSERT_NE(0u, h);
  EXPECT_EQ(raw, ResolveCondObj(h));

  CondInfo info{};
  info.hCondObj = h;
  CondInfo copy = info;
  EXPECT_EQ(raw, GetCondObj(copy));

  ReleaseCondObj(h);
  EXPECT_EQ(nullptr, GetCondObj(copy));
  ReleaseCondObj(h);  // twice: nothing

  CondObjHandle next = RegisterCondObj(std::make_unique<CCondObj>(""));
  EXPECT_NE(h, next);
  EXPECT_EQ(nullptr, ResolveCondObj(h));
  ReleaseCondObj(next);
}

class CondObjCatalogueTest : public PalmTest {};

TEST_F(CondObjCatalogueTest, ByteCopyOfARecordSharesItsObjectUntilClear) {
  ASSERT_TRUE(LoadPalmLibraries(kPalmAll));
  WriteApplication(0, Conduit("addrcond.dll"), "addr");
  CCondMgr mgr;
  mgr.Load(kLoadApplication);
  ASSERT_EQ(1u, mgr.GetCount());
  CondInfo* rec = mgr.GetFirst();
  CCondObj* obj = GetCondObj(*rec);
  ASSERT_NE(nullptr, obj);
  EXPECT_TRUE(obj->IsConduit());

  CondInfo copy;
  memcpy(&copy, rec, sizeof copy);
  EXPECT_EQ(obj, GetCondObj(copy));

  mgr.Clear();
  EXPECT_EQ(0u, mgr.GetCount());
  EXPECT_EQ(nullptr, GetCondObj(copy));
  EXPECT_EQ(nullptr, GetModuleHandleA(Conduit("addrcond.dll").c_str()));
}

}  // namespace
