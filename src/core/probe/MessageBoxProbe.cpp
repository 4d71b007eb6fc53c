// Compiled only by the layer test, which expects this to fail: the core has no user32.
#include <windows.h>

void CoreProbeTellsTheUser() { MessageBoxA(nullptr, "core", "probe", MB_OK); }
