// A DLL a sample conduit imports (depcond.dll): it says which copy of it was loaded.
#include <windows.h>

extern "C" __declspec(dllexport) const char* KxDepWhere() { return KXDEP_WHERE; }
