#pragma once
// The layout DPI for the length of a scope; the tests' own 96 afterwards (see Dpi96.cpp).
#include "ui/Dpi.h"

namespace ktest {

class ForcedDpi {
 public:
  explicit ForcedDpi(int dpi) { kui::SetDpiOverride(dpi); }
  ~ForcedDpi() { kui::SetDpiOverride(96); }
  ForcedDpi(const ForcedDpi&) = delete;
  ForcedDpi& operator=(const ForcedDpi&) = delete;
};

}  // namespace ktest
