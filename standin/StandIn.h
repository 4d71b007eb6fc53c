#pragma once
// Shared by the stand-in Palm Desktop libraries and tools only. The program under test never
// sees this file: its own declarations must stand on their own.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#define KS_ROOT "Software\\U.S. Robotics\\Pilot Desktop"
#define KS_CORE KS_ROOT "\\Core"
#define KS_FAULTS KS_ROOT "\\StandIn Faults"

// Window class of the stand-in HotSync Manager and the message that asks it for its Custom dialog.
#define KS_HOTSYNC_CLASS "KestrinStandInHotSync"
#define KS_HOTSYNC_TITLE "HotSync Manager"
#define KS_WM_SHOWCUSTOM (WM_APP + 0x4B)
// Set when the Custom dialog was asked for before the HotSync window existed.
#define KS_PENDING_EVENT "KestrinStandInHotSyncCustomPending"

// The exported entry points of the Palm libraries: stdcall, names undecorated by the linker.
#define KS_ENTRY extern "C" __declspec(dllexport) int WINAPI

// Tests make any entry answer a fixed value through the registry; read on every call.
#define KS_FAULT()                                 \
  do {                                             \
    int ks_fault_;                                 \
    if (ks::Fault(__func__, &ks_fault_)) return ks_fault_; \
  } while (0)

// Entries nobody calls: no arguments here, a fixed error, no effect.
#define KS_UNUSED(name) \
  KS_ENTRY name(void) { \
    KS_FAULT();         \
    return -1;          \
  }

namespace ks {

inline bool ReadDword(HKEY root, const char* key, const char* value, DWORD* out) {
  HKEY h;
  if (RegOpenKeyExA(root, key, 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  DWORD type = 0, v = 0, size = sizeof v;
  LONG rc = RegQueryValueExA(h, value, nullptr, &type, reinterpret_cast<BYTE*>(&v), &size);
  RegCloseKey(h);
  if (rc != ERROR_SUCCESS || type != REG_DWORD) return false;
  *out = v;
  return true;
}

inline bool Fault(const char* entry, int* answer) {
  DWORD v;
  if (!ReadDword(HKEY_CURRENT_USER, KS_FAULTS, entry, &v)) return false;
  *answer = static_cast<int>(v);
  return true;
}

// Reads a text value whole; false (and empty) when it is absent or not text.
inline bool ReadText(HKEY h, const char* value, std::string* out) {
  out->clear();
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(h, value, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return false;
  std::string buf(size + 1, '\0');
  if (RegQueryValueExA(h, value, nullptr, &type, reinterpret_cast<BYTE*>(&buf[0]), &size) !=
      ERROR_SUCCESS)
    return false;
  buf.resize(strlen(buf.c_str()));
  *out = buf;
  return true;
}

inline bool ReadText(HKEY root, const char* key, const char* value, std::string* out) {
  out->clear();
  HKEY h;
  if (RegOpenKeyExA(root, key, 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  bool ok = ReadText(h, value, out);
  RegCloseKey(h);
  return ok;
}

inline LONG WriteText(HKEY h, const char* value, const char* text) {
  return RegSetValueExA(h, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                        static_cast<DWORD>(strlen(text) + 1));
}

inline LONG WriteDword(HKEY h, const char* value, DWORD v) {
  return RegSetValueExA(h, value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
}

// Copies text into a caller's buffer of cap bytes, cut and always terminated.
inline bool PutText(const char* text, char* buf, const int* cap) {
  if (!buf || !cap || *cap <= 0) return false;
  size_t n = strlen(text);
  size_t room = static_cast<size_t>(*cap) - 1;
  if (n > room) n = room;
  memcpy(buf, text, n);
  buf[n] = 0;
  return true;
}

inline void AppKey(int n, char* out, size_t size) { snprintf(out, size, KS_ROOT "\\Application%d", n); }
inline void InstallKey(int n, char* out, size_t size) {
  snprintf(out, size, KS_ROOT "\\InstallConduit%d", n);
}

inline bool KeyExists(const char* path) {
  HKEY h;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  RegCloseKey(h);
  return true;
}

// Number of keys numbered densely from 0; the first missing number ends them.
inline int DenseCount(void (*keyName)(int, char*, size_t)) {
  char path[300];
  int n = 0;
  for (;; ++n) {
    keyName(n, path, sizeof path);
    if (!KeyExists(path)) return n;
  }
}

}  // namespace ks
