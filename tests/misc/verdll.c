/* A library that carries only a version record, for the file-version tests. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE hinst, DWORD reason, LPVOID reserved) {
  (void)hinst;
  (void)reason;
  (void)reserved;
  return TRUE;
}
