// Program entry: one copy per program folder runs the main window; nothing escapes into
// Windows. Two switches: /dpi=N lays the windows out for N DPI instead of the screen's (for
// checking other scales), /highcontrast draws them as high contrast does.
#include <windows.h>

#include <exception>

#include "MainForm.h"
#include "misc/InstanceLock.h"
#include "misc/KxAssertBox.h"
#include "misc/StartupStamps.h"
#include "misc/WinUtil.h"
#include "ui/Accessible.h"
#include "ui/HighContrast.h"
#include "ui/Window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR cmdLine, int show) {
  kx::StartupStamp("winmain");
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
  if (kui::HighContrastFromCommandLine(cmdLine)) kui::ForceHighContrast(kui::HighContrastMode::On);
  kui::ComApartment com;  // the skinned controls' accessible objects are marshalled
  try {
    RunKestrin(show);
  } catch (const std::exception& e) {
    kui::ShowException(nullptr, e.what());
  } catch (...) {
    kui::ShowException(nullptr, "");
  }
  return 0;
}
