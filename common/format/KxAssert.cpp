#include "KxAssert.h"

#include <cstdio>
#include <cstdlib>

namespace kx {
namespace {

// Where no window can tell the user (the native build, a test without a handler of its own):
// the message on stderr, then the end. The program shows it in a box instead (misc/KxAssertBox.h).
void DefaultHandler(const char* expr, const char* file, int line) {
  char text[1024];
  FormatAssertMessage(text, sizeof text, expr, file, line);
  fprintf(stderr, "%s\n", text);
  fflush(stderr);
  abort();
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
