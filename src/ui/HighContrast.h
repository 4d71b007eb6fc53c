#pragma once
// High contrast: while it is on, every window draws in the system's colours, without the skin's
// pictures and gradients. The one place that says whether it is on: the system's setting
// (read once, again at each WM_SETTINGCHANGE), unless forced by the /highcontrast switch of
// kestrin.exe or by a test.

#include <windows.h>

namespace kui {

// True while windows must draw in system colours.
bool HighContrast();

enum class HighContrastMode { System, On, Off };
// Forces the answer of HighContrast (System: the system's setting again). Windows already shown
// take it at their next WM_SETTINGCHANGE.
void ForceHighContrast(HighContrastMode mode);

// True when a command line holds the word "/highcontrast" (any case).
bool HighContrastFromCommandLine(const char* cmdLine);

// A top-level window's answer to WM_SETTINGCHANGE and WM_SYSCOLORCHANGE: reads the setting
// again and redraws the window, its frame and its skinned controls in the look it asks for.
void RefreshLook(HWND top, UINT msg, WPARAM wp);

}  // namespace kui
