// Sample conduit libraries that misbehave, one switch each; all export OpenConduit and
// GetConduitName as a conduit does:
//   FAULT_MAIN_CRASH  DllMain crashes at the process attach
//   FAULT_MAIN_HANG   DllMain never returns
//   FAULT_NAME_CRASH  GetConduitName crashes
//   FAULT_NAME_HANG   GetConduitName never returns
//   FAULT_NAME_LONG   GetConduitName writes 200 characters and a zero, whatever the capacity
//   FAULT_SEEN        DllMain writes what it saw at its load into "faultseen.dat" beside the
//                     program: the thread error mode (4 bytes), then the first 260 bytes of the
//                     program folder's KestrinLoad.dat. GetConduitName writes what it was given
//                     into "faultname.dat": the capacity, the buffer's offset in its page, the
//                     protection of the page after it (4 bytes each), then the buffer's first
//                     64 bytes.
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
// A file beside the program, into out of MAX_PATH + 32.
bool BesideProgram(const char* name, char* out) {
  DWORD n = GetModuleFileNameA(nullptr, out, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  char* slash = out;
  for (char* p = out; *p; ++p) {
    if (*p == '\\') slash = p + 1;
  }
  *slash = '\0';
  lstrcatA(out, name);
  return true;
}

void WriteWhole(const char* path, const void* data, DWORD size) {
  HANDLE h =
      CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  DWORD put = 0;
  WriteFile(h, data, size, &put, nullptr);
  CloseHandle(h);
}

void NoteWhatIsSeen() {
  char marker[MAX_PATH + 32];
  char seen[MAX_PATH + 32];
  if (!BesideProgram("KestrinLoad.dat", marker) || !BesideProgram("faultseen.dat", seen)) return;

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
  WriteWhole(seen, out, sizeof out);
}

void NoteNameCall(const char* buf, WORD cap) {
  char path[MAX_PATH + 32];
  if (!buf || !BesideProgram("faultname.dat", path)) return;
  SYSTEM_INFO si;
  GetSystemInfo(&si);
  const UINT_PTR page = si.dwPageSize;
  const UINT_PTR at = reinterpret_cast<UINT_PTR>(buf);
  DWORD out[3 + 16] = {cap, static_cast<DWORD>(at % page), 0};
  MEMORY_BASIC_INFORMATION mbi;
  if (VirtualQuery(reinterpret_cast<const void*>(at - at % page + page), &mbi, sizeof mbi))
    out[2] = mbi.Protect;
  CopyMemory(out + 3, buf, 64);
  WriteWhole(path, out, sizeof out);
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
#ifdef FAULT_SEEN
  NoteNameCall(buf, cap);
#endif
  if (!buf || cap == 0) return -1;
  lstrcpynA(buf, COND_NAME, cap);
  return 0;
#endif
}
