#include "InstallFixture.h"

#include <commctrl.h>

#include <cstring>

#include "format/CxList.h"
#include "InitForm.h"
#include "MainWindowStart.h"
#include "misc/WinUtil.h"
#include "ui/Modal.h"

namespace itest {

std::ostream& operator<<(std::ostream& os, const Row& r) {
  return os << "{" << r.name << " | " << r.creator << " | " << r.file << " | " << r.image << "}";
}

std::string Text(HWND h) {
  char buf[1024] = {};
  GetWindowTextA(h, buf, sizeof buf);
  return buf;
}

void Type(HWND edit, const std::string& text) { SetWindowTextA(edit, text.c_str()); }

void Click(HWND button) {
  ASSERT_TRUE(IsWindowEnabled(button)) << "clicked a disabled button";
  SendMessageA(button, BM_CLICK, 0, 0);
}

CondInfo StoreRecord(const char* creator, const std::string& lib, const char* name) {
  CondInfo r;
  memset(&r, 0, sizeof r);
  strcpy(r.szCreatorID, creator);
  strcpy(r.szConduit, lib.c_str());
  strcpy(r.szName, name);
  r.nStatus = kStatusRemoved;
  r.dwFlags = kFlagRemoved;
  r.nPriority = 2;
  return r;
}

std::string CopyConduit(const ktest::TempDir& dir, const char* sample, const char* as) {
  std::string to = dir.file(as);
  CopyFileA(ptest::Conduit(sample).c_str(), to.c_str(), FALSE);
  return to;
}

void InstallTest::SetUp() {
  ptest::PalmTest::SetUp();
  GetCurrentDirectoryA(MAX_PATH, cwd);
  SetProgramFolderOverride(dir.path().c_str());
  kui::SetMessageAnswerer([this](const kui::MessageRequest& r) {
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
  int n = 0;
  while (ptest::HasValue(ptest::AppKey(n), "Creator")) ++n;
  ptest::WriteApplication(n, lib, creator);
  ptest::SetText(ptest::AppKey(n), "Title", title);
  ptest::SetDword(ptest::AppKey(n), "Priority", 2);
}

void InstallTest::Start() {
  TfmInit::ResetRunFlags();
  ASSERT_TRUE(ktest::StartMainWindow(fm));
}

void InstallTest::Restart() {
  answers.push_front(IDYES);  // the quit question
  fm->Close();
  fm.reset();
  ktest::DrainQuit();
  SetCurrentDirectoryA(cwd);
  shown.clear();
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

std::vector<Row> InstallTest::AppRows() const {
  std::vector<Row> rows;
  HWND lv = fm->slvApp;
  int n = static_cast<int>(SendMessageA(lv, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    Row r{};
    for (int sub = 0; sub < 3; ++sub) {
      char buf[600] = {};
      LVITEMA it{};
      it.iSubItem = sub;
      it.pszText = buf;
      it.cchTextMax = sizeof buf;
      SendMessageA(lv, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&it));
      (sub == 0 ? r.name : sub == 1 ? r.creator : r.file) = buf;
    }
    LVITEMA it{};
    it.mask = LVIF_IMAGE;
    it.iItem = i;
    SendMessageA(lv, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
    r.image = it.iImage;
    rows.push_back(r);
  }
  return rows;
}

int InstallTest::RowOf(const std::string& creator) const {
  std::vector<Row> rows = AppRows();
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].creator == creator) return static_cast<int>(i);
  }
  return -1;
}

CondInfo* InstallTest::RowRecord(int row) const {
  LVITEMA it{};
  it.mask = LVIF_PARAM;
  it.iItem = row;
  if (!SendMessageA(fm->slvApp, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it))) return nullptr;
  return reinterpret_cast<CondInfo*>(it.lParam);
}

void InstallTest::SelectOnly(std::vector<int> rows) {
  LVITEMA st{};
  st.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  st.state = 0;
  SendMessageA(fm->slvApp, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&st));
  for (int r : rows) {
    st.state = LVIS_SELECTED;
    SendMessageA(fm->slvApp, LVM_SETITEMSTATE, static_cast<WPARAM>(r), reinterpret_cast<LPARAM>(&st));
  }
}

std::vector<HistoryEntry> InstallTest::History() const {
  std::vector<HistoryEntry> out;
  std::vector<unsigned char> b = ktest::ReadBytes(history);
  size_t pos = 0;
  auto readInt = [&](int* v) {
    if (pos + 4 > b.size()) return false;
    memcpy(v, &b[pos], 4);
    pos += 4;
    return true;
  };
  auto readText = [&](std::string* s) {
    int n;
    if (!readInt(&n) || n < 0 || pos + static_cast<size_t>(n) > b.size()) return false;
    s->assign(reinterpret_cast<const char*>(&b[pos]), static_cast<size_t>(n));
    pos += static_cast<size_t>(n);
    return true;
  };
  int count = 0;
  if (!readInt(&count)) return out;
  for (int i = 0; i < count; ++i) {
    HistoryEntry e{};
    if (!readText(&e.file) || !readText(&e.name) || !readText(&e.version) || !readInt(&e.time) ||
        !readInt(&e.action)) {
      ADD_FAILURE() << "history ends inside entry " << i;
      break;
    }
    out.push_back(e);
  }
  EXPECT_EQ(b.size(), pos) << "bytes after the counted entries";
  return out;
}

std::vector<int> InstallTest::Actions() const {
  std::vector<int> a;
  for (const HistoryEntry& e : History()) a.push_back(e.action);
  return a;
}

std::vector<CondInfo> InstallTest::StoreRecords() const {
  std::vector<CondInfo> out;
  std::vector<unsigned char> b = ktest::ReadBytes(store);
  for (size_t pos = 0; pos + sizeof(CondInfo) <= b.size(); pos += sizeof(CondInfo)) {
    CondInfo r;
    memcpy(&r, &b[pos], sizeof r);
    out.push_back(r);
  }
  return out;
}

void InstallTest::WriteStore(const std::vector<CondInfo>& records) {
  std::vector<unsigned char> bytes;
  for (const CondInfo& r : records) {
    auto* p = reinterpret_cast<const unsigned char*>(&r);
    bytes.insert(bytes.end(), p, p + sizeof r);
  }
  ASSERT_TRUE(ktest::WriteBytes(store, bytes));
}

static DWORD Pack(const char* c) {
  auto* u = reinterpret_cast<const unsigned char*>(c);
  return (DWORD(u[0]) << 24) | (DWORD(u[1]) << 16) | (DWORD(u[2]) << 8) | DWORD(u[3]);
}

std::string InstallTest::Registered(const char* creator, const char* value) const {
  for (int n = 0; n < 64; ++n) {
    HKEY h;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, ptest::AppKey(n).c_str(), 0, KEY_READ, &h) !=
        ERROR_SUCCESS) {
      continue;
    }
    DWORD type = 0, id = 0, size = sizeof id;
    bool match = RegQueryValueExA(h, "Creator", nullptr, &type, reinterpret_cast<BYTE*>(&id),
                                  &size) == ERROR_SUCCESS && id == Pack(creator);
    std::string out;
    if (match) {
      char buf[600] = {};
      size = sizeof buf - 1;
      if (RegQueryValueExA(h, value, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) ==
          ERROR_SUCCESS) {
        if (type == REG_DWORD) {
          DWORD v;
          memcpy(&v, buf, 4);
          out = std::to_string(v);
        } else {
          out = buf;
        }
      }
    }
    RegCloseKey(h);
    if (match) return out;
  }
  return "";
}

bool InstallTest::IsRegistered(const char* creator) const {
  return !Registered(creator, "Creator").empty();
}

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
