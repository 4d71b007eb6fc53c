// DLLs the diagnosis samples import. KXHELPER_GONE: kxgone.dll, built only for its import
// library and shipped nowhere. KXHELPER_CHAIN: kxchain.dll, shipped beside the conduit, which
// imports kxgone.dll in turn. Otherwise kxlack.dll, which exports KxLackB only with
// KXHELPER_FULL: the conduit links against the full one and is shipped beside the short one.
#include <windows.h>

#if defined(KXHELPER_GONE)
extern "C" __declspec(dllexport) int KxGone() { return 1; }
#elif defined(KXHELPER_CHAIN)
extern "C" int KxGone();
extern "C" __declspec(dllexport) int KxChain() { return KxGone() + 1; }
#else
extern "C" __declspec(dllexport) int KxLackA() { return 1; }
#ifdef KXHELPER_FULL
extern "C" __declspec(dllexport) int KxLackB() { return 2; }
#endif
#endif
