// The native build's assertion handler: a violated precondition is a finding, so it aborts and
// libFuzzer keeps the input (the program's own handler shows a message box).
#include <cstdio>
#include <cstdlib>

#include "KxAssert.h"

namespace kx {

void AssertFailed(const char* expr, const char* file, int line) {
  fprintf(stderr, "Assertion failed: %s (%s:%d)\n", expr ? expr : "", file ? file : "", line);
  abort();
}

}  // namespace kx
