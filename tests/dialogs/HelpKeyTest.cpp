// F1 in every window opens the help file at that window's topic, wherever the focus is.
#include <windows.h>

#include <string>
#include <vector>

#include "AboutForm.h"
#include "BackupForm.h"
#include "BakDetailForm.h"
#include "DialogsFixture.h"
#include "OptionsForm.h"
#include "RestoreForm.h"
#include "ui/Help.h"
#include "palm/CondMgr.h"
#include "ui/Mnemonic.h"

namespace dtest {
namespace {

class HelpKeyTest : public DialogsTest {
 protected:
  std::vector<std::string> helped;
  void SetUp() override {
    DialogsTest::SetUp();
    kui::SetHelpOpener([this](const std::string& url) { helped.push_back(url); });
  }
  void TearDown() override {
    kui::SetHelpOpener(nullptr);
    DialogsTest::TearDown();
  }
  // F1 as the window's message loop gets it, sent to the control with the focus.
  void PressF1(HWND window) {
    HWND focus = GetFocus();
    MSG m{focus && IsChild(window, focus) ? focus : window, WM_KEYDOWN, VK_F1, 0, 0, {}};
    EXPECT_TRUE(kui::DialogKeys(window, m));
  }
  std::string Url(const char* topic) { return dir.path() + "kestrinhelp.chm::/" + topic + ".htm"; }
};

TEST_F(HelpKeyTest, EachWindowOpensItsTopic) {
  Register("addr", ptest::Conduit("addrcond.dll"), "A");
  Start();
  AddSet("kestrinset1.bak", "one");
  ASSERT_TRUE(fm->m_pAppCondMgr->SaveToFile(Prog("kestrinset1.bak").c_str()));

  PressF1(fm->hwnd());
  ASSERT_EQ(1u, helped.size());
  EXPECT_EQ(Url("main-window"), helped[0]);

  struct Case {
    HWND button;  // nullptr: the menu command
    int command;
    const char* cls;
    const char* topic;
  } cases[] = {
      {fm->sbtnAppProp, 0, TfmCondProp::kClassName, "properties"},
      {fm->sbtnBackup, 0, TfmBackup::kClassName, "file-backup"},
      {fm->sbtnRestoreCond, 0, TfmRestore::kClassName, "file-restore"},
      {fm->sbtnSkin, 0, TfmSkin::kClassName, "tools-options"},
      {nullptr, IDM_ABOUT, TfmAbout::kClassName, "help-about"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.topic);
    helped.clear();
    auto script = [&](kui::ModalWindow& w) { PressF1(w.hwnd()); };
    ASSERT_TRUE(c.button ? RunDialog(c.button, c.cls, script)
                         : RunMenuDialog(c.command, c.cls, script));
    ASSERT_EQ(1u, helped.size());
    EXPECT_EQ(Url(c.topic), helped[0]);
  }

  // The detail of a set, opened from the restore dialog's row.
  helped.clear();
  ASSERT_TRUE(RunDialog(fm->sbtnRestoreCond, TfmRestore::kClassName, [&](kui::ModalWindow& w) {
    kui::SetNextModalAction(TfmBakDetail::kClassName, [&](kui::ModalWindow& detail) {
      PressF1(detail.hwnd());
      detail.EndModal(IDOK);
    });
    DoubleClickRow(static_cast<TfmRestore&>(w).lvFile, 0);
  }));
  ASSERT_EQ(1u, helped.size());
  EXPECT_EQ(Url("backup-detail"), helped[0]);
}

}  // namespace
}  // namespace dtest
