// Which names the program can use in its folder.
#include <gtest/gtest.h>

#include <string>

#include "core/FileNames.h"

namespace {

TEST(FileNames, SetNames) {
  const char* folder = "C:\\Kestrin\\";
  struct Case {
    std::string name;
    bool valid;
  } cases[] = {
      {"kestrinset1.bak", true}, {"Weekly backup.bak", true}, {"console.bak", true},
      {"COM0.bak", true},        {"nul1", true},              {".bak", true},
      {"", false},               {"a\\b.bak", false},         {"a/b.bak", false},
      {"a:b.bak", false},        {"a*.bak", false},           {"a?.bak", false},
      {"a\"b.bak", false},       {"a<b.bak", false},          {"a>b.bak", false},
      {"a|b.bak", false},        {"tab\there", false},        {"con", false},
      {"CON.bak", false},        {"Nul .bak", false},         {"com1.bak", false},
      {"LPT9", false},           {"prn.txt.bak", false},      {"aux", false},
      {"set.", false},           {"set ", false},
      {std::string(259 - 11 - 17, 'x'), true},  // exactly 259 with the folder and the suffix
      {std::string(259 - 11 - 17 + 1, 'x'), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.valid, IsValidSetName(c.name.c_str(), folder)) << "\"" << c.name << "\"";
  }
  EXPECT_FALSE(IsValidSetName(nullptr, folder));
}

// The longest own name is the proposed set "kestrinset9999.bak" (18), plus the temporary suffix
// (17): a folder of 224 characters leaves exactly 259.
TEST(FileNames, ProgramFolderLength) {
  const std::string fits = "C:\\" + std::string(224 - 4, 'd') + "\\";
  ASSERT_EQ(224u, fits.size());
  EXPECT_FALSE(ProgramFolderTooLong(fits.c_str()));
  const std::string longer = "C:\\" + std::string(225 - 4, 'd') + "\\";
  EXPECT_TRUE(ProgramFolderTooLong(longer.c_str()));
  EXPECT_FALSE(ProgramFolderTooLong("C:\\Program Files\\Kestrin\\"));
}

}  // namespace
