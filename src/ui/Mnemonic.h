#pragma once
// Mnemonics of a window's controls, the way the Windows dialog manager treats them: a mnemonic
// that one enabled, visible control carries clicks it; one that several share moves the focus
// to the next of them. Done here because Wine's dialog manager clicks the first of several.

#include <windows.h>

namespace kui {

// The character after a single '&' of a caption ("&&" stands for one '&'), upper-cased; 0 for
// none.
char MnemonicChar(const char* caption);

// Call from a message loop before IsDialogMessage. True when the message was a mnemonic of one
// of `window`'s controls and has been handled.
bool HandleMnemonic(HWND window, const MSG& msg);

// The keyboard step of every message loop: F1 (WM_HELP to `window`), mnemonics, then the dialog
// manager (Tab, arrows).
// True when the message was used and must not be dispatched.
bool DialogKeys(HWND window, MSG& msg);

}  // namespace kui
