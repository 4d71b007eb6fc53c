// Linked into every test program that shows the windows: they are laid out for 96 DPI whatever
// the machine's screen says, so results do not depend on it. A test that checks another DPI
// forces it and puts 96 back.
#include "ui/Dpi.h"

namespace {
const struct Force96 {
  Force96() { kui::SetDpiOverride(96); }
} g_force96;
}  // namespace
