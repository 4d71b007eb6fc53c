#include "Subclass.h"

#include <memory>
#include <unordered_map>
#include <vector>

namespace kui {
namespace {

struct Entry {
  SUBCLASSPROC proc;
  UINT_PTR id;
  DWORD_PTR ref;
  bool removed;
};

struct Chain {
  WNDPROC original = nullptr;
  bool unicode = false;
  std::vector<Entry> entries;  // oldest first: a message walks it from the back, so entries
                               // added during a call never shift the ones still to come
  int next = -1;               // the entry DefSubclass calls, during a call
  int depth = 0;               // calls of this window in progress
  bool destroyed = false;
};

std::unordered_map<HWND, std::unique_ptr<Chain>>& Chains() {
  static std::unordered_map<HWND, std::unique_ptr<Chain>> chains;
  return chains;
}

Chain* Find(HWND hwnd) {
  auto it = Chains().find(hwnd);
  return it == Chains().end() ? nullptr : it->second.get();
}

LRESULT CALLBACK Thunk(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

LRESULT CallOriginal(const Chain& c, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return c.unicode ? CallWindowProcW(c.original, hwnd, msg, wp, lp)
                   : CallWindowProcA(c.original, hwnd, msg, wp, lp);
}

// Calls the first live entry at or below index i, or the window's own procedure.
LRESULT CallFrom(Chain& c, int i, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  while (i >= 0 && c.entries[static_cast<size_t>(i)].removed) --i;
  if (i < 0) return CallOriginal(c, hwnd, msg, wp, lp);
  const Entry e = c.entries[static_cast<size_t>(i)];  // the vector may grow during the call
  const int saved = c.next;
  c.next = i - 1;
  const LRESULT res = e.proc(hwnd, msg, wp, lp, e.id, e.ref);
  c.next = saved;
  return res;
}

// Between calls: drops removed entries, and the chain itself when it is empty or its window gone.
void Tidy(HWND hwnd, Chain& c) {
  std::vector<Entry> live;
  for (const Entry& e : c.entries) {
    if (!e.removed) live.push_back(e);
  }
  c.entries.swap(live);
  if (!c.destroyed && !c.entries.empty()) return;
  if (!c.destroyed) {
    // Another subclass may sit above ours; then the thunk stays and only passes messages on.
    const auto mine = reinterpret_cast<LONG_PTR>(Thunk);
    const LONG_PTR now = c.unicode ? GetWindowLongPtrW(hwnd, GWLP_WNDPROC)
                                   : GetWindowLongPtrA(hwnd, GWLP_WNDPROC);
    if (now != mine) return;
    const auto original = reinterpret_cast<LONG_PTR>(c.original);
    if (c.unicode) {
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, original);
    } else {
      SetWindowLongPtrA(hwnd, GWLP_WNDPROC, original);
    }
  }
  Chains().erase(hwnd);
}

LRESULT CALLBACK Thunk(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Chain* c = Find(hwnd);
  if (!c) return DefWindowProcA(hwnd, msg, wp, lp);
  ++c->depth;
  const LRESULT res = CallFrom(*c, static_cast<int>(c->entries.size()) - 1, hwnd, msg, wp, lp);
  --c->depth;
  if (msg == WM_NCDESTROY) c->destroyed = true;
  if (c->depth == 0) Tidy(hwnd, *c);
  return res;
}

}  // namespace

bool SetSubclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR ref) {
  if (!hwnd || !proc || !IsWindow(hwnd)) return false;
  Chain* c = Find(hwnd);
  if (c) {
    for (Entry& e : c->entries) {
      if (!e.removed && e.proc == proc && e.id == id) {
        e.ref = ref;
        return true;
      }
    }
  } else {
    auto chain = std::make_unique<Chain>();
    chain->unicode = IsWindowUnicode(hwnd) != FALSE;
    const auto thunk = reinterpret_cast<LONG_PTR>(Thunk);
    SetLastError(0);
    const LONG_PTR old = chain->unicode ? SetWindowLongPtrW(hwnd, GWLP_WNDPROC, thunk)
                                        : SetWindowLongPtrA(hwnd, GWLP_WNDPROC, thunk);
    if (!old && GetLastError() != 0) return false;
    chain->original = reinterpret_cast<WNDPROC>(old);
    c = chain.get();
    Chains()[hwnd] = std::move(chain);
  }
  c->entries.push_back(Entry{proc, id, ref, false});
  return true;
}

bool RemoveSubclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id) {
  Chain* c = Find(hwnd);
  if (!c) return false;
  bool found = false;
  for (Entry& e : c->entries) {
    if (!e.removed && e.proc == proc && e.id == id) {
      e.removed = true;
      found = true;
    }
  }
  if (found && c->depth == 0) Tidy(hwnd, *c);
  return found;
}

LRESULT DefSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Chain* c = Find(hwnd);
  if (!c) return DefWindowProcA(hwnd, msg, wp, lp);
  if (c->depth == 0) return CallOriginal(*c, hwnd, msg, wp, lp);
  return CallFrom(*c, c->next, hwnd, msg, wp, lp);
}

}  // namespace kui
