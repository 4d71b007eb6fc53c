#pragma once
// Context menus: one way to show a popup menu and learn the chosen command, which tests
// replace (a tracked menu runs a modal loop of its own).

#include <windows.h>

#include <functional>

namespace kui {

// Shows the menu at the screen point for `owner`; the chosen command, 0 for none.
int TrackMenu(HWND owner, HMENU menu, POINT screen);

// Replaces what TrackMenu does (an empty one restores the real menu); returns the previous one.
using MenuTracker = std::function<int(HWND owner, HMENU menu, POINT screen)>;
MenuTracker SetMenuTracker(MenuTracker tracker);

}  // namespace kui
