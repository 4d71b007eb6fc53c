#pragma once
// Start-up and memory of whole processes: kestrin.exe as a user starts it, against kfloor.exe.

#include <string>

struct ChildRun {
  double seconds;     // from CreateProcess to the window shown (and Kestrin's table filled)
  double peakMB;      // peak working set once ready
  bool ok;
};

// Starts `exe` in `folder` and waits until a visible window of the process has `title`; with
// rows >= 0 also until the first list view of that window holds that many rows. Then reads the
// process's memory and ends it.
ChildRun RunChild(const std::string& exe, const std::string& args, const std::string& folder,
                  const char* title, int rows);
