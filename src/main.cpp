// Program entry: runs the main window; nothing escapes into Windows.
#include <windows.h>

#include <exception>

#include "MainForm.h"
#include "Window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
  try {
    RunKestrin(show);
  } catch (const std::exception& e) {
    kui::ShowException(nullptr, e.what());
  } catch (...) {
    kui::ShowException(nullptr, "");
  }
  return 0;
}
