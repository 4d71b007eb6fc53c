// DLLs the diagnosis samples import. KXHELPER_GONE: kxgone.dll, built only for its import
// library and shipped nowhere. Otherwise kxlack.dll, which exports KxLackB only with
// KXHELPER_FULL: the conduit links against the full one and is shipped beside the short one.
#include <windows.h>

#ifdef KXHELPER_GONE
extern "C" __declspec(dllexport) int KxGone() { return 1; }
#else
extern "C" __declspec(dllexport) int KxLackA() { return 1; }
#ifdef KXHELPER_FULL
extern "C" __declspec(dllexport) int KxLackB() { return 2; }
#endif
#endif
