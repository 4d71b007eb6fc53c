// The settings file, the backup-set list and the table-font exchange, without a window.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/Settings.h"
#include "format/CxList.h"
#include "format/SettingsValues.h"
#include "Skin.h"
#include "TestSupport.h"

namespace {

class SettingsFile : public ::testing::Test {
 protected:
  ktest::TempDir dir{"settings_ini"};
  std::string ini = dir.file("orlenta.ini");
  AppSettings s{};
  CxList sets;

  void TearDown() override { ClearBakSets(sets); }
  void Put(const char* sec, const char* key, const char* value) {
    WritePrivateProfileStringA(sec, key, value, ini.c_str());
  }
  std::string Get(const char* sec, const char* key) {
    char buf[512] = {};
    GetPrivateProfileStringA(sec, key, "<none>", buf, sizeof buf, ini.c_str());
    return buf;
  }
  BakSetEntry* At(unsigned i) { return static_cast<BakSetEntry*>(sets.GetAt(i)); }
};

TEST_F(SettingsFile, MissingFileGivesDefaults) {
  LoadSettingsFile(ini.c_str(), s, sets);
  AppSettings zero{};
  EXPECT_EQ(0, memcmp(&zero, &s, sizeof s));
  EXPECT_EQ(0u, sets.GetCount());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(ini.c_str()));  // reading creates nothing
}

TEST_F(SettingsFile, ValuesAsWrittenByHand) {
  Put("Kestrin", "SkinType", "3");
  Put("Kestrin", "Font-Height", "-13");
  Put("Kestrin", "Font-Weight", "700");
  Put("Kestrin", "Font-Style", "abc");  // not a number
  Put("Kestrin", "Font-Color", "-2147483640");  // a system colour
  Put("Kestrin", "Font-CharSet", "238");
  const std::string longFace(70, 'F');
  Put("Kestrin", "Font-Face", longFace.c_str());
  Put("KestrinFile", "Count", "2");
  Put("KestrinFile", "KestrinSet1", "kestrinset1.bak");  // set 2 and both descriptions missing
  LoadSettingsFile(ini.c_str(), s, sets);

  EXPECT_EQ(3u, s.nSkinType);
  EXPECT_EQ(-13, s.nFontHeight);
  EXPECT_EQ(700, s.nFontWeight);
  EXPECT_EQ(0, s.nFontStyle);
  EXPECT_EQ(static_cast<int32_t>(0x80000008u), s.nFontColor);
  EXPECT_EQ(238, s.nFontCharSet);
  EXPECT_EQ(std::string(63, 'F'), s.szFontFace);
  ASSERT_EQ(2u, sets.GetCount());
  EXPECT_STREQ("kestrinset1.bak", At(0)->szFile);
  EXPECT_STREQ("", At(0)->szDesc);
  EXPECT_STREQ("", At(1)->szFile);
  EXPECT_STREQ("", At(1)->szDesc);
}

TEST_F(SettingsFile, NegativeCountReadsNoSets) {
  Put("KestrinFile", "Count", "-4");
  Put("KestrinFile", "KestrinSet1", "a.bak");
  LoadSettingsFile(ini.c_str(), s, sets);
  EXPECT_EQ(0u, sets.GetCount());
}

// A Count written by hand far beyond any real list stops at the limit instead of stalling the
// start-up; the sets up to it are read as usual.
TEST_F(SettingsFile, HugeCountReadsUpToTheLimit) {
  Put("KestrinFile", "Count", "2147483647");
  Put("KestrinFile", "KestrinSet1", "a.bak");
  Put("KestrinFile", "KestrinDesc10000", "last");
  LoadSettingsFile(ini.c_str(), s, sets);
  ASSERT_EQ(static_cast<uint32_t>(kMaxBakSets), sets.GetCount());
  EXPECT_STREQ("a.bak", At(0)->szFile);
  EXPECT_STREQ("last", At(kMaxBakSets - 1)->szDesc);
}

// Integer values read exactly as the C runtime's strtol of the program's Windows builds reads
// them (long has 32 bits there), including blanks, signs, trailing text and overflow.
TEST(SettingsValues, IntegersReadAsTheRuntimeReadsThem) {
  const char* const texts[] = {
      "", "0", "7", "+7", "-13", "  42", "\t-8", "12abc", "abc", "- 5", "+-3", "0x1F", "007",
      "2147483647", "2147483648", "-2147483648", "-2147483649", "99999999999999999999",
      "-99999999999999999999", "4294967295", " \r\n\v\f9",
  };
  for (const char* t : texts) {
    SCOPED_TRACE(t);
    EXPECT_EQ(static_cast<int32_t>(strtol(t, nullptr, 10)), ParseProfileInt(t));
  }
  EXPECT_EQ(0, ParseProfileInt(nullptr));
}

TEST_F(SettingsFile, RoundTripCarriesEveryFieldAndLeavesExtraKeys) {
  Put("Kestrin", "Font-Weight", "-5");
  Put("Kestrin", "Font-Style", "12");
  Put("KestrinFile", "KestrinSet9", "by hand.bak");  // beyond Count: kept, ignored
  LoadSettingsFile(ini.c_str(), s, sets);
  s.nSkinType = 4;
  s.nFontHeight = -16;
  s.nFontColor = 0x00112233;
  s.nFontCharSet = 204;
  strcpy(s.szFontFace, "Tahoma");
  BakSetEntry a{"kestrinset1.bak", "first"};
  BakSetEntry b{"kestrinset2.bak", "second"};
  AddBakSet(sets, &a);
  AddBakSet(sets, &b);
  SaveSettingsFile(ini.c_str(), s, sets);

  // Two more runs: weight and style come back exactly as the file held them.
  for (int run = 0; run < 2; ++run) {
    AppSettings again{};
    ClearBakSets(sets);
    LoadSettingsFile(ini.c_str(), again, sets);
    EXPECT_EQ(0, memcmp(&s, &again, sizeof s)) << "run " << run;
    SaveSettingsFile(ini.c_str(), again, sets);
  }
  EXPECT_EQ("-5", Get("Kestrin", "Font-Weight"));
  EXPECT_EQ("12", Get("Kestrin", "Font-Style"));
  EXPECT_EQ("2", Get("KestrinFile", "Count"));
  EXPECT_EQ("second", Get("KestrinFile", "KestrinDesc2"));
  EXPECT_EQ("by hand.bak", Get("KestrinFile", "KestrinSet9"));
  ASSERT_EQ(2u, sets.GetCount());
  EXPECT_STREQ("kestrinset2.bak", At(1)->szFile);
}

TEST_F(SettingsFile, AddBakSetMatchesFileNamesExactly) {
  BakSetEntry first{"Set.bak", "old"};
  BakSetEntry* held = AddBakSet(sets, &first);
  ASSERT_NE(nullptr, held);
  EXPECT_NE(&first, held);  // the list holds its own copy

  BakSetEntry same{"Set.bak", "new"};
  EXPECT_EQ(held, AddBakSet(sets, &same));
  EXPECT_STREQ("old", held->szDesc);

  BakSetEntry otherCase{"set.bak", "case"};
  BakSetEntry* second = AddBakSet(sets, &otherCase);
  EXPECT_NE(held, second);
  EXPECT_EQ(2u, sets.GetCount());
  EXPECT_EQ(nullptr, AddBakSet(sets, nullptr));
}

TEST(ExchangeFont, ApplySetsOnlyFieldsThatAreSet) {
  struct Case {
    const char* what;
    int32_t height, color, charset;
    const char* face;
    LONG wantHeight;
    int32_t wantColor;
    BYTE wantCharSet;
    const char* wantFace;
  };
  const Case cases[] = {
      {"nothing set", 0, 0, 0, "", -11, kClWindowText, DEFAULT_CHARSET, "MS Sans Serif"},
      {"all set", -16, 0x0000FF, 238, "Tahoma", -16, 0x0000FF, 238, "Tahoma"},
      {"black is not set", -12, 0, 0, "", -12, kClWindowText, DEFAULT_CHARSET, "MS Sans Serif"},
  };
  for (const Case& c : cases) {
    AppSettings s{};
    s.nFontHeight = c.height;
    s.nFontColor = c.color;
    s.nFontCharSet = c.charset;
    strcpy(s.szFontFace, c.face);
    s.nFontWeight = 700;
    s.nFontStyle = 3;
    TableFont f = DefaultTableFont();
    ASSERT_TRUE(ExchangeFont(&s, &f, false)) << c.what;
    EXPECT_EQ(c.wantHeight, f.lf.lfHeight) << c.what;
    EXPECT_EQ(c.wantColor, f.nColor) << c.what;
    EXPECT_EQ(c.wantCharSet, f.lf.lfCharSet) << c.what;
    EXPECT_STREQ(c.wantFace, f.lf.lfFaceName) << c.what;
    EXPECT_EQ(FW_NORMAL, f.lf.lfWeight) << c.what;  // weight and style are never applied
    EXPECT_EQ(0, f.lf.lfItalic) << c.what;
  }
}

TEST(ExchangeFont, ApplyStopsAtAnUnterminatedFace) {
  AppSettings s{};
  memset(s.szFontFace, 'Z', sizeof s.szFontFace);  // no terminator anywhere
  TableFont f = DefaultTableFont();
  ASSERT_TRUE(ExchangeFont(&s, &f, false));
  EXPECT_EQ(std::string(LF_FACESIZE - 1, 'Z'), f.lf.lfFaceName);
}

TEST(ExchangeFont, TakeSetsFourFieldsAndKeepsWeightAndStyle) {
  AppSettings s{};
  s.nSkinType = 2;
  s.nFontWeight = 400;
  s.nFontStyle = 1;
  TableFont f = DefaultTableFont();
  f.lf.lfHeight = -20;
  f.lf.lfWeight = FW_BOLD;
  f.lf.lfCharSet = 161;
  strcpy(f.lf.lfFaceName, "Courier New");
  f.nColor = 0x00FF00;
  ASSERT_TRUE(ExchangeFont(&s, &f, true));
  EXPECT_EQ(-20, s.nFontHeight);
  EXPECT_EQ(0x00FF00, s.nFontColor);
  EXPECT_EQ(161, s.nFontCharSet);
  EXPECT_STREQ("Courier New", s.szFontFace);
  EXPECT_EQ(400, s.nFontWeight);
  EXPECT_EQ(1, s.nFontStyle);
  EXPECT_EQ(2u, s.nSkinType);

  EXPECT_FALSE(ExchangeFont(nullptr, &f, true));
  EXPECT_FALSE(ExchangeFont(&s, nullptr, false));
}

TEST(SkinTheme, FiveSkinsInOrderAndNothingElse) {
  const kui::Theme want[] = {kui::Theme::BlueGlass, kui::Theme::DeepBlue, kui::Theme::MacOS,
                             kui::Theme::WinXP, kui::Theme::Protein};
  for (uint32_t n = 0; n < 5; ++n) {
    kui::Theme t = kui::Theme::Protein;
    ASSERT_TRUE(SkinTheme(n, t));
    EXPECT_EQ(want[n], t);
  }
  kui::Theme t = kui::Theme::DeepBlue;
  EXPECT_FALSE(SkinTheme(7, t));
  EXPECT_EQ(kui::Theme::DeepBlue, t);
}

}  // namespace
