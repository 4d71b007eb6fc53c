// Stand-in HotSync Manager: a window that shows it runs and, when asked (see HSAPI.DLL), a
// modal "Custom" dialog listing the registered conduits.
#include "StandIn.h"

namespace {

const int kCustomDialog = 1;
const int kConduitList = 101;
bool g_customShown = false;

void FillConduits(HWND list) {
  char path[300];
  for (int n = 0;; ++n) {
    ks::AppKey(n, path, sizeof path);
    HKEY h;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &h) != ERROR_SUCCESS) break;
    DWORD id = 0;
    ks::ReadDword(HKEY_CURRENT_USER, path, "Creator", &id);
    std::string title, library;
    ks::ReadText(h, "Title", &title);
    ks::ReadText(h, "Conduit", &library);
    RegCloseKey(h);
    char line[700];
    snprintf(line, sizeof line, "%c%c%c%c\t%s\t%s", char(id >> 24), char(id >> 16), char(id >> 8),
             char(id), title.c_str(), library.c_str());
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
  }
}

INT_PTR CALLBACK CustomProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG: {
      HWND list = GetDlgItem(dlg, kConduitList);
      int stops[2] = {30, 130};
      SendMessageA(list, LB_SETTABSTOPS, 2, reinterpret_cast<LPARAM>(stops));
      FillConduits(list);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
        EndDialog(dlg, LOWORD(wp));
        return TRUE;
      }
      break;
  }
  return FALSE;
}

void ShowCustom(HWND owner) {
  if (g_customShown) return;  // a second request while it is open changes nothing
  g_customShown = true;
  SetForegroundWindow(owner);
  DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kCustomDialog), owner, CustomProc, 0);
  g_customShown = false;
}

LRESULT CALLBACK MainProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      CreateWindowExA(0, "STATIC", "HotSync Manager (stand-in) is running.", WS_CHILD | WS_VISIBLE,
                      12, 12, 300, 20, w, nullptr, GetModuleHandleA(nullptr), nullptr);
      return 0;
    case KS_WM_SHOWCUSTOM:
      ShowCustom(w);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(w, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int show) {
  // One HotSync Manager at a time: a second start only brings the first forward.
  if (HWND running = FindWindowA(KS_HOTSYNC_CLASS, nullptr)) {
    SetForegroundWindow(running);
    return 0;
  }
  WNDCLASSA wc = {};
  wc.lpfnWndProc = MainProc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = KS_HOTSYNC_CLASS;
  if (!RegisterClassA(&wc)) return 1;
  HWND w = CreateWindowExA(0, KS_HOTSYNC_CLASS, KS_HOTSYNC_TITLE, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                           CW_USEDEFAULT, 340, 110, nullptr, nullptr, inst, nullptr);
  if (!w) return 1;
  ShowWindow(w, show);
  UpdateWindow(w);
  // A Custom request made before this window existed.
  if (HANDLE pending = OpenEventA(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, KS_PENDING_EVENT)) {
    if (WaitForSingleObject(pending, 0) == WAIT_OBJECT_0) {
      ResetEvent(pending);
      PostMessageA(w, KS_WM_SHOWCUSTOM, 0, 0);
    }
    CloseHandle(pending);
  }
  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  return 0;
}
