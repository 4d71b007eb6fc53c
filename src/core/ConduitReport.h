#pragma once
// The conduit report condrpt.html: every application conduit on a white row, then every system
// conduit on a grey row, with its creator ID, library path and file version. No window needed.

#include <string>

class CCondMgr;
struct CondInfo;

// The report's file name in the program folder.
extern const char kConduitReportFile[];

// Writes the report to path, replacing any earlier file only once the new one is complete.
// Names, paths and creator IDs are escaped. False, and nothing said, when it cannot be written.
// Walks both catalogues with their cursors.
bool WriteConduitReport(const char* path, CCondMgr& app, CCondMgr& sys);

// A conduit's row up to its last cell, as the report writes it: the row (white, or grey for a
// system conduit), the name, and in the detail cell the creator ID and the file name, escaped.
// The caller adds the rest of the detail cell and "</td></tr>".
void AddConduitCells(std::string& html, const CondInfo& info, bool bSystem);

// The report's path in the program folder; false when the folder is unknown.
bool ConduitReportPath(std::string* pPath);
