// Sample conduit library, built once per sample with these switches:
//   COND_NAME "text"  what GetConduitName reports (no GetConduitName without it)
//   COND_OPEN         exports OpenConduit (what makes a library a conduit)
//   COND_PIM          also exports CfgConduit and GetConduitVersion
//   COND_FILL         GetConduitName fills the whole buffer with 'F' and no terminator
#include <windows.h>

#define COND_EXPORT extern "C" __declspec(dllexport)

#ifdef COND_OPEN
COND_EXPORT long OpenConduit(void*, void*) { return 0; }
#endif

#ifdef COND_PIM
COND_EXPORT long CfgConduit(void*, void*, void*) { return 0; }
COND_EXPORT DWORD GetConduitVersion(void) { return COND_VERSION_WORD; }
#endif

#if defined(COND_FILL)
COND_EXPORT long GetConduitName(char* buf, WORD cap) {
  if (buf) FillMemory(buf, cap, 'F');
  return 0;
}
#elif defined(COND_NAME)
COND_EXPORT long GetConduitName(char* buf, WORD cap) {
  if (!buf || cap == 0) return -1;
  lstrcpynA(buf, COND_NAME, cap);  // cut to cap-1 characters and terminated
  return 0;
}
#endif
