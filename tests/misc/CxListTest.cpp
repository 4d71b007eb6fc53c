#include <gtest/gtest.h>

#include <type_traits>
#include <vector>

#include "format/CxList.h"

static_assert(!std::is_copy_constructible_v<CxList> && !std::is_copy_assignable_v<CxList>,
              "a copied list would delete its nodes twice");

namespace {

class CxListTest : public ::testing::Test {
 protected:
  void Fill(size_t n) {
    items.resize(n);
    for (size_t i = 0; i < n; ++i) {
      items[i] = static_cast<int>(i);
      ASSERT_TRUE(list.Add(&items[i]));
    }
  }
  void* Item(size_t i) { return &items[i]; }

  std::vector<int> items;  // sized once before adding, so the pointers stay put
  CxList list;
};

TEST_F(CxListTest, NewListHasNothing) {
  EXPECT_EQ(list.GetCount(), 0u);
  EXPECT_EQ(list.GetFirst(), nullptr);
  EXPECT_EQ(list.GetNext(), nullptr);
  EXPECT_EQ(list.GetAt(0), nullptr);
}

TEST_F(CxListTest, IteratesInInsertionOrderAndStaysAtTheEnd) {
  Fill(3);
  EXPECT_EQ(list.GetCount(), 3u);
  EXPECT_EQ(list.GetFirst(), Item(0));
  EXPECT_EQ(list.GetNext(), Item(1));
  EXPECT_EQ(list.GetNext(), Item(2));
  EXPECT_EQ(list.GetNext(), nullptr);
  EXPECT_EQ(list.GetNext(), nullptr);
  EXPECT_EQ(list.GetFirst(), Item(0));  // a new iteration starts over
}

TEST_F(CxListTest, GetAtWalksBothWaysAndLeavesTheCursorThere) {
  Fill(3);
  EXPECT_EQ(list.GetAt(2), Item(2));
  EXPECT_EQ(list.GetAt(0), Item(0));  // backwards from the tail
  EXPECT_EQ(list.GetNext(), Item(1));
}

TEST_F(CxListTest, GetAtAnyOrderOfPositions) {
  Fill(50);
  // Forwards, backwards, the same position twice, both ends, long jumps.
  const uint32_t positions[] = {0, 49, 48, 48, 1, 25, 24, 26, 0, 0, 49, 10, 40, 3};
  for (uint32_t pos : positions) {
    EXPECT_EQ(list.GetAt(pos), Item(pos)) << "position " << pos;
  }
  EXPECT_EQ(list.GetNext(), Item(4));  // the cursor is on the last position asked for
}

TEST_F(CxListTest, OutOfRangeGetAtLeavesTheCursor) {
  Fill(3);
  ASSERT_EQ(list.GetAt(1), Item(1));
  for (uint32_t pos : {3u, 4u, 0xFFFFFFFFu}) EXPECT_EQ(list.GetAt(pos), nullptr) << pos;
  EXPECT_EQ(list.GetNext(), Item(2));
}

TEST_F(CxListTest, NullItemIsRefusedAndChangesNothing) {
  Fill(3);
  ASSERT_EQ(list.GetFirst(), Item(0));
  EXPECT_FALSE(list.Add(nullptr));
  EXPECT_EQ(list.GetCount(), 3u);
  EXPECT_EQ(list.GetNext(), Item(1));  // the iteration goes on
}

TEST_F(CxListTest, AddEndsAnIteration) {
  Fill(3);
  ASSERT_EQ(list.GetFirst(), Item(0));
  int extra = 99;
  ASSERT_TRUE(list.Add(&extra));
  EXPECT_EQ(list.GetNext(), nullptr);
  EXPECT_EQ(list.GetAt(3), &extra);
  EXPECT_EQ(list.GetAt(1), Item(1));
}

TEST_F(CxListTest, RemoveAllStartsPositionsOverAndLeavesItemsAlone) {
  Fill(3);
  ASSERT_EQ(list.GetAt(2), Item(2));
  list.RemoveAll();
  EXPECT_EQ(list.GetCount(), 0u);
  EXPECT_EQ(list.GetFirst(), nullptr);
  EXPECT_EQ(list.GetNext(), nullptr);
  EXPECT_EQ(list.GetAt(0), nullptr);
  EXPECT_EQ(items[0] + items[1] + items[2], 0 + 1 + 2);

  int fresh = 7;
  ASSERT_TRUE(list.Add(&fresh));
  EXPECT_EQ(list.GetCount(), 1u);
  EXPECT_EQ(list.GetAt(0), &fresh);
  EXPECT_EQ(list.GetFirst(), &fresh);
  EXPECT_EQ(list.GetNext(), nullptr);
  list.RemoveAll();
  list.RemoveAll();  // clearing an empty list is harmless
  EXPECT_EQ(list.GetCount(), 0u);
}

}  // namespace
