/* A library that carries only a version record, for the version a history entry records. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE hinst, DWORD reason, LPVOID reserved) {
  (void)hinst;
  (void)reason;
  (void)reserved;
  return TRUE;
}
