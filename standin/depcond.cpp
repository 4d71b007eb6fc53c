// A sample conduit that imports kxdep.dll: its name is what the copy of kxdep.dll that the
// loader found says about itself.
#include <windows.h>

extern "C" const char* KxDepWhere();

extern "C" __declspec(dllexport) long OpenConduit(void*, void*) { return 0; }

extern "C" __declspec(dllexport) long GetConduitName(char* buf, WORD cap) {
  if (!buf || cap == 0) return -1;
  lstrcpynA(buf, KxDepWhere(), cap);
  return 0;
}
