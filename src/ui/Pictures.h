#pragma once
// The program's own pictures (ids in resource.h), read from the running program's resources.
#include <windows.h>

namespace kui {

// A picture as a DIB section; the caller deletes it. Null when the program carries none.
HBITMAP LoadPicture(int id);

// Draws bmp over r: copied as it is at its own size, smoothly stretched when the window is scaled.
// A null bitmap draws nothing.
void DrawPicture(HDC dc, const RECT& r, HBITMAP bmp);

// One size of an icon, shared (never destroyed); the system's application icon when missing.
HICON LoadProgramIcon(int id, int size);

}  // namespace kui
