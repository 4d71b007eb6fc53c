#pragma once
// One fixture for the install, uninstall, restore and properties tests: the real main window
// in-process against the stand-in Palm Desktop, with every message, file dialog, shell hand-off
// and properties dialog answered by the test.

#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ConduitKit.h"
#include "CondProp.h"
#include "format/CondInfo.h"
#include "MainForm.h"
#include "PalmTest.h"
#include "TestSupport.h"
#include "ui/CommonDialogs.h"
#include "ui/MsgBox.h"

namespace itest {

using ktest::Click;
using ktest::HistoryEntry;
using ktest::Row;
using ktest::Text;
using ktest::Type;

// What the properties dialog showed when it opened.
struct DialogSeen {
  bool opened = false;
  bool stayedOpen = false;  // still open after the script: the test cancelled it
  bool creatorEnabled = false;
  std::string title, creator, directory, file, priority, palmDB, fileName, version;
};

class InstallTest : public ptest::PalmTest {
 public:
  // Leaves the creator box the way a user does: the focus moves on to the next box.
  static void LeaveCreator(TfmCondProp& d);

 protected:
  ktest::TempDir dir{"install_prog"};
  std::string store = dir.path() + "\\KestrinRes.dat";
  std::string history = dir.file("kestrinlog.dat");
  std::vector<kui::MessageRequest> shown;  // owner: the top owner (main window for the dialog's)
  std::vector<HWND> rawOwners;             // owner of each message as it was shown
  std::deque<int> answers;  // scripted replies; IDOK when none is left
  std::vector<std::string> opened;
  std::vector<kui::OpenFileRequest> fileRequests;
  std::string pickPath;  // empty: the file dialog is cancelled
  std::unique_ptr<TfmMain> fm;
  DialogSeen seen;
  char cwd[MAX_PATH] = {};

  void SetUp() override;
  void TearDown() override;

  // Registrations through the stand-in's registry keys, numbered from 0.
  void Register(const char* creator, const std::string& lib, const char* title = "");
  void Start();
  // The orderly end of the running main window (the quit question answered Yes).
  void Stop();
  void Restart();

  // The next properties dialog: records what it shows, runs the script, cancels it if the
  // script left it open.
  void OnDialog(std::function<void(TfmCondProp&)> script);
  // Install command with a picked file and a dialog script.
  void Install(const std::string& path, std::function<void(TfmCondProp&)> script);

  std::vector<Row> AppRows() const;
  int RowOf(const std::string& creator) const;  // first application row of the creator, or -1
  CondInfo* RowRecord(int row) const;
  void SelectOnly(std::vector<int> rows);
  std::vector<HistoryEntry> History() const;
  std::vector<int> Actions() const;
  std::vector<CondInfo> StoreRecords() const;
  void WriteStore(const std::vector<CondInfo>& records);
  std::string Registered(const char* creator, const char* value) const;  // "" when absent
  bool IsRegistered(const char* creator) const;
  void ExpectMessage(size_t i, const std::string& text, const char* caption, UINT icon,
                     UINT buttons = MB_OK) const;
};

using ktest::CopyConduit;
using ktest::StoreRecord;

}  // namespace itest
