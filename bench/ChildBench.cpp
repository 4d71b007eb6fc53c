#include "ChildBench.h"

#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>

namespace {

struct Search {
  DWORD pid;
  const char* title;
  HWND found;
};

BOOL CALLBACK FindTitled(HWND h, LPARAM lp) {
  auto* s = reinterpret_cast<Search*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  char text[128] = {};
  if (pid == s->pid && IsWindowVisible(h) && GetWindowTextA(h, text, sizeof text) &&
      strcmp(text, s->title) == 0) {
    s->found = h;
    return FALSE;
  }
  return TRUE;
}

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

}  // namespace

ChildRun RunChild(const std::string& exe, const std::string& args, const std::string& folder,
                  const char* title, int rows) {
  ChildRun run{0, 0, 0, false};
  std::string cmd = "\"" + exe + "\" " + args;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const double t0 = Now();
  run.started = t0;
  if (!CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                      &si, &pi)) {
    return run;
  }
  const double deadline = t0 + 120;
  while (Now() < deadline) {
    Search s{pi.dwProcessId, title, nullptr};
    EnumWindows(FindTitled, reinterpret_cast<LPARAM>(&s));
    if (s.found) {
      if (rows < 0) {
        run.ok = true;
      } else if (HWND lv = FindWindowExA(s.found, nullptr, WC_LISTVIEWA, nullptr)) {
        DWORD_PTR count = 0;
        if (SendMessageTimeoutA(lv, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 1000, &count) &&
            static_cast<int>(count) == rows) {
          run.ok = true;
        }
      }
      if (run.ok) break;
    }
    if (WaitForSingleObject(pi.hProcess, 2) == WAIT_OBJECT_0) break;  // it ended by itself
  }
  run.seconds = Now() - t0;
  PROCESS_MEMORY_COUNTERS pmc{};
  pmc.cb = sizeof pmc;
  if (GetProcessMemoryInfo(pi.hProcess, &pmc, sizeof pmc)) {
    run.peakMB = static_cast<double>(pmc.PeakWorkingSetSize) / (1024.0 * 1024.0);
  }
  TerminateProcess(pi.hProcess, 0);
  WaitForSingleObject(pi.hProcess, 10000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return run;
}

StartupStamps ReadStartupStamps(const std::string& path, double started) {
  StartupStamps stamps;
  FILE* f = fopen(path.c_str(), "r");
  if (!f) return stamps;
  char step[64];
  long long count = 0, freq = 0;
  if (fscanf(f, "frequency %lld", &freq) == 1 && freq > 0) {
    while (fscanf(f, "%63s %lld", step, &count) == 2)
      stamps.emplace_back(step, static_cast<double>(count) / static_cast<double>(freq) - started);
  }
  fclose(f);
  return stamps;
}
