// The window-free rules of the install, uninstall, restore and properties commands.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/CondRules.h"
#include "palm/CondMgr.h"

namespace {

TEST(CondRules, PriorityReadLikeAtolAndNeverBelowOne) {
  struct Case {
    const char* text;
    int want;
  } cases[] = {
      {"3", 3},   {"9", 9},     {"  7x", 7}, {"+4", 4},  {"\t5", 5}, {"0", 2},
      {"-5", 2},  {"abc", 2},   {"", 2},     {" -0", 2}, {"1e3", 1}, {"0x10", 2},
      {"4 2", 4}, {"99999999999", 0x7FFFFFFF},
  };
  for (const Case& c : cases) EXPECT_EQ(c.want, ReadPriority(c.text)) << "'" << c.text << "'";
  EXPECT_EQ(2, ReadPriority(nullptr));
  EXPECT_EQ(2, FixPriority(0));
  EXPECT_EQ(2, FixPriority(-1));
  EXPECT_EQ(6, FixPriority(6));
}

TEST(CondRules, CreatorDefaultsMatchExactlyEitherID) {
  struct Case {
    const char* id;
    const char* dir;  // nullptr: no row
    const char* file;
  } cases[] = {
      {"addr", "address", "address.dat"},  {"PAdd", "address", "address.dat"},
      {"date", "datebook", "datebook.dat"}, {"PDat", "datebook", "datebook.dat"},
      {"todo", "todo", "todo.dat"},         {"PTod", "todo", "todo.dat"},
      {"memo", "memopad", "memopad.dat"},   {"PMem", "memopad", "memopad.dat"},
      {"Date", nullptr, nullptr},           {"DATE", nullptr, nullptr},
      {"pdat", nullptr, nullptr},           {"dat", nullptr, nullptr},
      {"date ", nullptr, nullptr},          {"", nullptr, nullptr},
  };
  for (const Case& c : cases) {
    const CreatorDefault* d = FindCreatorDefault(c.id);
    if (!c.dir) {
      EXPECT_EQ(nullptr, d) << c.id;
      continue;
    }
    ASSERT_NE(nullptr, d) << c.id;
    EXPECT_STREQ(c.dir, d->szDirectory) << c.id;
    EXPECT_STREQ(c.file, d->szFile) << c.id;
  }
}

TEST(CondRules, CutsKeepTheFirstCharactersAndTerminate) {
  const std::string s32(32, 'd'), s31(31, 'd');
  struct Case {
    std::string text;
    size_t limit;
    std::string want;
  } cases[] = {
      {"datebook", kCreatorIDLimit, "date"}, {"dat", kCreatorIDLimit, "dat"},
      {"", kCreatorIDLimit, ""},             {s32, kSettingLimit, s31},
      {s31, kSettingLimit, s31},             {s32 + "tail", kSettingLimit, s31},
  };
  for (const Case& c : cases) {
    char field[32];
    memset(field, 'x', sizeof field);
    CopyCut(field, c.text.c_str(), c.limit);
    EXPECT_EQ(c.want, std::string(field)) << c.text;
  }
  // The field is never overrun, whatever the limit says.
  char small[8];
  CopyCut(small, "0123456789", 31);
  EXPECT_STREQ("0123456", small);
}

TEST(CondRules, MessagesFillTheirPlaceholdersInOrder) {
  EXPECT_EQ("There is another conduit \"Memo Pad\" was associated with creator ID \"date\", it must "
            "be uninstalled before you install this conduit. Do you want to uninstall it?",
            FormatText(condtext::kConflict, "Memo Pad", "date"));
  EXPECT_EQ("Conduit \"100% <x>\" installed successfully.",
            FormatText(condtext::kInstalled, "100% <x>"));
  EXPECT_EQ("Conduits uininstalled successfully.", FormatText(condtext::kUninstalledMany, "x"));
}

CondInfo* Record(const char* creator, const char* path, int32_t status) {
  auto* p = new CondInfo{};
  strcpy(p->szCreatorID, creator);
  strcpy(p->szConduit, path);
  p->nStatus = status;
  return p;
}

TEST(CondRules, ConflictIsTheFirstRegisteredRecordOfTheSameCreatorText) {
  CCondMgr mgr;
  CondInfo* removed = Record("date", "C:\\a\\one.dll", kStatusRemoved);
  CondInfo* upper = Record("Date", "C:\\a\\two.dll", kStatusInstalled);
  CondInfo* same = Record("date", "C:\\a\\three.dll", kStatusInstalled);
  CondInfo* other = Record("date", "C:\\a\\four.dll", kStatusInstalled);
  for (CondInfo* p : {removed, upper, same, other}) ASSERT_TRUE(mgr.Add(p));

  CondInfo probe{};
  strcpy(probe.szCreatorID, "date");
  strcpy(probe.szConduit, "C:\\a\\three.dll");
  EXPECT_EQ(same, FindConflict(mgr, probe, false));   // install: any path
  EXPECT_EQ(other, FindConflict(mgr, probe, true));   // restore: another path only
  strcpy(probe.szConduit, "C:\\A\\THREE.DLL");        // exact comparison: another path
  EXPECT_EQ(same, FindConflict(mgr, probe, true));
  EXPECT_EQ(other, FindConflict(mgr, *same, false));  // never the record itself
  strcpy(probe.szCreatorID, "memo");
  EXPECT_EQ(nullptr, FindConflict(mgr, probe, false));
}

}  // namespace
