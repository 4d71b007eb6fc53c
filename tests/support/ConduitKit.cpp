#include "ConduitKit.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>

#include "PalmTest.h"
#include "ui/Controls.h"

namespace ktest {

void Register(const char* creator, const std::string& lib, const char* title) {
  int n = 0;
  while (ptest::HasValue(ptest::AppKey(n), "Creator")) ++n;
  ptest::WriteApplication(n, lib, creator);
  ptest::SetText(ptest::AppKey(n), "Title", title);
  ptest::SetDword(ptest::AppKey(n), "Priority", 2);
}

static DWORD Pack(const char* c) {
  auto* u = reinterpret_cast<const unsigned char*>(c);
  return (DWORD(u[0]) << 24) | (DWORD(u[1]) << 16) | (DWORD(u[2]) << 8) | DWORD(u[3]);
}

std::string Registered(const char* creator, const char* value) {
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

bool IsRegistered(const char* creator) { return !Registered(creator, "Creator").empty(); }

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

std::vector<CondInfo> ReadRecords(const std::string& path) {
  std::vector<CondInfo> out;
  std::vector<unsigned char> b = ReadBytes(path);
  for (size_t pos = 0; pos + sizeof(CondInfo) <= b.size(); pos += sizeof(CondInfo)) {
    CondInfo r;
    memcpy(&r, &b[pos], sizeof r);
    out.push_back(r);
  }
  return out;
}

bool WriteRecords(const std::string& path, const std::vector<CondInfo>& records) {
  std::vector<unsigned char> bytes;
  for (const CondInfo& r : records) {
    auto* p = reinterpret_cast<const unsigned char*>(&r);
    bytes.insert(bytes.end(), p, p + sizeof r);
  }
  return WriteBytes(path, bytes);
}

std::string CopyConduit(const TempDir& dir, const char* sample, const char* as) {
  std::string to = dir.file(as);
  CopyFileA(ptest::Conduit(sample).c_str(), to.c_str(), FALSE);
  return to;
}

std::vector<HistoryEntry> ReadHistory(const std::string& path) {
  std::vector<HistoryEntry> out;
  std::vector<unsigned char> b = ReadBytes(path);
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

std::vector<int> HistoryActions(const std::string& path) {
  std::vector<int> a;
  for (const HistoryEntry& e : ReadHistory(path)) a.push_back(e.action);
  return a;
}

std::ostream& operator<<(std::ostream& os, const Row& r) {
  return os << "{" << r.name << " | " << r.creator << " | " << r.file << " | " << r.image << "}";
}

std::string CellText(HWND lv, int item, int sub) { return kui::ListItemText(lv, item, sub); }

std::vector<Row> ReadRows(HWND lv) {
  std::vector<Row> rows;
  const int n = static_cast<int>(SendMessageA(lv, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    LVITEMA it{};
    it.mask = LVIF_IMAGE;
    it.iItem = i;
    SendMessageA(lv, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
    rows.push_back(Row{CellText(lv, i, 0), CellText(lv, i, 1), CellText(lv, i, 2), it.iImage});
  }
  return rows;
}

CondInfo* RowRecord(HWND lv, int row) {
  LVITEMA it{};
  it.mask = LVIF_PARAM;
  it.iItem = row;
  if (!SendMessageA(lv, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it))) return nullptr;
  return reinterpret_cast<CondInfo*>(it.lParam);
}

void SetSelected(HWND lv, int row, bool on) {
  LVITEMA st{};
  st.stateMask = LVIS_SELECTED;
  st.state = on ? LVIS_SELECTED : 0;
  SendMessageA(lv, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&st));
}

void SelectOnly(HWND lv, const std::vector<int>& rows) {
  LVITEMA st{};
  st.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  st.state = 0;
  SendMessageA(lv, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&st));
  for (int r : rows) {
    st.state = LVIS_SELECTED;
    SendMessageA(lv, LVM_SETITEMSTATE, static_cast<WPARAM>(r), reinterpret_cast<LPARAM>(&st));
  }
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

}  // namespace ktest
