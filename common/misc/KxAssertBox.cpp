#include "KxAssertBox.h"

#include <windows.h>

#include "format/KxAssert.h"

namespace kx {
namespace {

void ShowAssertBox(const char* expr, const char* file, int line) {
  char text[1024];
  FormatAssertMessage(text, sizeof text, expr, file, line);
  MessageBoxA(nullptr, text, "Orlenta Kestrin", MB_OK | MB_ICONERROR | MB_TASKMODAL);
  // Not abort(): its own dialog and exit code vary between runtimes; 3 is what abort reports.
  ExitProcess(3);
}

}  // namespace

void InstallAssertBox() { SetAssertHandler(ShowAssertBox); }

}  // namespace kx
