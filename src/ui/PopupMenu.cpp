#include "PopupMenu.h"

namespace kui {
namespace {

int TrackForReal(HWND owner, HMENU menu, POINT screen) {
  return static_cast<int>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                         screen.x, screen.y, 0, owner, nullptr));
}

MenuTracker& Tracker() {
  static MenuTracker tracker = TrackForReal;
  return tracker;
}

}  // namespace

int TrackMenu(HWND owner, HMENU menu, POINT screen) { return Tracker()(owner, menu, screen); }

MenuTracker SetMenuTracker(MenuTracker tracker) {
  MenuTracker old = std::move(Tracker());
  Tracker() = tracker ? std::move(tracker) : MenuTracker(TrackForReal);
  return old;
}

}  // namespace kui
