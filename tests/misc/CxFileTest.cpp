#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "format/CxFile.h"
#include "format/KxAssert.h"
#include "TestSupport.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes LE(int v) {
  const unsigned u = static_cast<unsigned>(v);
  return {static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8),
          static_cast<unsigned char>(u >> 16), static_cast<unsigned char>(u >> 24)};
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

class CxFileTest : public ::testing::Test {
 protected:
  ktest::TempDir dir{"cxfile"};
  std::string path = dir.file("values.dat");
};

TEST_F(CxFileTest, StoredBytes) {
  struct Case {
    const char* name;
    void (*write)(CxFile&);
    Bytes bytes;
  };
  const Case cases[] = {
      {"abc", [](CxFile& f) { EXPECT_TRUE(f.WriteString("abc")); }, {3, 0, 0, 0, 'a', 'b', 'c'}},
      {"empty", [](CxFile& f) { EXPECT_TRUE(f.WriteString("")); }, {0, 0, 0, 0}},
      {"null", [](CxFile& f) { EXPECT_TRUE(f.WriteString(nullptr)); }, {0, 0, 0, 0}},
      {"1", [](CxFile& f) { EXPECT_TRUE(f.WriteInt(1)); }, {1, 0, 0, 0}},
      {"-1", [](CxFile& f) { EXPECT_TRUE(f.WriteInt(-1)); }, {0xFF, 0xFF, 0xFF, 0xFF}},
      {"int min", [](CxFile& f) { EXPECT_TRUE(f.WriteInt(-2147483647 - 1)); }, {0, 0, 0, 0x80}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    {
      CxFile f;
      ASSERT_TRUE(f.Open(path.c_str(), "wb"));
      c.write(f);
      EXPECT_TRUE(f.Close());
    }
    EXPECT_EQ(ktest::ReadBytes(path), c.bytes);
  }
}

TEST_F(CxFileTest, ReadsBackWhatItWrote) {
  const char high[] = "caf\xE9 \xA9";  // ANSI text is kept byte for byte
  {
    CxFile f;
    ASSERT_TRUE(f.Open(path.c_str(), "wb"));
    EXPECT_TRUE(f.WriteInt(1));
    EXPECT_TRUE(f.WriteString("abc"));
    EXPECT_TRUE(f.WriteInt(-1));
    EXPECT_TRUE(f.WriteString(""));
    EXPECT_TRUE(f.WriteString(high));
    EXPECT_TRUE(f.WriteInt(-2147483647 - 1));
  }
  CxFile f;
  ASSERT_TRUE(f.Open(path.c_str(), "rb"));
  int v = 0, len = -5;
  char buf[16];
  EXPECT_TRUE(f.ReadInt(&v));
  EXPECT_EQ(v, 1);
  EXPECT_TRUE(f.ReadString(buf, sizeof buf, &len));
  EXPECT_STREQ(buf, "abc");
  EXPECT_EQ(len, 3);
  EXPECT_TRUE(f.ReadInt(&v));
  EXPECT_EQ(v, -1);
  strcpy(buf, "kept");
  EXPECT_TRUE(f.ReadString(buf, sizeof buf, &len));
  EXPECT_STREQ(buf, "kept");  // a stored length 0 leaves the buffer alone
  EXPECT_EQ(len, 0);
  EXPECT_TRUE(f.ReadString(buf, sizeof buf));
  EXPECT_STREQ(buf, high);
  EXPECT_TRUE(f.ReadInt(&v));
  EXPECT_EQ(v, -2147483647 - 1);
  v = 77;
  EXPECT_FALSE(f.ReadInt(&v));  // end of file
  EXPECT_EQ(v, 77);
}

TEST_F(CxFileTest, TextExactlyFillingTheBufferIsNotCut) {
  ASSERT_TRUE(ktest::WriteBytes(path, Cat({LE(3), Text("abc"), LE(5)})));
  CxFile f;
  ASSERT_TRUE(f.Open(path.c_str(), "rb"));
  char buf[4];
  int len = 0, v = 0;
  EXPECT_TRUE(f.ReadString(buf, sizeof buf, &len));
  EXPECT_STREQ(buf, "abc");
  EXPECT_EQ(len, 3);
  EXPECT_TRUE(f.ReadInt(&v));
  EXPECT_EQ(v, 5);
}

TEST_F(CxFileTest, OverlongStoredLengthStaysInsideTheBufferAndKeepsTheFileInStep) {
  std::string text;
  for (int i = 0; i < 100000; ++i) text += static_cast<char>('a' + i % 26);
  ASSERT_TRUE(ktest::WriteBytes(path, Cat({LE(100000), Text(text), LE(0x12345678)})));

  constexpr int kCap = 260, kGuard = 64;
  char mem[kCap + kGuard];
  memset(mem, 'x', kCap);
  memset(mem + kCap, 0xAB, kGuard);

  CxFile f;
  ASSERT_TRUE(f.Open(path.c_str(), "rb"));
  int len = 0;
  EXPECT_TRUE(f.ReadString(mem, kCap, &len));
  EXPECT_EQ(len, kCap - 1);
  EXPECT_EQ(std::string(mem), text.substr(0, kCap - 1));
  for (int i = 0; i < kGuard; ++i) ASSERT_EQ(static_cast<unsigned char>(mem[kCap + i]), 0xAB) << i;
  int v = 0;
  EXPECT_TRUE(f.ReadInt(&v));
  EXPECT_EQ(v, 0x12345678);
  EXPECT_FALSE(f.ReadInt(&v));
}

TEST_F(CxFileTest, DamagedFilesReportFalseAndLeaveATerminatedText) {
  struct Case {
    const char* name;
    Bytes bytes;
    const char* text;  // what the buffer holds afterwards
  };
  const std::string long500(500, 'q');
  const Case cases[] = {
      {"empty file", {}, ""},
      {"cut inside the length", {5, 0}, ""},
      {"cut inside the text", Cat({LE(10), Text("abc")}), "abc"},
      {"length without text", LE(4), ""},
      {"cut inside the skipped rest", Cat({LE(1000), Text(long500)}), "qqqqqqq"},
      {"negative length", Cat({LE(-3), Text("abc")}), "prev"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(ktest::WriteBytes(path, c.bytes));
    CxFile f;
    ASSERT_TRUE(f.Open(path.c_str(), "rb"));
    char mem[8 + 4];
    memset(mem, 0xAB, sizeof mem);
    strcpy(mem, "prev");
    EXPECT_FALSE(f.ReadString(mem, 8));
    EXPECT_STREQ(mem, c.text);
    for (size_t i = 8; i < sizeof mem; ++i) EXPECT_EQ(static_cast<unsigned char>(mem[i]), 0xAB);
  }
}

TEST_F(CxFileTest, ReadIntOnAShortTailLeavesTheTarget) {
  ASSERT_TRUE(ktest::WriteBytes(path, {1, 2}));
  CxFile f;
  ASSERT_TRUE(f.Open(path.c_str(), "rb"));
  int v = 77;
  EXPECT_FALSE(f.ReadInt(&v));
  EXPECT_EQ(v, 77);
}

TEST_F(CxFileTest, OpenRefusesEmptyArgumentsWithoutCreatingAnything) {
  CxFile f;
  EXPECT_FALSE(f.Open("", "wb"));
  EXPECT_FALSE(f.Open(nullptr, "wb"));
  EXPECT_FALSE(f.Open(path.c_str(), ""));
  EXPECT_FALSE(f.Open(path.c_str(), nullptr));
  EXPECT_EQ(f.m_fp, nullptr);
  EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(f.Open(dir.file("missing.dat").c_str(), "rb"));
  EXPECT_EQ(f.m_fp, nullptr);
}

TEST_F(CxFileTest, CloseTwiceAndDestructionClose) {
  {
    CxFile f;
    EXPECT_TRUE(f.Close());  // never opened
    ASSERT_TRUE(f.Open(path.c_str(), "wb"));
    EXPECT_TRUE(f.Close());
    EXPECT_EQ(f.m_fp, nullptr);
    EXPECT_TRUE(f.Close());
    ASSERT_TRUE(f.Open(path.c_str(), "wb"));
    EXPECT_TRUE(f.WriteInt(42));
  }
  // Only a closed file opens without sharing, and the buffered value reached the disk.
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(h, INVALID_HANDLE_VALUE);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  EXPECT_EQ(ktest::ReadBytes(path), LE(42));
}

TEST_F(CxFileTest, ReopeningReleasesTheFirstFile) {
  const std::string other = dir.file("other.dat");
  CxFile f;
  ASSERT_TRUE(f.Open(path.c_str(), "wb"));
  ASSERT_TRUE(f.Open(other.c_str(), "wb"));
  EXPECT_TRUE(DeleteFileA(path.c_str())) << "the first stream is still open";
}

TEST_F(CxFileTest, WritesToAReadOnlyStreamReportFailure) {
  ASSERT_TRUE(ktest::WriteBytes(path, LE(1)));
  CxFile f;
  ASSERT_TRUE(f.Open(path.c_str(), "rb"));
  EXPECT_FALSE(f.WriteInt(2));
  EXPECT_FALSE(f.WriteString("abc"));
  f.Close();
  EXPECT_EQ(ktest::ReadBytes(path), LE(1));
}

// Assertions name the expression, the source relative to the project and a line.
struct Seen {
  std::string expr, file;
  int line = 0, calls = 0;
};
Seen g_seen;
void Record(const char* expr, const char* file, int line) {
  g_seen.expr = expr;
  g_seen.file = file;
  g_seen.line = line;
  ++g_seen.calls;
}

TEST(CxFileAssert, CallsThroughAClosedWrapperAreReported) {
  struct Case {
    const char* expr;
    bool (*call)(CxFile&);
  };
  const Case cases[] = {
      {"m_fp && piVal", [](CxFile& f) { int v = 0; return f.ReadInt(&v); }},
      {"m_fp&&szBuf", [](CxFile& f) { char b[4]; return f.ReadString(b, sizeof b); }},
      {"m_fp", [](CxFile& f) { return f.WriteInt(1); }},
      {"m_fp", [](CxFile& f) { return f.WriteString("x"); }},
  };
  kx::AssertHandler old = kx::SetAssertHandler(Record);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expr);
    g_seen = Seen{};
    CxFile f;
    EXPECT_FALSE(c.call(f));  // a handler that returns must not lead to a crash
    EXPECT_EQ(g_seen.calls, 1);
    EXPECT_EQ(g_seen.expr, c.expr);
    EXPECT_EQ(g_seen.file, "common/format/CxFile.cpp");
    EXPECT_GT(g_seen.line, 0);

    char msg[512];
    kx::FormatAssertMessage(msg, sizeof msg, g_seen.expr.c_str(), g_seen.file.c_str(), g_seen.line);
    EXPECT_EQ(std::string(msg), "Assertion failed!\n\nExpression: " + std::string(c.expr) +
                                    "\nFile: common/format/CxFile.cpp\nLine: " +
                                    std::to_string(g_seen.line));
  }
  kx::SetAssertHandler(old);
}

}  // namespace
