// Program entry: the application title, the main window and the message loop.
#include <windows.h>
#include <commctrl.h>

#include <exception>

#include "MsgBox.h"

namespace {

const char kAppTitle[] = "Orlenta Kestrin";
const char kMainClass[] = "TfmMain";
const char kMainCaption[] = "Kestrin - Install/Uninstall Palm Conduits";
const int kClientWidth = 794;
const int kClientHeight = 594;

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

int Run(HINSTANCE inst, int show) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);

  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = MainProc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kMainClass;
  wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  if (!RegisterClassExA(&wc)) return 1;

  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT r{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRect(&r, style, FALSE);
  int w = r.right - r.left, h = r.bottom - r.top;
  int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
  HWND hwnd = CreateWindowExA(0, kMainClass, kMainCaption, style, x, y, w, h, nullptr, nullptr, inst,
                              nullptr);
  if (!hwnd) return 1;
  ShowWindow(hwnd, show);
  UpdateWindow(hwnd);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int show) {
  try {
    Run(inst, show);
  } catch (const std::exception& e) {
    kui::ShowMessage(nullptr, e.what(), kAppTitle, MB_ICONERROR);
  } catch (...) {
    kui::ShowMessage(nullptr, "", kAppTitle, MB_ICONERROR);
  }
  return 0;
}
