#pragma once
// Start-up and memory of whole processes: kestrin.exe as a user starts it, against kfloor.exe.

#include <string>
#include <utility>
#include <vector>

struct ChildRun {
  double seconds;     // from CreateProcess to the window shown (and Kestrin's table filled)
  double started;     // the performance counter at CreateProcess, in seconds
  double peakMB;      // peak working set once ready
  bool ok;
};

// Starts `exe` in `folder` and waits until a visible window of the process has `title`; with
// rows >= 0 also until the first list view of that window holds that many rows. Then reads the
// process's memory and ends it.
ChildRun RunChild(const std::string& exe, const std::string& args, const std::string& folder,
                  const char* title, int rows);

// The start-up stamps a child wrote (see misc/StartupStamps.h), each as seconds after
// `started`, in the order written; a name stamped twice appears twice. Empty when the file is
// missing or unreadable.
using StartupStamps = std::vector<std::pair<std::string, double>>;
StartupStamps ReadStartupStamps(const std::string& path, double started);
