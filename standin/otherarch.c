/* A conduit built by the other MinGW compiler: 32-bit in the x86_64 build, 64-bit in the i686
   build. */
#include <windows.h>

__declspec(dllexport) long OpenConduit(void* a, void* b) {
  (void)a;
  (void)b;
  return 0;
}

__declspec(dllexport) long GetConduitName(char* buf, WORD cap) {
  if (!buf || cap == 0) return -1;
  lstrcpynA(buf, "Other Processor", cap);
  return 0;
}
