// Recognising PocketMirror conduits and completing their registration keys.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "format/KxText.h"
#include "palm/CondMgr.h"
#include "PalmTest.h"

using namespace ptest;

namespace {

CondInfo MakeInfo(const char* creator, const char* conduit, const char* product = "") {
  CondInfo info{};
  kx::CopyText(info.szCreatorID, creator);
  kx::CopyText(info.szConduit, conduit);
  kx::CopyText(info.szProduct, product);
  return info;
}

TEST(PocketMirrorTest, Recognition) {
  struct Case {
    const char* creator;
    const char* conduit;
    const char* product;
    bool mirror;
  };
  const Case cases[] = {
      {"PAdd", "C:\\Palm\\XYMirror.dll", "", true},
      {"addr", "C:\\Palm\\XYMirror.dll", "", true},
      {"PMem", "C:\\Mirror\\memo.dll", "", true},  // anywhere in the path
      {"addr", "C:\\Palm\\xymirror.dll", "", false},
      {"PMem", "C:\\Palm\\memo.dll", "", false},
      {"PADD", "C:\\Palm\\XYMirror.dll", "", false},
      {"mail", "C:\\Palm\\XYMirror.dll", "", false},
      {"zzzz", "C:\\Palm\\other.dll", "PocketMirror", true},
      {"zzzz", "C:\\Palm\\other.dll", "pocketmirror", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.creator) + " " + c.conduit + " " + c.product);
    CondInfo info = MakeInfo(c.creator, c.conduit, c.product);
    EXPECT_EQ(c.mirror, IsPocketMirrorConduit(&info));
  }
  EXPECT_FALSE(IsPocketMirrorConduit(nullptr));
}

class PocketMirrorKeyTest : public PalmTest {
 protected:
  // Application0..count-1 holding unrelated conduits.
  void WriteOthers(int count) {
    for (int n = 0; n < count; ++n)
      WriteApplication(n, "C:\\Palm\\other" + std::to_string(n) + ".dll", "othr");
  }
  static std::string Value(int n, const char* name) {
    std::string s;
    return GetText(AppKey(n), name, &s) ? s : "(none)";
  }
};

TEST_F(PocketMirrorKeyTest, WritesUiValuesIntoTheKeyOfTheLibrary) {
  struct Case {
    const char* creator;
    const char* module;
  };
  const Case cases[] = {{"PAdd", "MirrXTUI.dll"}, {"addr", "MirrorUI.dll"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.creator);
    Clean();
    WriteOthers(5);
    // The base name is compared without regard to folder, extension or case.
    SetText(AppKey(3), "Conduit", "D:\\Elsewhere\\XYMIRROR.DLL");
    CondInfo info = MakeInfo(c.creator, "C:\\Palm\\XYMirror.dll");
    char key[MAX_PATH];
    ASSERT_TRUE(FindApplicationKey(&info, key));
    EXPECT_EQ(AppKey(3), key);
    EXPECT_EQ(0, SetPocketMirrorUi(&info));
    EXPECT_EQ(c.module, Value(3, "UiModule"));
    EXPECT_EQ("XYSettings", Value(3, "UiEntry"));
    EXPECT_EQ("(none)", Value(2, "UiModule"));
  }
}

TEST_F(PocketMirrorKeyTest, KeyWalk) {
  CondInfo info = MakeInfo("PAdd", "C:\\Palm\\XYMirror.dll");
  char key[MAX_PATH];

  // The walk ends at the first missing number.
  WriteOthers(5);
  WriteApplication(6, "C:\\Palm\\XYMirror.dll", "PAdd");
  EXPECT_FALSE(FindApplicationKey(&info, key));
  EXPECT_EQ(0, SetPocketMirrorUi(&info));
  EXPECT_EQ("(none)", Value(6, "UiModule"));

  // The lower number wins; the creator is not compared.
  WriteApplication(5, "C:\\Other\\XYMirror.dll", "addr");
  WriteApplication(1, "XYMirror.dll", "memo");
  ASSERT_TRUE(FindApplicationKey(&info, key));
  EXPECT_EQ(AppKey(1), key);

  // A key without a creator, with creator 0 or without a library is passed over.
  SetDword(AppKey(1), "Creator", 0);
  SetText(AppKey(2), "Conduit", "XYMirror.dll");
  RegDeleteKeyValueA(HKEY_CURRENT_USER, AppKey(2).c_str(), "Creator");
  WriteApplication(3, "C:\\Palm\\XYMirror.dll", "PAdd");
  RegDeleteKeyValueA(HKEY_CURRENT_USER, AppKey(3).c_str(), "Conduit");
  ASSERT_TRUE(FindApplicationKey(&info, key));
  EXPECT_EQ(AppKey(5), key);
}

TEST_F(PocketMirrorKeyTest, UiEntryTakesTwoCharactersPaddedLeft) {
  struct Case {
    const char* conduit;
    const char* entry;
  };
  const Case cases[] = {
      {"C:\\Palm\\XYMirror.dll", "XYSettings"},
      {"C:\\Palm\\Q.dll", " QSettings"},
      {"C:\\Palm\\.dll", "  Settings"},
      {"Mirror", "MiSettings"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.conduit);
    WriteApplication(n, c.conduit, "PAdd");
    CondInfo info = MakeInfo("PAdd", c.conduit);
    EXPECT_EQ(0, SetPocketMirrorUi(&info));
    EXPECT_EQ(c.entry, Value(n, "UiEntry"));
    ++n;
  }
}

}  // namespace
