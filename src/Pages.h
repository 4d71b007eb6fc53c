#pragma once
// The two pages the user asks for: the conduit report and the install history. The core writes
// them; here the user is told what went wrong and the shell is handed the page.

class CCondMgr;
class ConduitCheck;
class KestrinLog;

// The report command: writes condrpt.html into the program folder and hands it to the shell.
// Silent on failure, when nothing is opened.
bool ShowConduitReport(CCondMgr& app, CCondMgr& sys);

// Writes kestrinlog.html from the history and opens it, or tells the user why not.
// True when the page was written and handed to the shell.
bool ShowHistory(KestrinLog& log);

// Writes condcheck.html from the check and opens it, or tells the user why not.
bool ShowConduitCheck(ConduitCheck& check);
