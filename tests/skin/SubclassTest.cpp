// The in-process subclass chain the skin uses: the order messages take, passing on, removal from
// inside a call, and the window's own procedure coming back.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "ui/Subclass.h"

namespace {

// What the procedures saw, in order: "<id>:<ref>" per message of interest.
std::string g_trail;
const UINT kPing = WM_APP + 1;

LRESULT CALLBACK Own(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kPing) {
    g_trail += "own ";
    return 7;
  }
  return DefWindowProcA(h, msg, wp, lp);
}

LRESULT CALLBACK Step(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref) {
  if (msg == kPing) {
    g_trail += std::to_string(id) + ":" + std::to_string(ref) + " ";
    if (ref == 99) kui::RemoveSubclass(h, Step, id);  // takes itself out mid-call
    if (ref == 50 && wp == 0) SendMessageA(h, kPing, 1, 0);  // a nested message
    return kui::DefSubclass(h, msg, wp, lp) + 1;
  }
  return kui::DefSubclass(h, msg, wp, lp);
}

class Subclass : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Own;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KestrinSubclassTest";
    RegisterClassA(&wc);
    wnd = CreateWindowExA(0, "KestrinSubclassTest", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                          wc.hInstance, nullptr);
    ASSERT_TRUE(wnd);
    g_trail.clear();
  }
  void TearDown() override {
    if (IsWindow(wnd)) DestroyWindow(wnd);
  }
  LRESULT Ping() {
    g_trail.clear();
    return SendMessageA(wnd, kPing, 0, 0);
  }
  WNDPROC Proc() const { return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(wnd, GWLP_WNDPROC)); }
  HWND wnd = nullptr;
};

TEST_F(Subclass, NewestFirstEachPassesOnAndTheOwnProcedureComesBack) {
  ASSERT_TRUE(kui::SetSubclass(wnd, Step, 1, 10));
  ASSERT_TRUE(kui::SetSubclass(wnd, Step, 2, 20));
  EXPECT_EQ(9, Ping());
  EXPECT_EQ("2:20 1:10 own ", g_trail);

  ASSERT_TRUE(kui::SetSubclass(wnd, Step, 1, 11));  // there already: only the ref changes
  EXPECT_EQ(9, Ping());
  EXPECT_EQ("2:20 1:11 own ", g_trail);

  EXPECT_TRUE(kui::RemoveSubclass(wnd, Step, 2));
  EXPECT_FALSE(kui::RemoveSubclass(wnd, Step, 2));
  EXPECT_EQ(8, Ping());
  EXPECT_EQ("1:11 own ", g_trail);
  EXPECT_TRUE(kui::RemoveSubclass(wnd, Step, 1));
  EXPECT_EQ(Own, Proc());
  EXPECT_EQ(7, Ping());
}

TEST_F(Subclass, RemovalAndNestedMessagesInsideACall) {
  ASSERT_TRUE(kui::SetSubclass(wnd, Step, 1, 10));
  ASSERT_TRUE(kui::SetSubclass(wnd, Step, 2, 99));  // removes itself while it runs
  ASSERT_TRUE(kui::SetSubclass(wnd, Step, 3, 50));  // sends a nested message first
  EXPECT_EQ(9, Ping());
  // The nested message walks the whole chain, where 2 takes itself out; the outer call goes on
  // where it was and no longer meets 2.
  EXPECT_EQ("3:50 3:50 2:99 1:10 own 1:10 own ", g_trail);
  EXPECT_EQ(9, Ping());
  EXPECT_EQ("3:50 3:50 1:10 own 1:10 own ", g_trail);
}

TEST_F(Subclass, ChainEndsWithItsWindow) {
  ASSERT_TRUE(kui::SetSubclass(wnd, Step, 1, 10));
  DestroyWindow(wnd);
  EXPECT_FALSE(kui::RemoveSubclass(wnd, Step, 1));
  EXPECT_FALSE(kui::SetSubclass(wnd, Step, 1, 10));
}

}  // namespace
