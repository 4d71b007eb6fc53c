#include "AccessWalk.h"

#include "TestSupport.h"

namespace atest {

using itest::Click;
using ptest::Conduit;

void WindowsTest::StartWithASet() {
  Register("addr", Conduit("addrcond.dll"), "Address");
  Start();
  ASSERT_TRUE(RunDialog(fm->sbtnBackup, TfmBackup::kClassName, [&](kui::ModalWindow& w) {
    Click(static_cast<TfmBackup&>(w).btnOK);
  }));
  ASSERT_EQ(1u, fm->GetBakSetCount());
  shown.clear();
}

void WindowsTest::Properties(std::function<void(TfmCondProp&)> check) {
  SelectOnly({0});
  bool dialogOpened = false;
  OnDialog([&](TfmCondProp& d) {
    dialogOpened = true;
    check(d);
  });
  Click(fm->sbtnAppProp);
  kui::ClearModalActions();
  EXPECT_TRUE(dialogOpened);
}

void WindowsTest::Backup(std::function<void(TfmBackup&)> check) {
  EXPECT_TRUE(RunDialog(fm->sbtnBackup, TfmBackup::kClassName,
                        [&](kui::ModalWindow& w) { check(static_cast<TfmBackup&>(w)); }));
}

void WindowsTest::Restore(std::function<void(TfmRestore&)> check) {
  EXPECT_TRUE(RunDialog(fm->sbtnRestoreCond, TfmRestore::kClassName,
                        [&](kui::ModalWindow& w) { check(static_cast<TfmRestore&>(w)); }));
}

void WindowsTest::Detail(std::function<void(TfmBakDetail&)> check) {
  bool dialogOpened = false;
  Restore([&](TfmRestore& r) {
    kui::SetNextModalAction(TfmBakDetail::kClassName, [&](kui::ModalWindow& w) {
      dialogOpened = true;
      check(static_cast<TfmBakDetail&>(w));
      if (!w.IsModalEnded()) w.EndModal(IDOK);
    });
    dtest::DoubleClickRow(r.lvFile, 0);
  });
  EXPECT_TRUE(dialogOpened);
}

void WindowsTest::Options(std::function<void(TfmSkin&)> check) {
  EXPECT_TRUE(RunDialog(fm->sbtnSkin, TfmSkin::kClassName,
                        [&](kui::ModalWindow& w) { check(static_cast<TfmSkin&>(w)); }));
}

void WindowsTest::About(std::function<void(TfmAbout&)> check) {
  EXPECT_TRUE(RunMenuDialog(IDM_ABOUT, TfmAbout::kClassName,
                            [&](kui::ModalWindow& w) { check(static_cast<TfmAbout&>(w)); }));
}

}  // namespace atest
