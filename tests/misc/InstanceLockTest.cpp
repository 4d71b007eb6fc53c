// One copy per program folder: the lock is the folder's, whatever the letter case, and goes
// with its holder.
#include <gtest/gtest.h>

#include <memory>

#include "misc/InstanceLock.h"

namespace {

TEST(InstanceLock, OneHolderPerFolder) {
  EXPECT_EQ("Local\\Kestrin-", kx::InstanceMutexName("C:\\Kestrin\\").substr(0, 14));
  EXPECT_EQ(22u, kx::InstanceMutexName("C:\\Kestrin\\").size());

  auto first = std::make_unique<kx::InstanceLock>();
  ASSERT_TRUE(first->Acquire("C:\\Programs\\Kestrin\\"));
  EXPECT_TRUE(first->Held());
  EXPECT_TRUE(first->Acquire("C:\\Programs\\Kestrin\\"));  // a holder asking again keeps it

  struct Case {
    const char* folder;
    bool free;
  } cases[] = {
      {"C:\\Programs\\Kestrin\\", false},
      {"c:\\programs\\KESTRIN\\", false},
      {"C:/Programs/Kestrin/", false},
      {"C:\\Programs\\Kestrin2\\", true},
      {"D:\\Programs\\Kestrin\\", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    kx::InstanceLock second;
    EXPECT_EQ(c.free, second.Acquire(c.folder));
    EXPECT_EQ(c.free, second.Held());
  }

  first.reset();  // the holder ends: the next start may run
  kx::InstanceLock next;
  EXPECT_TRUE(next.Acquire("C:\\Programs\\Kestrin\\"));
}

}  // namespace
