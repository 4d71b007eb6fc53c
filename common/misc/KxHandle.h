#pragma once
// Owners of Windows kernel, registry and module handles (the GDI ones are the window kit's,
// ui/GdiHandle.h).

#include <windows.h>

#include "format/KxUnique.h"

namespace kx {

struct ModuleTraits {
  static HMODULE Invalid() { return nullptr; }
  static void Close(HMODULE h) { FreeLibrary(h); }
};
struct KeyTraits {
  static HKEY Invalid() { return nullptr; }
  static void Close(HKEY h) { RegCloseKey(h); }
};
struct FileHandleTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
struct KernelHandleTraits {
  static HANDLE Invalid() { return nullptr; }
  static void Close(HANDLE h) { CloseHandle(h); }
};

using UniqueModule = UniqueHandle<HMODULE, ModuleTraits>;
using UniqueKey = UniqueHandle<HKEY, KeyTraits>;
using UniqueFileHandle = UniqueHandle<HANDLE, FileHandleTraits>;   // CreateFile results
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;  // events, threads

}  // namespace kx
