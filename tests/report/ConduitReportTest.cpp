// The conduit report condrpt.html, checked byte for byte against a fixed clock.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "core/ConduitReport.h"
#include "format/KxClock.h"
#include "format/KxSafeFile.h"
#include "format/KxText.h"
#include "misc/WinUtil.h"
#include "Pages.h"
#include "palm/CondMgr.h"
#include "TestSupport.h"

namespace {

const time_t kNow = 1173189909;

CondInfo* Record(const char* name, const char* creator, const std::string& path, uint32_t id) {
  auto* r = new CondInfo{};
  kx::CopyText(r->szName, name);
  kx::CopyText(r->szCreatorID, creator);
  kx::CopyText(r->szConduit, path.c_str());
  r->dwCreatorID = id;
  return r;
}

void Add(CCondMgr& mgr, CondInfo* r) { ASSERT_TRUE(mgr.Add(r)) << r->szName; }

// Written out here from the page's literal lines, independently of the writer.
std::string Stamp() {
  char buf[64];
  strftime(buf, sizeof buf, "%a %b %d %H:%M:%S %Y\n", localtime(&kNow));
  return buf;
}

std::string Head() {
  return "<html><head><title>Conduit Information Report</title></head>\r\n\r\n"
         "<body style=\"font-family:Verdana; font-size:9pt\">\r\n"
         "<font size=3 color=#000080><b>Conduit Information</b> </font><font size=1><i>(" +
         Stamp() +
         ")</i></font><br><br>\r\n"
         "<table border=0 cellpadding=0 cellspacing=1 bgcolor=#C0C0C0 style=\"font-family:"
         "verdana; font-size:10pt\">\r\n"
         "<tr bgcolor=#F0F0FF height=22 colspan=2 align=center>\r\n"
         "<td width=240><b>Conduit Name</b></td>\r\n"
         "<td width=*><b>Detail Information</b></td></tr>\r\n";
}

const char kTail[] = "</table><br></body>\r\n</html>\r\n";

std::string Row(const char* colour, const std::string& name, const std::string& creator,
                const std::string& path, const std::string& version) {
  return std::string("<tr bgcolor=#") + colour +
         " height=18 colspan=2 align=left style=\"padding-left:12; padding-right:12; "
         "padding-top:8; padding-bottom:8\">\r\n"
         "<td>" + name + "</td>\r\n"
         "<td><font color=0000FF>Creator ID</font>: " + creator + "<br><br>\r\n"
         "<font color=0000FF>File Name</font>: " + path + "<br><br>\r\n"
         "<font color=0000FF>File Version</font>: " + version + "</td></tr>\r\n";
}

std::string Text(const std::string& path) {
  const std::vector<unsigned char> b = ktest::ReadBytes(path);
  return std::string(b.begin(), b.end());
}

class ReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kx::SetClockOverride(kNow);
    SetProgramFolderOverride(dir.path().c_str());
    oldOpener = SetShellOpener([this](const char* s) { opened.push_back(s); });
  }
  void TearDown() override {
    SetShellOpener(oldOpener);
    SetProgramFolderOverride(nullptr);
    kx::ClearClockOverride();
    kx::SetWriteFailureAfter(-1);
  }

  ktest::TempDir dir{"report"};
  const std::string page = dir.file("condrpt.html");
  const std::string conduits = ktest::ConduitsFolder() + "\\";
  CCondMgr app, sys;
  std::vector<std::string> opened;
  ShellOpener oldOpener;
};

// Application rows white with the creator text, system rows grey with the number; a missing
// library shows 0.0.0.0000.
TEST_F(ReportTest, SmallCatalogueByteForByte) {
  Add(app, Record("Address Book", "addr", conduits + "addrcond.dll", 0x61646472));
  Add(app, Record("Gone", "gone", "C:\\Nowhere\\gone.dll", 0x676F6E65));
  Add(sys, Record("Install Handheld Files", "inst", conduits + "instcond.dll", 0x696E7374));
  Add(sys, Record("Backup", "", conduits + "backup.dll", kBackupCreatorID));

  ASSERT_TRUE(WriteConduitReport(page.c_str(), app, sys));
  const std::string expected =
      Head() +
      Row("FFFFFF", "Address Book", "addr", conduits + "addrcond.dll", "4.1.0.0023") +
      Row("FFFFFF", "Gone", "gone", "C:\\Nowhere\\gone.dll", "0.0.0.0000") +
      Row("F0F0F0", "Install Handheld Files", "0x696e7374", conduits + "instcond.dll",
          "4.0.0.0005") +
      Row("F0F0F0", "Backup", "0xffffffff", conduits + "backup.dll", "4.0.0.0006") + kTail;
  EXPECT_EQ(expected, Text(page));
}

// An earlier, longer report is replaced whole by the table's head and tail.
TEST_F(ReportTest, EmptyCataloguesReplaceAnEarlierReport) {
  ASSERT_TRUE(ktest::WriteBytes(page, std::vector<unsigned char>(20000, 'x')));
  ASSERT_TRUE(WriteConduitReport(page.c_str(), app, sys));
  EXPECT_EQ(Head() + kTail, Text(page));
}

// Texts from conduit libraries show as text, never as markup.
TEST_F(ReportTest, NamesPathsAndCreatorsAreEscaped) {
  Add(app, Record("<b>A & \"B\"</b>", "<&\">", "C:\\a&b\\<x>.dll", 0));
  Add(sys, Record("S<&>", "", "D:\\\"q\".dll", 1));
  ASSERT_TRUE(WriteConduitReport(page.c_str(), app, sys));
  EXPECT_EQ(Head() +
                Row("FFFFFF", "&lt;b&gt;A &amp; &quot;B&quot;&lt;/b&gt;", "&lt;&amp;&quot;&gt;",
                    "C:\\a&amp;b\\&lt;x&gt;.dll", "0.0.0.0000") +
                Row("F0F0F0", "S&lt;&amp;&gt;", "0x1", "D:\\&quot;q&quot;.dll", "0.0.0.0000") +
                kTail,
            Text(page));
}

// The command writes into the program folder and opens the page; when the page cannot be
// written it says nothing, opens nothing and leaves an earlier page as it was.
TEST_F(ReportTest, CommandOpensThePageOnlyWhenWritten) {
  Add(app, Record("Address Book", "addr", conduits + "addrcond.dll", 0x61646472));
  EXPECT_TRUE(ShowConduitReport(app, sys));
  EXPECT_EQ(std::vector<std::string>{page}, opened);
  const std::string first = Text(page);
  EXPECT_NE(std::string::npos, first.find("Address Book"));

  opened.clear();
  kx::SetWriteFailureAfter(100);
  EXPECT_FALSE(ShowConduitReport(app, sys));
  kx::SetWriteFailureAfter(-1);
  EXPECT_EQ(first, Text(page));

  SetProgramFolderOverride(dir.file("no such folder\\").c_str());
  EXPECT_FALSE(ShowConduitReport(app, sys));
  EXPECT_TRUE(opened.empty());
}

}  // namespace
