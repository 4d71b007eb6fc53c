// kfloor: the floor of Kestrin's start-up and memory, as a process of its own. It links the same
// system DLLs as kestrin.exe, creates one window of the main window's size and loads the
// registered conduit libraries the bare way (registry values read directly, LoadLibrary).
//   kfloor.exe memory    loads at once, then titles its window "kfloor ready"
//   kfloor.exe startup   runs a 1000 ms timer and loads on its second tick, as the splash does
// It runs until it is ended. With KESTRIN_STARTUP_STAMPS set it stamps its steps as Kestrin does
// (misc/StartupStamps.h), so the benchmark can set Kestrin's steps against them.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "misc/StartupStamps.h"

namespace {

const char kRoot[] = "Software\\U.S. Robotics\\Pilot Desktop";
std::vector<HMODULE> g_modules;
int g_ticks = 0;

void LoadRegistered() {
  for (int n = 0;; ++n) {
    char key[128];
    snprintf(key, sizeof key, "%s\\Application%d", kRoot, n);
    HKEY h;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &h) != ERROR_SUCCESS) break;
    char path[MAX_PATH] = {};
    DWORD size = sizeof path - 1, type = 0;
    RegQueryValueExA(h, "Conduit", nullptr, &type, reinterpret_cast<BYTE*>(path), &size);
    RegCloseKey(h);
    if (HMODULE m = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)) {
      GetProcAddress(m, "OpenConduit");
      g_modules.push_back(m);
    }
  }
}

// The stamps are written before the title changes: the bench ends the process once it sees it.
void Ready(HWND w) {
  ShowWindow(w, SW_SHOW);
  UpdateWindow(w);
  kx::StartupStamp("shown");
  kx::WriteStartupStamps();
  SetWindowTextA(w, "kfloor ready");
}

LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_TIMER) {
    kx::StartupStamp("tick");
    if (++g_ticks == 2) {
      KillTimer(w, 1);
      LoadRegistered();
      kx::StartupStamp("loaded");
      Ready(w);
    }
    return 0;
  }
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(w, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR cmd, int) {
  kx::StartupStamp("winmain");
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  WNDCLASSA wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = inst;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "kfloor";
  RegisterClassA(&wc);
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  RECT r{0, 0, 794, 594};  // the main window's client area
  AdjustWindowRect(&r, style, TRUE);
  HWND w = CreateWindowA("kfloor", "kfloor", style, 0, 0, r.right - r.left, r.bottom - r.top,
                         nullptr, nullptr, inst, nullptr);
  if (strstr(cmd, "startup")) {
    SetTimer(w, 1, 1000, nullptr);
    kx::StartupStamp("timer");
  } else {
    LoadRegistered();
    Ready(w);
  }
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  for (HMODULE m : g_modules) FreeLibrary(m);
  return 0;
}
