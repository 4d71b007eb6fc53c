// Diagnosis samples, conduits in every other way. NEEDY_GONE imports kxgone.dll, which is
// nowhere; NEEDY_CHAIN imports kxchain.dll beside it, which imports kxgone.dll; NEEDY_LACK imports KxLackB, which the kxlack.dll beside it lacks; NEEDY_APISET
// imports GetTickCount through an API-set name and otherwise only system DLLs.
#include <windows.h>

#if defined(NEEDY_GONE)
extern "C" int KxGone();
static int Need() { return KxGone(); }
#elif defined(NEEDY_CHAIN)
extern "C" int KxChain();
static int Need() { return KxChain(); }
#elif defined(NEEDY_LACK)
extern "C" int KxLackA();
extern "C" int KxLackB();
static int Need() { return KxLackA() + KxLackB(); }
#else
static int Need() { return static_cast<int>(GetTickCount() & 1); }
#endif

extern "C" __declspec(dllexport) long OpenConduit(void*, void*) { return Need(); }

extern "C" __declspec(dllexport) long GetConduitName(char* buf, WORD cap) {
  if (!buf || cap == 0) return -1;
  lstrcpynA(buf, COND_NAME, cap);
  return 0;
}
