#include <gtest/gtest.h>

#include <cstring>

#include "format/KxText.h"

TEST(KxText, CopyCutsAndTerminatesInsideTheField) {
  char field[6];
  memset(field, 'x', sizeof field);
  kx::CopyText(field, "abcdefgh");
  EXPECT_STREQ(field, "abcde");
  kx::CopyText(field, nullptr);
  EXPECT_STREQ(field, "");
  EXPECT_EQ(field[1], 'b');  // bytes after the terminator are kept
}

TEST(KxText, TerminateFieldOnlyWhenForeignCodeLeftNoZero) {
  char full[4] = {'a', 'b', 'c', 'd'};
  kx::TerminateField(full);
  EXPECT_STREQ(full, "abc");
  char ok[4] = {'a', 0, 'c', 'd'};
  kx::TerminateField(ok);
  EXPECT_EQ(ok[3], 'd');
}
