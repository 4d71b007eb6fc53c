#pragma once
// The conduit report condrpt.html: every application conduit on a white row, then every system
// conduit on a grey row, with its creator ID, library path and file version. No window needed.

#include <string>

class CCondMgr;

// The report's file name in the program folder.
extern const char kConduitReportFile[];

// Writes the report to path, replacing any earlier file only once the new one is complete.
// Names, paths and creator IDs are escaped. False, and nothing said, when it cannot be written.
// Walks both catalogues with their cursors.
bool WriteConduitReport(const char* path, CCondMgr& app, CCondMgr& sys);

// The report's path in the program folder; false when the folder is unknown.
bool ConduitReportPath(std::string* pPath);
