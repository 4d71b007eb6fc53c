// The check page condcheck.html read back: its summary, the conduits in trouble before those in
// order, each with its cause, and every text from a library or a registration escaped.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ConduitCheck.h"
#include "format/CxList.h"
#include "format/KxText.h"
#include "format/RemovedStore.h"
#include "PalmTest.h"
#include "palm/CondMgr.h"
#include "TestSupport.h"

namespace {

using ptest::Conduit;

CondInfo* Record(const char* name, const char* creator, const std::string& path) {
  auto* r = new CondInfo{};
  kx::CopyText(r->szName, name);
  kx::CopyText(r->szCreatorID, creator);
  kx::CopyText(r->szConduit, path.c_str());
  r->dwCreatorID = static_cast<uint32_t>(creator[0]) << 24 |
                   static_cast<uint32_t>(creator[1]) << 16 |
                   static_cast<uint32_t>(creator[2]) << 8 | static_cast<uint32_t>(creator[3]);
  r->nPriority = 2;
  r->nStatus = kStatusInstalled;
  r->nOrigin = kOriginRegistered;
  return r;
}

std::string ReadPage(const std::string& path) {
  const std::vector<unsigned char> bytes = ktest::ReadBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

std::string SummaryItem(const char* label, const std::string& value) {
  return std::string("<td width=240>") + label + "</td>\r\n<td width=*>" + value + "</td></tr>\r\n";
}

class CheckPageTest : public ptest::PalmTest {
 protected:
  void TearDown() override {
    ClearCondList(removed);
    ptest::PalmTest::TearDown();
  }
  // The page, written and read back.
  std::string Write() {
    const std::string path = dir.file("condcheck.html");
    ConduitCheck check(app, sys, removed);
    EXPECT_TRUE(check.WritePage(path.c_str()));
    return ReadPage(path);
  }

  ktest::TempDir dir{"checkpage"};
  CCondMgr app, sys;
  CxList removed;
};

TEST_F(CheckPageTest, SummaryThenTroubleThenTheRest) {
  ASSERT_TRUE(app.Add(Record("Address <Book> & \"Co\"", "addr", Conduit("addrcond.dll"))));
  ASSERT_TRUE(app.Add(Record("Needs A Runtime", "Need", Conduit("needgone.dll"))));
  ASSERT_TRUE(app.Add(Record("Not A Conduit", "NoCd", Conduit("nocond.dll"))));
  ASSERT_TRUE(app.Add(Record("Memo One", "memo", Conduit("memocond.dll"))));
  ASSERT_TRUE(app.Add(Record("Memo Two", "memo", Conduit("todocond.dll"))));
  ASSERT_TRUE(app.Add(Record("Gone", "Gone", Conduit("nofolder\\gone.dll"))));
  ASSERT_TRUE(sys.Add(Record("Backup", "back", Conduit("addrcond.dll"))));
  // Removed: one not registered (counted), one registered again (a row of the catalogue only).
  ASSERT_TRUE(removed.Add(Record("Date Book", "date", Conduit("datecond.dll"))));
  ASSERT_TRUE(removed.Add(Record("Needs A Runtime", "Need", Conduit("needgone.dll"))));

  const std::string page = Write();
  ASSERT_FALSE(page.empty());
  EXPECT_EQ(page.rfind("<html><head><title>Conduit Check</title></head>\r\n\r\n", 0), 0u);
  EXPECT_NE(page.find(SummaryItem("Palm Desktop folder", ktest::PalmFolder())), std::string::npos)
      << page.substr(0, 1200);
  EXPECT_NE(page.find(SummaryItem("Conduit Manager (condmgr.dll) version", "6.0.1.0003")),
            std::string::npos);
  EXPECT_NE(page.find(SummaryItem("HotSync Manager (hotsync.exe)", "in the Palm Desktop folder")),
            std::string::npos);
  EXPECT_NE(page.find(SummaryItem("Application conduits registered", "6")), std::string::npos);
  EXPECT_NE(page.find(SummaryItem("System conduits", "1")), std::string::npos);
  EXPECT_NE(page.find(SummaryItem("Conduits uninstalled by Kestrin", "1")), std::string::npos);
  // needgone, nocond, the two memo records, the missing folder.
  EXPECT_NE(page.find(SummaryItem("Conduits in trouble", "5")), std::string::npos);
  EXPECT_EQ(page.find("No problems found."), std::string::npos);

  const size_t trouble = page.find("<b>Conduits in trouble</b>");
  const size_t fine = page.find("<b>Conduits in order</b>");
  ASSERT_NE(trouble, std::string::npos);
  ASSERT_NE(fine, std::string::npos);
  ASSERT_LT(trouble, fine);
  struct Expect {
    const char* shown;  // in the row: its cause's words, or a name
    bool inTrouble;
  } expects[] = {
      {"<font color=0000FF>Needed DLL missing</font>: ", true},
      {"kxgone.dll", true},
      {"<font color=0000FF>Not a HotSync conduit</font>: ", true},
      {"<font color=0000FF>Creator ID used twice</font>: ", true},
      {"<font color=0000FF>Library folder missing</font>: ", true},
      {"<td>Memo Two</td>", true},
      {"<font color=0000FF>In order</font>: ", false},
      {"<font color=0000FF>Uninstalled by Kestrin</font>: ", false},
      {"<td>Date Book</td>", false},
      {"<td>Backup</td>", false},
      {"Creator ID</font>: 0x6261636b<br>", false},  // a system row shows the number
  };
  for (const Expect& e : expects) {
    SCOPED_TRACE(e.shown);
    const size_t at = page.find(e.shown, trouble);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(at < fine, e.inTrouble);
  }
  // The text that tells what to do comes with the cause.
  EXPECT_NE(page.find("Install the runtime that provides kxgone.dll"), std::string::npos);
  // A registered name is text, never markup, in the row and in the sentences.
  EXPECT_NE(page.find("<td>Address &lt;Book&gt; &amp; &quot;Co&quot;</td>"), std::string::npos);
  EXPECT_EQ(page.find("<Book>"), std::string::npos);
  // Every line ends in CR LF, the page in the report's tail.
  for (size_t at = page.find('\n'); at != std::string::npos; at = page.find('\n', at + 1))
    ASSERT_EQ(page[at - 1], '\r') << at;
  const std::string tail = "</table><br></body>\r\n</html>\r\n";
  EXPECT_EQ(page.substr(page.size() - tail.size()), tail);
}

TEST_F(CheckPageTest, NoProblemsFound) {
  ASSERT_TRUE(app.Add(Record("Address Book", "addr", Conduit("addrcond.dll"))));
  ASSERT_TRUE(removed.Add(Record("Date Book", "date", Conduit("datecond.dll"))));
  const std::string page = Write();
  EXPECT_NE(page.find(SummaryItem("Conduits in trouble", "0")), std::string::npos);
  const size_t none = page.find("No problems found.");
  ASSERT_NE(none, std::string::npos);
  EXPECT_LT(none, page.find("<b>Conduits in order</b>"));
  EXPECT_NE(page.find("<td>Address Book</td>"), std::string::npos);
}

TEST_F(CheckPageTest, AnswersLastUntilCleared) {
  const std::string late = dir.file("late.dll");
  CondInfo* rec = Record("Late", "Late", late);
  ASSERT_TRUE(app.Add(rec));
  ConduitCheck check(app, sys, removed);
  EXPECT_EQ(check.Diagnose(*rec, Catalogue::Application).cause, Cause::FileMissing);
  ASSERT_TRUE(CopyFileA(Conduit("addrcond.dll").c_str(), late.c_str(), FALSE));
  EXPECT_EQ(check.Diagnose(*rec, Catalogue::Application).cause, Cause::FileMissing);
  EXPECT_EQ(check.Summarize().inTrouble, 1);
  check.Clear();
  EXPECT_EQ(check.Diagnose(*rec, Catalogue::Application).cause, Cause::Healthy);
}

}  // namespace
