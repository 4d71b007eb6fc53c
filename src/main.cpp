// Program entry: one copy per program folder runs the main window; nothing escapes into
// Windows. The one switch, /dpi=N, lays the windows out for N DPI instead of the screen's (for
// checking other scales).
#include <windows.h>

#include <exception>

#include "MainForm.h"
#include "misc/InstanceLock.h"
#include "misc/KxAssertBox.h"
#include "misc/WinUtil.h"
#include "ui/Window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR cmdLine, int show) {
  SetQuietErrorMode();  // before any library is loaded
  // One copy per program folder, before anything is read or written: a second start only
  // brings the first forward, so the two never overwrite each other's files.
  char folder[MAX_PATH] = {};
  GetProgramFolder(nullptr, folder);
  kx::InstanceLock instance;
  if (!instance.Acquire(folder)) {
    ActivateRunningCopy(folder);
    return 0;
  }
  kx::InstallAssertBox();
  kui::SetDpiOverride(kui::DpiFromCommandLine(cmdLine));
  try {
    RunKestrin(show);
  } catch (const std::exception& e) {
    kui::ShowException(nullptr, e.what());
  } catch (...) {
    kui::ShowException(nullptr, "");
  }
  return 0;
}
