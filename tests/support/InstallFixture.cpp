#include "InstallFixture.h"

#include <commctrl.h>

#include <cstring>

#include "format/CxList.h"
#include "InitForm.h"
#include "MainWindowStart.h"
#include "misc/WinUtil.h"
#include "ui/Modal.h"

namespace itest {

void InstallTest::SetUp() {
  ptest::PalmTest::SetUp();
  GetCurrentDirectoryA(MAX_PATH, cwd);
  SetProgramFolderOverride(dir.path().c_str());
  kui::SetMessageAnswerer([this](const kui::MessageRequest& r) {
    rawOwners.push_back(r.owner);
    shown.push_back(r);
    // Kept as the top owner: the properties dialog is gone when the test looks.
    if (r.owner && GetWindow(r.owner, GW_OWNER)) shown.back().owner = GetWindow(r.owner, GW_OWNER);
    if (answers.empty()) return IDOK;
    int a = answers.front();
    answers.pop_front();
    return a;
  });
  SetShellOpener([this](const char* what) { opened.push_back(what); });
  kui::SetOpenFilePicker([this](const kui::OpenFileRequest& r, std::string& path) {
    fileRequests.push_back(r);
    path = pickPath;
    return !pickPath.empty();
  });
  TfmInit::ResetRunFlags();
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
}

void InstallTest::TearDown() {
  answers.assign(1, IDYES);
  fm.reset();
  ktest::DrainQuit();
  kui::ClearModalActions();
  kui::SetMessageAnswerer(nullptr);
  kui::SetOpenFilePicker(nullptr);
  SetShellOpener(nullptr);
  SetProgramFolderOverride(nullptr);
  SetCurrentDirectoryA(cwd);
  ptest::PalmTest::TearDown();
}

void InstallTest::Register(const char* creator, const std::string& lib, const char* title) {
  ktest::Register(creator, lib, title);
}

void InstallTest::Start() {
  TfmInit::ResetRunFlags();
  ASSERT_TRUE(ktest::StartMainWindow(fm));
}

void InstallTest::Stop() {
  answers.push_front(IDYES);  // the quit question
  fm->Close();
  fm.reset();
  ktest::DrainQuit();
  SetCurrentDirectoryA(cwd);
  shown.clear();
  rawOwners.clear();
}

void InstallTest::Restart() {
  Stop();
  Start();
}

void InstallTest::OnDialog(std::function<void(TfmCondProp&)> script) {
  seen = DialogSeen{};
  kui::SetNextModalAction(TfmCondProp::kClassName, [this, script](kui::ModalWindow& w) {
    auto& d = static_cast<TfmCondProp&>(w);
    seen.opened = true;
    seen.creatorEnabled = IsWindowEnabled(d.edtCreatorID) != FALSE;
    seen.title = Text(d.lblTitle);
    seen.creator = Text(d.edtCreatorID);
    seen.directory = Text(d.edtDirectory);
    seen.file = Text(d.edtFile);
    seen.priority = Text(d.edtPriority);
    seen.palmDB = Text(d.edtPalmDB);
    seen.fileName = Text(d.edtFileName);
    seen.version = Text(d.edtVersion);
    if (script) script(d);
    if (!d.IsModalEnded()) {
      seen.stayedOpen = true;
      Click(d.sbtnCancel);
    }
  });
}

void InstallTest::LeaveCreator(TfmCondProp& d) {
  SetFocus(d.edtCreatorID);
  SetFocus(d.edtDirectory);  // EN_KILLFOCUS of the creator box
}

void InstallTest::Install(const std::string& path, std::function<void(TfmCondProp&)> script) {
  pickPath = path;
  OnDialog(std::move(script));
  Click(fm->sbtnInstall);
  pickPath.clear();
}

std::vector<Row> InstallTest::AppRows() const { return ktest::ReadRows(fm->slvApp); }

int InstallTest::RowOf(const std::string& creator) const {
  std::vector<Row> rows = AppRows();
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].creator == creator) return static_cast<int>(i);
  }
  return -1;
}

CondInfo* InstallTest::RowRecord(int row) const { return ktest::RowRecord(fm->slvApp, row); }
void InstallTest::SelectOnly(std::vector<int> rows) { ktest::SelectOnly(fm->slvApp, rows); }
std::vector<HistoryEntry> InstallTest::History() const { return ktest::ReadHistory(history); }
std::vector<int> InstallTest::Actions() const { return ktest::HistoryActions(history); }
std::vector<CondInfo> InstallTest::StoreRecords() const { return ktest::ReadRecords(store); }
void InstallTest::WriteStore(const std::vector<CondInfo>& records) {
  ASSERT_TRUE(ktest::WriteRecords(store, records));
}
std::string InstallTest::Registered(const char* creator, const char* value) const {
  return ktest::Registered(creator, value);
}
bool InstallTest::IsRegistered(const char* creator) const { return ktest::IsRegistered(creator); }

void InstallTest::ExpectMessage(size_t i, const std::string& text, const char* caption, UINT icon,
                                UINT buttons) const {
  ASSERT_LT(i, shown.size()) << "no message " << i << "; wanted: " << text;
  EXPECT_EQ(text, shown[i].text);
  EXPECT_EQ(caption, shown[i].caption);
  EXPECT_EQ(icon, shown[i].icon);
  EXPECT_EQ(buttons, shown[i].buttons);
  // Owned by the main window, or by the properties dialog the main window owns.
  EXPECT_EQ(fm->hwnd(), shown[i].owner) << text;
}

}  // namespace itest
