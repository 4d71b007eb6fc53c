#pragma once
// The main window of the window tests, started the way the program starts it.

#include <memory>

#include "MainForm.h"

namespace ktest {

// Creates the main window with its splash answered by two ticks of the splash's timer and shows
// it without taking the activation. False, with fm holding the window, when Create failed.
bool StartMainWindow(std::unique_ptr<TfmMain>& fm);

// Takes the WM_QUIT a closed main window posts, so the next test's loops do not see it.
void DrainQuit();

}  // namespace ktest
