// The start-up stamps reach the file the environment names in the form the benchmark reads: the
// counter's frequency, then one line per stamp in order, at most 32, written once.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

#include "misc/StartupStamps.h"
#include "TestSupport.h"

namespace {

// The only test of this program that stamps: the module reads the variable once, at its first
// call.
TEST(StartupStamps, TheFileTheEnvironmentNamesHoldsTheStepsInOrderOnce) {
  ktest::TempDir dir("stamps");
  const std::string path = dir.file("stamps.txt");
  ASSERT_TRUE(SetEnvironmentVariableA("KESTRIN_STARTUP_STAMPS", path.c_str()));
  kx::StartupStamp("winmain");
  kx::StartupStamp("tick");
  kx::StartupStamp("tick");
  for (int i = 0; i < 40; ++i) kx::StartupStamp("more");  // past the 32 kept
  kx::WriteStartupStamps();
  kx::StartupStamp("late");  // after the write: not kept, and no second write
  kx::WriteStartupStamps();
  SetEnvironmentVariableA("KESTRIN_STARTUP_STAMPS", nullptr);

  std::ifstream in(path);
  std::string word;
  long long freq = 0;
  ASSERT_TRUE(in >> word >> freq);
  EXPECT_EQ("frequency", word);
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  EXPECT_EQ(f.QuadPart, freq);
  std::vector<std::string> steps;
  long long count = 0, previous = 0;
  while (in >> word >> count) {
    steps.push_back(word);
    EXPECT_GE(count, previous) << word;
    previous = count;
  }
  ASSERT_EQ(32u, steps.size());
  EXPECT_EQ("winmain", steps[0]);
  EXPECT_EQ("tick", steps[1]);
  EXPECT_EQ("tick", steps[2]);
  EXPECT_EQ("more", steps[31]);
}

}  // namespace
