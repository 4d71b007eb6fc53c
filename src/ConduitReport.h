#pragma once
// The conduit report condrpt.html: every application conduit on a white row, then every system
// conduit on a grey row, with its creator ID, library path and file version. No window needed.

class CCondMgr;

// The report's file name in the program folder.
extern const char kConduitReportFile[];

// Writes the report to path, replacing any earlier file only once the new one is complete.
// Names, paths and creator IDs are escaped. False, and nothing said, when it cannot be written.
// Walks both catalogues with their cursors.
bool WriteConduitReport(const char* path, CCondMgr& app, CCondMgr& sys);

// The report command: writes condrpt.html into the program folder and hands it to the shell.
// Silent on failure, when nothing is opened.
bool ShowConduitReport(CCondMgr& app, CCondMgr& sys);
