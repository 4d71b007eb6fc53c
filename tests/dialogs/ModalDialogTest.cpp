// What every dialog takes from the shared skeleton: how Enter, Escape and the close box end it,
// and where the focus goes when it is activated again.
#include <windows.h>

#include <cstring>
#include <functional>
#include <memory>

#include "AboutForm.h"
#include "BackupForm.h"
#include "BakDetailForm.h"
#include "CondProp.h"
#include "DialogsFixture.h"
#include "format/CondInfo.h"
#include "OptionsForm.h"
#include "RestoreForm.h"

namespace dtest {
namespace {

using itest::Click;
using Make = std::function<std::unique_ptr<kui::ModalDialog>()>;

template <class D>
Make Maker() {
  return [] { return std::unique_ptr<kui::ModalDialog>(new D); };
}

class ModalDialogTest : public DialogsTest {
 protected:
  CondInfo record{};

  // A properties dialog on `record`, a listed conduit or the Install command's new one.
  Make CondProp(bool newConduit) {
    return [this, newConduit] {
      auto d = std::make_unique<TfmCondProp>();
      if (d->Create(fm->hwnd())) d->SetCondInfo(&record, newConduit);
      return std::unique_ptr<kui::ModalDialog>(d.release());
    };
  }
};

TEST_F(ModalDialogTest, EnterEscapeAndTheCloseBoxEndEachDialogAsItsOwnButtonsDo) {
  Start();
  strcpy(record.szName, "Memo");
  const WPARAM enter = MAKEWPARAM(IDOK, BN_CLICKED), escape = MAKEWPARAM(IDCANCEL, BN_CLICKED);
  struct Case {
    const char* name;
    Make make;
    UINT msg;
    WPARAM wp;
    bool ends;
    int result;  // -1: left open, then ended by the test
  } cases[] = {
      {"About, Escape", Maker<TfmAbout>(), WM_COMMAND, escape, true, IDOK},
      {"About, close box", Maker<TfmAbout>(), WM_CLOSE, 0, true, IDOK},
      {"Backup, Escape", Maker<TfmBackup>(), WM_COMMAND, escape, true, IDCANCEL},
      {"Backup, close box", Maker<TfmBackup>(), WM_CLOSE, 0, true, IDCANCEL},
      {"Restore without sets, Enter", Maker<TfmRestore>(), WM_COMMAND, enter, false, -1},
      {"Restore, close box", Maker<TfmRestore>(), WM_CLOSE, 0, true, IDCANCEL},
      {"Detail, Enter", Maker<TfmBakDetail>(), WM_COMMAND, enter, true, IDOK},
      {"Detail, close box", Maker<TfmBakDetail>(), WM_CLOSE, 0, true, IDCANCEL},
      {"Options, Escape", Maker<TfmSkin>(), WM_COMMAND, escape, true, IDCANCEL},
      {"Options, close box", Maker<TfmSkin>(), WM_CLOSE, 0, true, IDCANCEL},
      {"Properties, Escape", CondProp(false), WM_COMMAND, escape, true, IDCANCEL},
      {"Properties, close box", CondProp(false), WM_CLOSE, 0, true, IDCANCEL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<kui::ModalDialog> d = c.make();
    ASSERT_TRUE(d->hwnd() || d->Create(fm->hwnd()));
    bool ended = false;
    kui::SetNextModalAction(d->ClassName(), [&](kui::ModalWindow& w) {
      SendMessageA(w.hwnd(), c.msg, c.wp, 0);
      ended = w.IsModalEnded();
      if (!ended) w.EndModal(-1);
    });
    const int result = d->ShowModal(fm->hwnd());
    EXPECT_EQ(c.ends, ended);
    EXPECT_EQ(c.result, result);
  }
}

TEST_F(ModalDialogTest, TheFocusGoesBackToEachDialogsOwnControl) {
  Start();
  AddSet("kestrinset1.bak", "one");  // the Backup dialog offers the listed sets
  fm->m_Settings.nSkinType = 3;
  strcpy(record.szName, "Memo");
  HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                               nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(other);
  using Pick = std::function<HWND(kui::ModalDialog&)>;
  auto backup = [](kui::ModalDialog& d) -> TfmBackup& { return static_cast<TfmBackup&>(d); };
  auto props = [](kui::ModalDialog& d) -> TfmCondProp& { return static_cast<TfmCondProp&>(d); };
  auto none = [](kui::ModalDialog&) {};
  struct Case {
    const char* name;
    Make make;
    std::function<void(kui::ModalDialog&)> before;  // while active
    std::function<void(kui::ModalDialog&)> away;    // while another window is active
    Pick gets;
  } cases[] = {
      {"About: always OK", Maker<TfmAbout>(),
       [](kui::ModalDialog& d) { SetFocus(static_cast<TfmAbout&>(d).urlHome); }, none,
       [](kui::ModalDialog& d) { return static_cast<TfmAbout&>(d).btnOK; }},
      {"Backup, new set: its name", Maker<TfmBackup>(),
       [&](kui::ModalDialog& d) { SetFocus(backup(d).btnCancel); }, none,
       [&](kui::ModalDialog& d) { return backup(d).edtNewFile; }},
      {"Backup, existing set: the list", Maker<TfmBackup>(),
       [&](kui::ModalDialog& d) {
         Click(backup(d).rbtnExist);
         SetFocus(backup(d).btnCancel);
       },
       none, [&](kui::ModalDialog& d) { return backup(d).lvFile; }},
      {"Restore: the list", Maker<TfmRestore>(),
       [](kui::ModalDialog& d) { SetFocus(static_cast<TfmRestore&>(d).btnCancel); }, none,
       [](kui::ModalDialog& d) { return static_cast<TfmRestore&>(d).lvFile; }},
      {"Detail: the list", Maker<TfmBakDetail>(),
       [](kui::ModalDialog& d) { SetFocus(static_cast<TfmBakDetail&>(d).btnOK); }, none,
       [](kui::ModalDialog& d) { return static_cast<TfmBakDetail&>(d).lvCond; }},
      {"Options: the stored skin's button", Maker<TfmSkin>(),
       [](kui::ModalDialog& d) { SetFocus(static_cast<TfmSkin&>(d).btnFont); }, none,
       [](kui::ModalDialog& d) { return static_cast<TfmSkin&>(d).rbtnWinXP; }},
      {"Properties: where it was", CondProp(false),
       [&](kui::ModalDialog& d) { SetFocus(props(d).edtPriority); }, none,
       [&](kui::ModalDialog& d) { return props(d).edtPriority; }},
      {"Properties, box disabled meanwhile: the directory", CondProp(false),
       [&](kui::ModalDialog& d) { SetFocus(props(d).edtPriority); },
       [&](kui::ModalDialog& d) { EnableWindow(props(d).edtPriority, FALSE); },
       [&](kui::ModalDialog& d) { return props(d).edtDirectory; }},
      {"Properties, new conduit, box disabled meanwhile: the creator ID", CondProp(true),
       [&](kui::ModalDialog& d) { SetFocus(props(d).edtFile); },
       [&](kui::ModalDialog& d) { EnableWindow(props(d).edtFile, FALSE); },
       [&](kui::ModalDialog& d) { return props(d).edtCreatorID; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<kui::ModalDialog> d = c.make();
    ASSERT_TRUE(d->hwnd() || d->Create(fm->hwnd()));
    ShowWindow(d->hwnd(), SW_SHOW);
    SetActiveWindow(d->hwnd());
    ASSERT_EQ(d->hwnd(), GetActiveWindow());
    c.before(*d);
    SetActiveWindow(other);
    ASSERT_EQ(other, GetActiveWindow());
    c.away(*d);
    SetActiveWindow(d->hwnd());
    EXPECT_EQ(c.gets(*d), GetFocus());
  }
  DestroyWindow(other);
}

}  // namespace
}  // namespace dtest
