#include "KxAssert.h"

#include <windows.h>

#include <cstdio>

namespace kx {
namespace {

void DefaultHandler(const char* expr, const char* file, int line) {
  char text[1024];
  FormatAssertMessage(text, sizeof text, expr, file, line);
  MessageBoxA(nullptr, text, "Orlenta Kestrin", MB_OK | MB_ICONERROR | MB_TASKMODAL);
  // Not abort(): its own dialog and exit code vary between runtimes; 3 is what abort reports.
  ExitProcess(3);
}

AssertHandler g_handler = DefaultHandler;

}  // namespace

AssertHandler SetAssertHandler(AssertHandler handler) {
  AssertHandler old = g_handler;
  g_handler = handler ? handler : DefaultHandler;
  return old;
}

void FormatAssertMessage(char* buf, int cap, const char* expr, const char* file, int line) {
  if (!buf || cap <= 0) return;
  snprintf(buf, static_cast<size_t>(cap), "Assertion failed!\n\nExpression: %s\nFile: %s\nLine: %d",
           expr ? expr : "", file ? file : "", line);
}

void AssertFailed(const char* expr, const char* file, int line) {
  g_handler(expr, file, line);
}

}  // namespace kx
