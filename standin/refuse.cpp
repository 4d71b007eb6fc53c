// A conduit library that refuses to load: its DllMain answers FALSE to the process attach, so
// LoadLibrary fails although the file is a valid DLL that exports OpenConduit.
#include <windows.h>

extern "C" __declspec(dllexport) long OpenConduit(void*, void*) { return 0; }

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) { return reason != DLL_PROCESS_ATTACH; }
