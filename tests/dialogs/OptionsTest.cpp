// The Options command and its dialog TfmSkin: the skin of every window and the tables' font.
#include <windows.h>

#include <commctrl.h>

#include <cstring>

#include "BackupForm.h"
#include "DialogsFixture.h"
#include "OptionsForm.h"
#include "ui/CommonDialogs.h"

namespace dtest {
namespace {

using itest::Click;
using itest::Text;

int T(kui::Theme t) { return static_cast<int>(t); }

class OptionsTest : public DialogsTest {
 protected:
  void TearDown() override {
    kui::SetFontPicker(nullptr);
    DialogsTest::TearDown();
  }
  bool Options(std::function<void(TfmSkin&)> script) {
    return RunDialog(fm->sbtnSkin, TfmSkin::kClassName,
                     [&](kui::ModalWindow& w) { script(static_cast<TfmSkin&>(w)); });
  }
  std::vector<HWND> Radios(TfmSkin& d) {
    return {d.rbtnBlueGlass, d.rbtnDeepBlue, d.rbtnMacOS, d.rbtnWinXP, d.rbtnProtein};
  }
  int CheckedSkin(TfmSkin& d) {
    int found = -1, count = 0;
    std::vector<HWND> r = Radios(d);
    for (size_t i = 0; i < r.size(); ++i) {
      if (Checked(r[i])) {
        found = static_cast<int>(i);
        ++count;
      }
    }
    return count == 1 ? found : -2;
  }
};

TEST_F(OptionsTest, TheDialogOpensOnTheStoredSkinAndOkStoresTheChoice) {
  struct Case {
    int stored;
    int checked;     // radio checked at opening
    int click;       // radio clicked before OK, -1 none
    int storedAfter;
    bool changed;
    kui::Theme main;  // the main window's theme afterwards
  } cases[] = {
      {7, 0, -1, 0, true, kui::Theme::BlueGlass},  // out of range: Blue Glass, stored as 0
      {0, 0, -1, 0, false, kui::Theme::BlueGlass},
      {1, 1, 1, 1, false, kui::Theme::DeepBlue},   // the stored one again: no re-skin
      {1, 1, 4, 4, true, kui::Theme::Protein},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("stored " + std::to_string(c.stored) + ", click " + std::to_string(c.click));
    StartWithSkin(c.stored);
    bool changed = !c.changed;
    std::string title;
    SIZE size{};
    int checkedAtOpen = -3, dialogTheme = -1;
    ASSERT_TRUE(Options([&](TfmSkin& d) {
      title = Text(d.hwnd());
      size = ClientSize(d.hwnd());
      checkedAtOpen = CheckedSkin(d);
      dialogTheme = ThemeOf(d.hwnd());
      if (c.click >= 0) Click(Radios(d)[static_cast<size_t>(c.click)]);
      Click(d.sbtnOK);
      changed = d.m_bSkinChanged;
      EXPECT_EQ(static_cast<uint32_t>(c.storedAfter), d.m_nSkinType);
    }));
    EXPECT_EQ("Kestrin Options", title);
    EXPECT_EQ(316, size.cx);
    EXPECT_EQ(268, size.cy);
    EXPECT_EQ(c.checked, checkedAtOpen);
    EXPECT_EQ(T(c.stored > 4 ? kui::Theme::BlueGlass : static_cast<kui::Theme>(c.stored)),
              dialogTheme);
    EXPECT_EQ(c.changed, changed);
    EXPECT_EQ(static_cast<uint32_t>(c.storedAfter), fm->m_Settings.nSkinType);
    EXPECT_EQ(T(c.main), ThemeOf(fm->hwnd()));
    EXPECT_EQ(T(c.main), ThemeOf(fm->slvApp));
  }
  // Later dialogs open in the new skin.
  ASSERT_TRUE(RunDialog(fm->sbtnBackup, TfmBackup::kClassName, [&](kui::ModalWindow& w) {
    EXPECT_EQ(T(kui::Theme::Protein), ThemeOf(w.hwnd()));
  }));
  EXPECT_TRUE(shown.empty());
}

TEST_F(OptionsTest, APreviewThenCancelChangesNothing) {
  WriteSkin(1);
  Start();
  int previewFrame = -1, previewButton = -1, mainDuring = -1;
  ASSERT_TRUE(Options([&](TfmSkin& d) {
    Click(d.rbtnMacOS);
    previewFrame = ThemeOf(d.hwnd());
    previewButton = ThemeOf(d.btnFont);
    mainDuring = ThemeOf(fm->sbtnBackup);
    EXPECT_EQ(2, CheckedSkin(d));
    Click(d.sbtnCancel);
  }));
  EXPECT_EQ(T(kui::Theme::MacOS), previewFrame);
  EXPECT_EQ(T(kui::Theme::MacOS), previewButton);
  EXPECT_EQ(T(kui::Theme::DeepBlue), mainDuring);
  EXPECT_EQ(1u, fm->m_Settings.nSkinType);
  EXPECT_EQ(T(kui::Theme::DeepBlue), ThemeOf(fm->hwnd()));
  EXPECT_EQ(T(kui::Theme::DeepBlue), ThemeOf(fm->sbtnBackup));
}

TEST_F(OptionsTest, TheDialogThemesExactlyItsListedParts) {
  WriteSkin(4);
  Start();
  ASSERT_TRUE(Options([&](TfmSkin& d) {
    EXPECT_EQ((std::vector<std::string>{"sfSkin", "rbtnBlueGlass", "rbtnDeepBlue", "rbtnMacOS",
                                        "rbtnWinXP", "rbtnProtein", "sbtnOK", "sbtnCancel",
                                        "gbSkin", "gbFont", "btnFont"}),
              d.tmSkin.Themed());
    EXPECT_EQ(-1, ThemeOf(d.lblSample));
  }));
}

TEST_F(OptionsTest, ABoldItalicFontReachesTheTablesAsFaceSizeColourAndCharacterSetOnly) {
  Start();
  fm->m_Settings.nFontWeight = 5;  // carried only: never taken from the font
  fm->m_Settings.nFontStyle = 6;
  const COLORREF red = RGB(200, 0, 0);
  LOGFONTA start{};
  COLORREF startColor = 1;
  kui::SetFontPicker([&](HWND, LOGFONTA& lf, COLORREF& color) {
    start = lf;
    startColor = color;
    lf.lfHeight = -16;  // 12 point
    lf.lfWeight = FW_BOLD;
    lf.lfItalic = TRUE;
    lf.lfUnderline = TRUE;
    lf.lfCharSet = EASTEUROPE_CHARSET;
    strcpy(lf.lfFaceName, "Courier New");
    color = red;
    return true;
  });
  LOGFONTA sample{};
  ASSERT_TRUE(Options([&](TfmSkin& d) {
    Click(d.btnFont);
    EXPECT_TRUE(d.m_bFontChanged);
    auto f = reinterpret_cast<HFONT>(SendMessageA(d.lblSample, WM_GETFONT, 0, 0));
    ASSERT_NE(nullptr, f);
    GetObjectA(f, sizeof sample, &sample);
    Click(d.sbtnOK);
  }));
  // The picker started from the sample: the label's own font.
  EXPECT_STREQ("MS Sans Serif", start.lfFaceName);
  EXPECT_EQ(-11, start.lfHeight);
  EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), startColor);
  // The sample shows the font whole.
  EXPECT_EQ(FW_BOLD, sample.lfWeight);
  EXPECT_TRUE(sample.lfItalic);
  EXPECT_STREQ("Courier New", sample.lfFaceName);

  const AppSettings& s = fm->m_Settings;
  EXPECT_STREQ("Courier New", s.szFontFace);
  EXPECT_EQ(-16, s.nFontHeight);
  EXPECT_EQ(static_cast<int32_t>(red), s.nFontColor);
  EXPECT_EQ(EASTEUROPE_CHARSET, s.nFontCharSet);
  EXPECT_EQ(5, s.nFontWeight);
  EXPECT_EQ(6, s.nFontStyle);
  for (HWND lv : {fm->slvApp, fm->slvSys}) {
    LOGFONTA lf{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(lv, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    EXPECT_STREQ("Courier New", lf.lfFaceName);
    EXPECT_EQ(-16, lf.lfHeight);
    EXPECT_EQ(EASTEUROPE_CHARSET, lf.lfCharSet);
    EXPECT_EQ(FW_NORMAL, lf.lfWeight);
    EXPECT_FALSE(lf.lfItalic);
    EXPECT_FALSE(lf.lfUnderline);
    EXPECT_EQ(red, static_cast<COLORREF>(SendMessageA(lv, LVM_GETTEXTCOLOR, 0, 0)));
  }
}

TEST_F(OptionsTest, AFontChosenThenCancelledOrACancelledFontDialogChangesNothing) {
  Start();
  const AppSettings before = fm->m_Settings;
  LOGFONTA tableBefore{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(fm->slvApp, WM_GETFONT, 0, 0)),
             sizeof tableBefore, &tableBefore);
  struct Case {
    const char* name;
    bool pick;  // the font dialog confirms
    bool ok;    // the Options dialog closes with OK
  } cases[] = {{"font picked, dialog cancelled", true, false},
               {"font dialog cancelled, OK", false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    kui::SetFontPicker([&](HWND, LOGFONTA& lf, COLORREF& color) {
      lf.lfHeight = -30;
      strcpy(lf.lfFaceName, "Courier New");
      color = RGB(0, 200, 0);
      return c.pick;
    });
    bool fontChanged = true;
    ASSERT_TRUE(Options([&](TfmSkin& d) {
      Click(d.btnFont);
      fontChanged = d.m_bFontChanged;
      Click(c.ok ? d.sbtnOK : d.sbtnCancel);
    }));
    EXPECT_EQ(c.pick, fontChanged);
    EXPECT_EQ(0, memcmp(&before, &fm->m_Settings, sizeof before));
    LOGFONTA lf{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(fm->slvApp, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    EXPECT_STREQ(tableBefore.lfFaceName, lf.lfFaceName);
    EXPECT_EQ(tableBefore.lfHeight, lf.lfHeight);
  }
}

}  // namespace
}  // namespace dtest
