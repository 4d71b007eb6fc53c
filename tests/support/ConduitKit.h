#pragma once
// What the conduit tests share: registrations of the stand-in Palm Desktop and how to read them
// back, the record files (removed store and backup sets), the history as written, and the
// rows, selection and clicks of the real tables.

#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

#include "format/CondInfo.h"
#include "TestSupport.h"

namespace ktest {

// ---- Registrations -----------------------------------------------------------------------
// The next free Application<n> key: library, creator, title and priority 2.
void Register(const char* creator, const std::string& lib, const char* title = "");
// A value of the registration of `creator` ("" when absent); numbers as decimal text.
std::string Registered(const char* creator, const char* value);
bool IsRegistered(const char* creator);

// ---- Record files ------------------------------------------------------------------------
// A removed conduit as the store keeps it (status 2, removed flag, priority 2).
CondInfo StoreRecord(const char* creator, const std::string& lib, const char* name);
// The whole 540-byte records of a store or backup set, in file order.
std::vector<CondInfo> ReadRecords(const std::string& path);
bool WriteRecords(const std::string& path, const std::vector<CondInfo>& records);
// A private copy of a sample conduit library, so a test can delete it.
std::string CopyConduit(const TempDir& dir, const char* sample, const char* as);

// ---- History -----------------------------------------------------------------------------
struct HistoryEntry {
  std::string file, name, version;
  int time, action;
};
// The entries the count announces; a torn entry or bytes after the last one fail the test.
std::vector<HistoryEntry> ReadHistory(const std::string& path);
std::vector<int> HistoryActions(const std::string& path);

// ---- Tables ------------------------------------------------------------------------------
struct Row {
  std::string name, creator, file;
  int image;
  bool operator==(const Row& o) const {
    return name == o.name && creator == o.creator && file == o.file && image == o.image;
  }
};
std::ostream& operator<<(std::ostream& os, const Row& r);

std::string CellText(HWND lv, int item, int sub);
std::vector<Row> ReadRows(HWND lv);
CondInfo* RowRecord(HWND lv, int row);
// Selects or deselects one row (-1: every row), leaving the others and the focus alone.
void SetSelected(HWND lv, int row, bool on);
// Selects exactly these rows; no row keeps the focus.
void SelectOnly(HWND lv, const std::vector<int>& rows);

// ---- Controls ----------------------------------------------------------------------------
std::string Text(HWND h);
void Type(HWND edit, const std::string& text);
// Wine fires BM_CLICK on disabled buttons; Windows does not, so a test may not either.
void Click(HWND button);

}  // namespace ktest
