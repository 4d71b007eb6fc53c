// Sample conduit libraries that misbehave, one switch each; all export OpenConduit and
// GetConduitName as a conduit does:
//   FAULT_MAIN_CRASH  DllMain crashes at the process attach
//   FAULT_MAIN_HANG   DllMain never returns
//   FAULT_NAME_CRASH  GetConduitName crashes
//   FAULT_NAME_HANG   GetConduitName never returns
//   FAULT_NAME_LONG   GetConduitName writes 200 characters and a zero, whatever the capacity
//   FAULT_SEEN        DllMain writes what it saw at its load into "faultseen.dat" beside the
//                     program: the thread error mode (4 bytes), then the first 260 bytes of the
//                     program folder's KestrinLoad.dat
#include <windows.h>

#define COND_EXPORT extern "C" __declspec(dllexport)

namespace {

// A write through a pointer the compiler cannot see through: an access violation.
int* volatile g_bad = nullptr;

[[maybe_unused]] [[noreturn]] void Crash() {
  *g_bad = 1;
  for (;;) Sleep(1000);
}

[[maybe_unused]] [[noreturn]] void Hang() {
  for (;;) Sleep(1000);
}

#ifdef FAULT_SEEN
void NoteWhatIsSeen() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  char* slash = path;
  for (char* p = path; *p; ++p) {
    if (*p == '\\') slash = p + 1;
  }
  *slash = '\0';
  char marker[MAX_PATH + 32];
  char seen[MAX_PATH + 32];
  lstrcpyA(marker, path);
  lstrcatA(marker, "KestrinLoad.dat");
  lstrcpyA(seen, path);
  lstrcatA(seen, "faultseen.dat");

  unsigned char out[4 + 260] = {};
  const DWORD mode = GetThreadErrorMode();
  CopyMemory(out, &mode, 4);
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE h = CreateFileA(marker, GENERIC_READ, share, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    DWORD got = 0;
    ReadFile(h, out + 4, 260, &got, nullptr);
    CloseHandle(h);
  }
  h = CreateFileA(seen, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  DWORD put = 0;
  WriteFile(h, out, sizeof out, &put, nullptr);
  CloseHandle(h);
}
#endif

}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
#if defined(FAULT_MAIN_CRASH)
    Crash();
#elif defined(FAULT_MAIN_HANG)
    Hang();
#elif defined(FAULT_SEEN)
    NoteWhatIsSeen();
#endif
  }
  return TRUE;
}

COND_EXPORT long OpenConduit(void*, void*) { return 0; }

COND_EXPORT long GetConduitName(char* buf, WORD cap) {
#if defined(FAULT_NAME_CRASH)
  (void)buf;
  (void)cap;
  Crash();
#elif defined(FAULT_NAME_HANG)
  (void)buf;
  (void)cap;
  Hang();
#elif defined(FAULT_NAME_LONG)
  (void)cap;
  if (!buf) return -1;
  for (int i = 0; i < 200; ++i) buf[i] = 'L';
  buf[200] = '\0';
  return 0;
#else
  if (!buf || cap == 0) return -1;
  lstrcpynA(buf, COND_NAME, cap);
  return 0;
#endif
}
