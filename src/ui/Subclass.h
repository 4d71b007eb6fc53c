#pragma once
// Window subclassing with the calling convention of comctl32's SetWindowSubclass, kept in the
// process: Wine's comctl32 looks its subclass list up as a window property, a wineserver round
// trip, at every message, which made filling a skinned table many times slower than a plain one.
// For windows of the thread that creates them (the program's one UI thread).
#include <windows.h>

#include <commctrl.h>

namespace kui {

// Adds proc/id to the window's chain, or gives it the new ref when it is there already. The
// newest runs first; each passes a message on with DefSubclass.
bool SetSubclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR ref);
// Takes proc/id out of the chain (safe from inside it); the window's own procedure comes back
// when the chain is empty. The chain goes by itself after WM_NCDESTROY.
bool RemoveSubclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id);
// From inside a subclass procedure: the next one down the chain, finally the window's own.
LRESULT DefSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

}  // namespace kui
