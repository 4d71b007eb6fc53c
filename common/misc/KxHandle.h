#pragma once
// Owners of Windows and C runtime handles: one owner per handle, movable, never copied.

#include <windows.h>

#include <cstdio>
#include <utility>

namespace kx {

template <typename T, typename Traits>
class UniqueHandle {
 public:
  UniqueHandle() noexcept = default;
  explicit UniqueHandle(T h) noexcept : m_h(h) {}
  ~UniqueHandle() { reset(); }

  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : m_h(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  T get() const noexcept { return m_h; }
  explicit operator bool() const noexcept { return m_h != Traits::Invalid(); }
  T release() noexcept { return std::exchange(m_h, Traits::Invalid()); }
  void reset(T h = Traits::Invalid()) noexcept {
    T old = std::exchange(m_h, h);
    if (old != Traits::Invalid()) Traits::Close(old);
  }
  // For out-parameters of creating calls (RegOpenKeyEx and the like).
  T* put() noexcept {
    reset();
    return &m_h;
  }

 private:
  T m_h = Traits::Invalid();
};

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
struct StdFileTraits {
  static FILE* Invalid() { return nullptr; }
  static void Close(FILE* f) { fclose(f); }
};
struct GdiTraits {
  static HGDIOBJ Invalid() { return nullptr; }
  static void Close(HGDIOBJ h) { DeleteObject(h); }
};
struct FontTraits {
  static HFONT Invalid() { return nullptr; }
  static void Close(HFONT h) { DeleteObject(h); }
};

using UniqueModule = UniqueHandle<HMODULE, ModuleTraits>;
using UniqueKey = UniqueHandle<HKEY, KeyTraits>;
using UniqueFileHandle = UniqueHandle<HANDLE, FileHandleTraits>;   // CreateFile results
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;  // events, threads
using UniqueStdFile = UniqueHandle<FILE*, StdFileTraits>;
using UniqueGdiObject = UniqueHandle<HGDIOBJ, GdiTraits>;
using UniqueFont = UniqueHandle<HFONT, FontTraits>;

}  // namespace kx
