#pragma once
// One owner per handle: movable, never copied. The template and the C runtime's FILE owner;
// the Windows owners build on it in misc/KxHandle.h and ui/GdiHandle.h.

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

struct StdFileTraits {
  static FILE* Invalid() { return nullptr; }
  static void Close(FILE* f) { fclose(f); }
};
using UniqueStdFile = UniqueHandle<FILE*, StdFileTraits>;

}  // namespace kx
