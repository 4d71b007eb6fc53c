// What a table row shows and which application buttons a selection enables.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/ListRows.h"

namespace {

CondInfo Rec(const char* creator, const char* path, int32_t status, uint32_t flags = 0) {
  CondInfo r;
  memset(&r, 0, sizeof r);
  strcpy(r.szCreatorID, creator);
  strcpy(r.szConduit, path);
  strcpy(r.szName, "Name");
  r.nStatus = status;
  r.dwFlags = flags;
  return r;
}

TEST(ListRows, ApplicationRows) {
  enum Shown { Catalogue, Skipped, Removed };  // catalogue record, skipped library, removed
  struct Case {
    const char* what;
    CondInfo rec;
    Shown shown;
    const char* file;
    int image;
  };
  const Case cases[] = {
      {"registered", Rec("addr", "C:\\a.dll", kStatusInstalled), Catalogue, "C:\\a.dll",
       kImgInstalled},
      {"registered, library skipped", Rec("addr", "C:\\a.dll", kStatusInstalled), Skipped,
       "C:\\a.dll ( not loaded ).", kImgMissing},
      {"library missing", Rec("addr", "C:\\a.dll", kStatusMissing), Catalogue,
       "C:\\a.dll ( file not found ).", kImgMissing},
      {"empty path", Rec("addr", "", kStatusMissing), Catalogue, "", kImgMissing},
      {"status 2 in the catalogue", Rec("addr", "C:\\a.dll", kStatusRemoved), Catalogue,
       "C:\\a.dll ( file not found ).", kImgMissing},
      {"removed conduit", Rec("addr", "C:\\a.dll", kStatusRemoved, kFlagRemoved), Removed,
       "C:\\a.dll", kImgRemoved},
  };
  for (const Case& c : cases) {
    CondRow row = c.shown == Removed ? AppRemovedRow(c.rec)
                                     : AppCatalogueRow(c.rec, c.shown == Skipped);
    EXPECT_EQ("Name", row.name) << c.what;
    EXPECT_EQ("addr", row.creator) << c.what;
    EXPECT_EQ(c.file, row.file) << c.what;
    EXPECT_EQ(c.image, row.image) << c.what;
  }
}

TEST(ListRows, SystemRowsByLoadNotStatus) {
  CondInfo backup = Rec("", "C:\\backup.dll", kStatusMissing);
  backup.dwCreatorID = 0xFFFFFFFFu;
  CondRow loaded = SysRow(backup, true);
  EXPECT_EQ("0xffffffff", loaded.creator);
  EXPECT_EQ("C:\\backup.dll", loaded.file);
  EXPECT_EQ(kImgInstalled, loaded.image);

  CondInfo inst = Rec("inst", "", kStatusMissing);
  inst.dwCreatorID = 0x0000abcd;
  CondRow missing = SysRow(inst, false);
  EXPECT_EQ("0xabcd", missing.creator);  // no padding
  EXPECT_EQ(" ( file not found ).", missing.file);  // also for an empty path
  EXPECT_EQ(kImgMissing, missing.image);

  CondRow skipped = SysRow(backup, false, true);
  EXPECT_EQ("C:\\backup.dll ( not loaded ).", skipped.file);
  EXPECT_EQ(kImgMissing, skipped.image);
}

TEST(ListRows, ApplicationButtonRules) {
  CondInfo installed = Rec("inst", "a", kStatusInstalled);
  CondInfo removed = Rec("remv", "b", kStatusRemoved, kFlagRemoved);
  struct Case {
    const char* what;
    unsigned count;
    std::vector<const CondInfo*> selected;
    AppButtons want;  // change, uninst, restore, props
  };
  const Case cases[] = {
      {"none: unchanged", 0, {}, {false, false, false, false}},
      {"one installed", 1, {&installed}, {true, true, false, true}},
      {"one removed", 1, {&removed}, {true, false, true, true}},
      {"one row without record", 1, {nullptr}, {true, true, false, true}},
      {"one reported, none found", 1, {}, {true, false, false, false}},
      {"two installed", 2, {&installed, &installed}, {true, true, false, true}},
      {"two removed", 2, {&removed, &removed}, {true, false, true, true}},
      {"one of each", 2, {&removed, &installed}, {true, true, true, true}},
  };
  for (const Case& c : cases) {
    AppButtons b = DecideAppButtons(c.count, c.selected);
    EXPECT_EQ(c.want.change, b.change) << c.what;
    if (!c.want.change) continue;
    EXPECT_EQ(c.want.uninst, b.uninst) << c.what;
    EXPECT_EQ(c.want.restore, b.restore) << c.what;
    EXPECT_EQ(c.want.props, b.props) << c.what;
  }
}

}  // namespace
