#pragma once
// The program's pictures (ids in resource.h), read from the running program's resources. Each
// bitmap is there at 100 %, 150 % and 200 %, each rendered from its drawing.
#include <windows.h>

namespace kui {

// A picture as a DIB section, in the rendering for the layout DPI: the one made for it, else the
// next larger one (the largest above 200 %). The caller deletes it. Null when the program
// carries none.
HBITMAP LoadPicture(int id);

// The picture at exactly w x h: the rendering LoadPicture picks, resized when it differs
// (smooth: averaged; otherwise nearest pixels, which keeps a mask colour exact). Null when the
// program carries none.
HBITMAP LoadPictureSized(int id, int w, int h, bool smooth);

// Draws bmp over r: copied as it is at its own size, smoothly resized otherwise.
// A null bitmap draws nothing.
void DrawPicture(HDC dc, const RECT& r, HBITMAP bmp);

// One size of an icon, shared (never destroyed); the system's application icon when missing.
HICON LoadProgramIcon(int id, int size);

}  // namespace kui
