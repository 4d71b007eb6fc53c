#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/KestrinLog.h"
#include "format/KxClock.h"
#include "format/KxSafeFile.h"
#include "misc/WinUtil.h"
#include "Pages.h"
#include "RuntimeZone.h"
#include "TestSupport.h"
#include "ui/MsgBox.h"

namespace {

using Bytes = std::vector<unsigned char>;

const time_t kNow = 1173189909;  // the clock of every test here

Bytes LE(int v) {
  const unsigned u = static_cast<unsigned>(v);
  return {static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8),
          static_cast<unsigned char>(u >> 16), static_cast<unsigned char>(u >> 24)};
}

Bytes Str(const std::string& s) {
  Bytes b(4 + s.size());
  const Bytes n = LE(static_cast<int>(s.size()));
  std::copy(n.begin(), n.end(), b.begin());
  std::copy(s.begin(), s.end(), b.begin() + 4);
  return b;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

LogEntry Entry(const std::string& file, const std::string& name, const std::string& version,
               time_t t, int action) {
  LogEntry e;
  memset(&e, 0, sizeof e);
  snprintf(e.szFile, sizeof e.szFile, "%s", file.c_str());
  snprintf(e.szName, sizeof e.szName, "%s", name.c_str());
  snprintf(e.szVersion, sizeof e.szVersion, "%s", version.c_str());
  e.tTime = static_cast<int>(t);
  e.nAction = action;
  return e;
}

Bytes EntryBytes(const LogEntry& e) {
  return Cat({Str(e.szFile), Str(e.szName), Str(e.szVersion), LE(e.tTime), LE(e.nAction)});
}

std::string Stamp(time_t t) {
  char buf[kx::kTimeStampSize];
  return kx::LocalTimeStamp(t, buf, sizeof buf);
}

std::string Words(int action) {
  switch (action) {
    case 1: return "Installed Successfully";
    case 2: return "Uninstalled Successfully";
    case 3: return "Restored Successfully";
    default: return "Unknown Action (" + std::to_string(action) + ")";
  }
}

// The page as it must be, with the texts inserted as given (callers pass plain texts).
std::string Page(const std::vector<LogEntry>& entries) {
  std::string s =
      "<html><head><title>Kestrin Log</title></head>\r\n\r\n"
      "<body style=\"font-family:Verdana; font-size:9pt\">\r\n"
      "<font size=3 color=#000080><b>Conduit Install/Uninstall History</b> </font><font size=1><i>(" +
      Stamp(kNow) +
      ")</i></font><br><br>\r\n"
      "<table border=0 cellpadding=0 cellspacing=1 bgcolor=#C0C0C0 style=\"font-family:verdana; font-size:10pt\">\r\n"
      "<tr bgcolor=#F0F0FF height=22 colspan=2 align=center>\r\n"
      "<td width=240><b>Conduit Name</b></td>\r\n"
      "<td width=*><b>Detail Information</b></td></tr>\r\n";
  for (const LogEntry& e : entries) {
    if (e.nAction == 0) continue;
    s += "<tr bgcolor=#FFFFFF height=18 colspan=2 align=left style=\"padding-left:12; padding-right:12; padding-top:8; padding-bottom:8\">\r\n";
    s += "<td>" + std::string(e.szName) + "</td>\r\n";
    s += "<td><font color=0000FF>File Name</font>: " + std::string(e.szFile) + "<br><br>\r\n";
    s += "<font color=0000FF>File Version</font>: " + std::string(e.szVersion) + "<br><br>\r\n";
    s += "<b><font color=0000FF>" + Stamp(e.tTime) + "</font>: " + Words(e.nAction) +
         "</b></td></tr>\r\n";
  }
  s += "</table><br></body>\r\n</html>\r\n";
  return s;
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class HistoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetProgramFolderOverride(dir.path().c_str());
    kx::SetClockOverride(kNow);
    oldAnswerer = kui::SetMessageAnswerer([this](const kui::MessageRequest& r) {
      messages.push_back(r);
      return IDOK;
    });
    oldOpener = SetShellOpener([this](const char* s) { opened.push_back(s); });
  }
  void TearDown() override {
    kx::SetWriteFailureAfter(-1);
    kx::SetFileStepFailure(0);
    SetShellOpener(oldOpener);
    kui::SetMessageAnswerer(oldAnswerer);
    kx::ClearClockOverride();
    SetProgramFolderOverride(nullptr);
  }

  std::string Dat() const { return dir.file("kestrinlog.dat"); }
  std::string Html() const { return dir.file("kestrinlog.html"); }
  std::string PageText() const {
    const Bytes b = ktest::ReadBytes(Html());
    return std::string(b.begin(), b.end());
  }
  void AddAll(const std::vector<LogEntry>& entries) {
    for (const LogEntry& e : entries) ASSERT_TRUE(log.AddEntry(e));
  }

  ktest::TempDir dir{"history"};
  KestrinLog log;
  std::vector<kui::MessageRequest> messages;
  std::vector<std::string> opened;
  kui::MessageAnswerer oldAnswerer;
  ShellOpener oldOpener;
};

TEST_F(HistoryTest, EntriesAreAppendedAfterTheCount) {
  ASSERT_TRUE(log.AddEntry(Entry("C:\\a.dll", "A", "1.0.0.0000", 258, 1)));
  const Bytes first = {0x01, 0x00, 0x00, 0x00,                                     // count
                       0x08, 0x00, 0x00, 0x00, 'C', ':', '\\', 'a', '.', 'd', 'l', 'l',  // file
                       0x01, 0x00, 0x00, 0x00, 'A',                                // name
                       0x0A, 0x00, 0x00, 0x00, '1', '.', '0', '.', '0', '.', '0', '0', '0', '0',
                       0x02, 0x01, 0x00, 0x00,   // time 258
                       0x01, 0x00, 0x00, 0x00};  // action
  EXPECT_EQ(ktest::ReadBytes(Dat()), first);

  const LogEntry second = Entry("D:\\b\\c.dll", "Bee", "", 1000, 2);
  ASSERT_TRUE(log.AddEntry(second));
  Bytes expected = first;
  expected[0] = 2;
  const Bytes tail = EntryBytes(second);
  expected.insert(expected.end(), tail.begin(), tail.end());
  EXPECT_EQ(ktest::ReadBytes(Dat()), expected);
  EXPECT_TRUE(messages.empty());
}

TEST_F(HistoryTest, PageShowsTheEntriesOldestFirst) {
  const std::vector<LogEntry> entries = {
      Entry("C:\\Palm\\date.dll", "Date Book", "4.1.0.0023", kNow - 200 * 86400, 1),
      Entry("C:\\Palm\\none.dll", "Counted only", "1.0.0.0000", kNow - 100, 0),
      Entry("C:\\Palm\\memo.dll", "Memo Pad", "", kNow - 50, 2),
      Entry("C:\\Palm\\date.dll", "Date Book", "4.1.0.0023", kNow - 10, 3),
      Entry("C:\\odd.dll", "Odd", "0.0.0.0000", kNow, 7),
  };
  AddAll(entries);
  EXPECT_EQ(Bytes(ktest::ReadBytes(Dat())).at(0), 5) << "the entry with action 0 is counted";

  ASSERT_TRUE(ShowHistory(log));
  const std::string page = PageText();
  EXPECT_EQ(page, Page(entries));
  EXPECT_EQ(page.find("Counted only"), std::string::npos);
  EXPECT_NE(page.find("<font color=0000FF>File Version</font>: <br><br>\r\n"), std::string::npos);
  EXPECT_EQ(opened, std::vector<std::string>{Html()});
  EXPECT_TRUE(messages.empty());

  // An earlier page is replaced, not added to.
  ASSERT_TRUE(ShowHistory(log));
  EXPECT_EQ(PageText(), Page(entries));
}

// The page converts one second per end of each 15-minute slot of UTC; around a change of the
// offset its stamps must still be the runtime's, second for second.
TEST_F(HistoryTest, PageStampsAcrossDaylightSavingChanges) {
  struct Zone {
    const char* tz;
    bool bInsideSlot;  // the changes fall inside a slot, not at its start
  };
  const Zone zones[] = {{"PST8PDT", false}, {"XST8:07:30XDT", true}};
  const time_t from = 1167609600, to = 1199145600;  // the year 2007
  for (const Zone& z : zones) {
    SCOPED_TRACE(z.tz);
    RuntimeZone zone(z.tz);
    const std::vector<time_t> changes = RuntimeZone::Changes(from, to);
    // CI's own zone has no change: the test must not pass there without testing anything.
    ASSERT_EQ(changes.size(), 2u) << "the zone in effect does not change its offset in 2007";
    std::vector<LogEntry> entries;
    for (time_t c : changes) {
      ASSERT_NE(RuntimeZone::Offset(c - 1), RuntimeZone::Offset(c));
      EXPECT_EQ(c % 900 != 0, z.bInsideSlot);
      const time_t slot = c - c % 900;
      const time_t times[] = {slot - 901, slot - 900, slot - 1, slot,  slot + 1,   c - 1,
                              c,          c + 1,      slot + 899, slot + 900, c + 900, c + 3600};
      for (time_t t : times) entries.push_back(Entry("C:\\t.dll", "T", "1.0.0.0000", t, 1));
    }
    remove(Dat().c_str());
    AddAll(entries);
    ASSERT_TRUE(ShowHistory(log));
    EXPECT_EQ(PageText(), Page(entries));
  }
}

TEST_F(HistoryTest, EmptyHistoryGivesHeadAndTailOnly) {
  ASSERT_TRUE(ktest::WriteBytes(Dat(), LE(0)));
  ASSERT_TRUE(ShowHistory(log));
  EXPECT_EQ(PageText(), Page({}));
}

TEST_F(HistoryTest, LongNameIsStoredAndShownAs31Characters) {
  const std::string name40 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd";
  LogEntry filled;
  KestrinLog::FillEntry(filled, "C:\\gone\\long.dll", name40.c_str(), 1);
  // A caller that filled the whole field and left no terminator.
  LogEntry unterminated = Entry("C:\\gone\\long.dll", "", "0.0.0.0000", kNow, 1);
  memcpy(unterminated.szName, name40.data(), sizeof unterminated.szName);

  for (const LogEntry* e : {&filled, &unterminated}) {
    remove(Dat().c_str());
    ASSERT_TRUE(log.AddEntry(*e));
    const LogEntry cut = Entry("C:\\gone\\long.dll", name40.substr(0, 31), "0.0.0.0000", kNow, 1);
    EXPECT_EQ(ktest::ReadBytes(Dat()), Cat({LE(1), EntryBytes(cut)}));
    ASSERT_TRUE(ShowHistory(log));
    EXPECT_EQ(PageText(), Page({cut}));
  }
}

TEST_F(HistoryTest, InsertedTextsAreEscaped) {
  ASSERT_TRUE(log.AddEntry(Entry("C:\\a&b\\<x>.dll", "<script>&\"x\"", "1\"2<3>&", kNow, 1)));
  ASSERT_TRUE(ShowHistory(log));
  const std::string page = PageText();
  EXPECT_NE(page.find("<td>&lt;script&gt;&amp;&quot;x&quot;</td>\r\n"), std::string::npos) << page;
  EXPECT_NE(page.find("File Name</font>: C:\\a&amp;b\\&lt;x&gt;.dll<br><br>\r\n"), std::string::npos);
  EXPECT_NE(page.find("File Version</font>: 1&quot;2&lt;3&gt;&amp;<br><br>\r\n"), std::string::npos);
  EXPECT_EQ(page.find("<script>"), std::string::npos);
  // Only the page is escaped: the history keeps the text as given.
  const Bytes dat = ktest::ReadBytes(Dat());
  const std::string raw = "<script>&\"x\"";
  EXPECT_NE(std::search(dat.begin(), dat.end(), raw.begin(), raw.end()), dat.end());
}

TEST_F(HistoryTest, HistoryCutAtAnyByteShowsTheWholeEntries) {
  const std::vector<LogEntry> entries = {
      Entry("C:\\one.dll", "One", "1.0.0.0001", kNow - 30, 1),
      Entry("C:\\two.dll", "Two", "", kNow - 20, 2),
      Entry("C:\\three.dll", "Three", "3.0.0.0003", kNow - 10, 3),
  };
  AddAll(entries);
  const Bytes full = ktest::ReadBytes(Dat());
  std::vector<size_t> ends;
  size_t end = 4;
  for (const LogEntry& e : entries) ends.push_back(end += EntryBytes(e).size());
  ASSERT_EQ(ends.back(), full.size());

  // The count keeps saying 3 while the entries run out. The next entry goes right after the
  // last whole one, the torn rest is cut away and the count says what is there.
  const LogEntry next = Entry("C:\\next.dll", "Next", "4.0.0.0004", kNow, 1);
  for (size_t len = 0; len <= full.size(); ++len) {
    SCOPED_TRACE("length " + std::to_string(len));
    ASSERT_TRUE(ktest::WriteBytes(Dat(), Bytes(full.begin(), full.begin() + len)));
    opened.clear();
    ASSERT_TRUE(ShowHistory(log));
    std::vector<LogEntry> whole;
    for (size_t i = 0; i < entries.size() && ends[i] <= len; ++i) whole.push_back(entries[i]);
    EXPECT_EQ(PageText(), Page(whole));
    EXPECT_EQ(opened.size(), 1u);

    ASSERT_TRUE(log.AddEntry(next));
    Bytes expected = LE(static_cast<int>(whole.size()) + 1);
    for (const LogEntry& e : whole) expected = Cat({expected, EntryBytes(e)});
    EXPECT_EQ(ktest::ReadBytes(Dat()), Cat({expected, EntryBytes(next)}));
    whole.push_back(next);
    ASSERT_TRUE(ShowHistory(log));
    EXPECT_EQ(PageText(), Page(whole));
  }
  EXPECT_TRUE(messages.empty());
}

// Whatever the count says, an append counts the whole entries found and adds its own.
TEST_F(HistoryTest, AppendMendsTheCountToTheWholeEntries) {
  const LogEntry a = Entry("C:\\a.dll", "A", "1.0.0.0000", kNow - 9, 1);
  const LogEntry b = Entry("C:\\b.dll", "B", "2.0.0.0000", kNow - 5, 2);
  const LogEntry next = Entry("C:\\next.dll", "Next", "3.0.0.0000", kNow, 3);
  struct Case {
    const char* name;
    Bytes bytes;
    std::vector<LogEntry> whole;
  };
  const Case cases[] = {
      {"an entry written before the process ended, its count not raised",
       Cat({LE(1), EntryBytes(a), EntryBytes(b)}), {a, b}},
      {"a negative count", Cat({LE(-1), EntryBytes(a)}), {a}},
      {"a negative count of an empty history", LE(-7), {}},
      {"a count that promises more than the file holds",
       Cat({LE(5), EntryBytes(a), EntryBytes(b)}), {a, b}},
      {"a count at its largest", Cat({LE(0x7FFFFFFF), EntryBytes(a)}), {a}},
      {"a negative text length ends the whole entries",
       Cat({LE(3), EntryBytes(a), Str("C:\\x.dll"), LE(-5), EntryBytes(b)}), {a}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(ktest::WriteBytes(Dat(), c.bytes));
    ASSERT_TRUE(log.AddEntry(next));
    Bytes expected = LE(static_cast<int>(c.whole.size()) + 1);
    for (const LogEntry& e : c.whole) expected = Cat({expected, EntryBytes(e)});
    EXPECT_EQ(ktest::ReadBytes(Dat()), Cat({expected, EntryBytes(next)}));
    std::vector<LogEntry> rows = c.whole;
    rows.push_back(next);
    ASSERT_TRUE(ShowHistory(log));
    EXPECT_EQ(PageText(), Page(rows));
  }
}

// A cut or a flush to disk that fails fails the append; the history keeps its whole entries
// and its count.
TEST_F(HistoryTest, FailedCutOrFlushFailsTheAppend) {
  const LogEntry a = Entry("C:\\a.dll", "A", "1.0.0.0000", kNow - 9, 1);
  const LogEntry next = Entry("C:\\next.dll", "Next", "3.0.0.0000", kNow, 3);
  const Bytes whole = Cat({LE(1), EntryBytes(a)});
  const Bytes torn = Cat({whole, Str("C:\\torn.dll"), LE(4)});
  struct Case {
    const char* name;
    Bytes bytes;
    int failingStep;  // the calls are the cut (when there is a tail), the entry's flush, the count's
    Bytes after;
  };
  const Case cases[] = {
      {"the cut of a torn tail", torn, 1, torn},
      {"the entry's flush after a cut", torn, 2, whole},
      {"the count's flush after a cut", torn, 3, whole},
      {"the entry's flush", whole, 1, whole},
      {"the count's flush", whole, 2, whole},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(ktest::WriteBytes(Dat(), c.bytes));
    kx::SetFileStepFailure(c.failingStep);
    EXPECT_FALSE(log.AddEntry(next));
    kx::SetFileStepFailure(0);
    EXPECT_EQ(ktest::ReadBytes(Dat()), c.after);
    ASSERT_TRUE(log.AddEntry(next));
    EXPECT_EQ(ktest::ReadBytes(Dat()), Cat({LE(2), EntryBytes(a), EntryBytes(next)}));
  }
  // A new history whose first flush fails leaves none.
  ASSERT_EQ(remove(Dat().c_str()), 0);
  kx::SetFileStepFailure(1);
  EXPECT_FALSE(log.AddEntry(next));
  kx::SetFileStepFailure(0);
  EXPECT_FALSE(Exists(Dat()));
  EXPECT_TRUE(messages.empty());
}

TEST_F(HistoryTest, DamagedHistoriesAreReadWithinTheirFields) {
  const LogEntry b = Entry("C:\\b.dll", "B", "2.0.0.0000", kNow - 5, 2);
  const LogEntry c = Entry("C:\\c.dll", "C", "3.0.0.0000", kNow - 1, 3);
  const std::string longFile(300, 'F'), longName(40, 'N'), longVersion(40, 'V');
  const LogEntry longCut =
      Entry(longFile.substr(0, 259), longName.substr(0, 31), longVersion.substr(0, 31), kNow - 9, 1);
  struct Case {
    const char* name;
    Bytes bytes;
    std::vector<LogEntry> rows;
  };
  const Case cases[] = {
      {"texts longer than their fields are cut and the next value read from its place",
       Cat({LE(2), Str(longFile), Str(longName), Str(longVersion), LE(kNow - 9), LE(1),
            EntryBytes(b)}),
       {longCut, b}},
      {"a negative text length ends the walk",
       Cat({LE(3), EntryBytes(b), Str("C:\\x.dll"), LE(-5), EntryBytes(c)}),
       {b}},
      {"a count below the entries present shows only the counted ones",
       Cat({LE(1), EntryBytes(b), EntryBytes(c)}),
       {b}},
      {"a negative count shows nothing", Cat({LE(-1), EntryBytes(b)}), {}},
      {"a file too short for its count", Bytes{1, 0}, {}},
  };
  for (const Case& c2 : cases) {
    SCOPED_TRACE(c2.name);
    ASSERT_TRUE(ktest::WriteBytes(Dat(), c2.bytes));
    ASSERT_TRUE(ShowHistory(log));
    EXPECT_EQ(PageText(), Page(c2.rows));
  }
}

// The stream and the pieces read the same entries and stop at the same damage, whatever the
// count says; a text that runs past the end of the file is not whole.
TEST_F(HistoryTest, BothWaysInReadTheSameEntries) {
  const LogEntry a = Entry("C:\\a.dll", "A", "1.0.0.0000", kNow - 9, 1);
  const LogEntry empty = Entry("", "", "", 0, 0);
  const std::string longFile(300, 'F');
  const LogEntry longCut = Entry(longFile.substr(0, 259), "L", "", kNow, 2);
  struct Case {
    const char* name;
    Bytes bytes;
    std::vector<LogEntry> entries;
  };
  const Case cases[] = {
      {"empty texts after full ones", Cat({LE(0), EntryBytes(a), EntryBytes(empty)}), {a, empty}},
      {"a text longer than its field", Cat({LE(9), Str(longFile), Str("L"), Str(""), LE(kNow), LE(2),
                                            EntryBytes(a)}),
       {longCut, a}},
      {"a text that runs past the end", Cat({LE(2), EntryBytes(a), LE(1000), Bytes(20, 'x')}), {a}},
      {"a text whose cut rest runs past the end", Cat({LE(2), EntryBytes(a), LE(300), Bytes(280, 'y')}),
       {a}},
      {"a negative text length", Cat({LE(2), EntryBytes(a), Str("x"), LE(-1), EntryBytes(a)}), {a}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(ktest::WriteBytes(Dat(), c.bytes));
    for (int way = 0; way < 2; ++way) {
      SCOPED_TRACE(way == 0 ? "through the stream" : "in pieces");
      CxFile file;
      ASSERT_TRUE(file.Open(Dat().c_str(), "rb"));
      ASSERT_EQ(fseek(file.m_fp, 4, SEEK_SET), 0);
      HistoryReader reader(file.m_fp);
      std::vector<LogEntry> got;
      LogEntry e;
      memset(&e, 0x5A, sizeof e);
      while (way == 0 ? ReadHistoryEntry(file, &e) : reader.Next(&e)) got.push_back(e);
      ASSERT_EQ(got.size(), c.entries.size());
      for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_STREQ(got[i].szFile, c.entries[i].szFile);
        EXPECT_STREQ(got[i].szName, c.entries[i].szName);
        EXPECT_STREQ(got[i].szVersion, c.entries[i].szVersion);
        EXPECT_EQ(got[i].tTime, c.entries[i].tTime);
        EXPECT_EQ(got[i].nAction, c.entries[i].nAction);
      }
    }
  }
}

TEST_F(HistoryTest, MissingHistoryIsReportedAndNoPageWritten) {
  EXPECT_FALSE(ShowHistory(log));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].owner, nullptr);
  EXPECT_EQ(messages[0].text, "No conduit log data found.");
  EXPECT_EQ(messages[0].caption, "Error");
  EXPECT_EQ(messages[0].icon, static_cast<UINT>(MB_ICONINFORMATION));
  EXPECT_EQ(messages[0].buttons, static_cast<UINT>(MB_OK));
  EXPECT_FALSE(Exists(Html()));
  EXPECT_TRUE(opened.empty());
}

TEST_F(HistoryTest, PageThatCannotBeCreatedIsReportedByName) {
  const LogEntry a = Entry("C:\\a.dll", "A", "1.0.0.0000", kNow, 1);
  ASSERT_TRUE(log.AddEntry(a));
  ASSERT_TRUE(CreateDirectoryA(Html().c_str(), nullptr));

  EXPECT_FALSE(ShowHistory(log));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].owner, nullptr);
  EXPECT_EQ(messages[0].text, "Could not create the file \"" + Html() + "\".");
  EXPECT_EQ(messages[0].caption, "Error");
  EXPECT_EQ(messages[0].icon, static_cast<UINT>(MB_ICONERROR));
  EXPECT_EQ(messages[0].buttons, static_cast<UINT>(MB_OK));
  EXPECT_TRUE(opened.empty());

  // The history was let go: it takes entries and shows them once the way is clear.
  const LogEntry b = Entry("C:\\b.dll", "B", "1.0.0.0000", kNow, 2);
  ASSERT_TRUE(log.AddEntry(b));
  ASSERT_TRUE(RemoveDirectoryA(Html().c_str()));
  ASSERT_TRUE(ShowHistory(log));
  EXPECT_EQ(PageText(), Page({a, b}));
}

TEST_F(HistoryTest, AddEntryFailsSilentlyWhereItCannotWrite) {
  const LogEntry a = Entry("C:\\a.dll", "A", "1.0.0.0000", kNow, 1);

  // A directory in the history's place is neither opened nor replaced.
  ASSERT_TRUE(CreateDirectoryA(Dat().c_str(), nullptr));
  EXPECT_FALSE(log.AddEntry(a));
  EXPECT_TRUE(GetFileAttributesA(Dat().c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  ASSERT_TRUE(RemoveDirectoryA(Dat().c_str()));

  // A program folder that is not there.
  SetProgramFolderOverride((dir.path() + "missing\\").c_str());
  EXPECT_FALSE(log.AddEntry(a));
  EXPECT_FALSE(Exists(dir.file("missing")));

  EXPECT_TRUE(messages.empty());
}

// A full disk at every byte of an append: the history stays as it was, so every earlier entry
// stays readable.
TEST_F(HistoryTest, FailedAppendLeavesTheHistoryAsItWas) {
  const LogEntry a = Entry("C:\\a.dll", "A", "1.0.0.0000", kNow - 1, 1);
  const LogEntry b = Entry("C:\\b.dll", "B", "2.0.0.0000", kNow, 2);
  const long entryBytes = static_cast<long>(EntryBytes(b).size());

  // An existing history takes the entry and then its new count.
  ASSERT_TRUE(log.AddEntry(a));
  const Bytes before = ktest::ReadBytes(Dat());
  for (long k = 0; k < entryBytes + 4; ++k) {
    SCOPED_TRACE("existing history, bytes before the failure: " + std::to_string(k));
    kx::SetWriteFailureAfter(k);
    EXPECT_FALSE(log.AddEntry(b));
    kx::SetWriteFailureAfter(-1);
    EXPECT_EQ(ktest::ReadBytes(Dat()), before);
  }
  kx::SetWriteFailureAfter(entryBytes + 4);
  EXPECT_TRUE(log.AddEntry(b)) << "every byte of an append is covered above";
  kx::SetWriteFailureAfter(-1);
  ASSERT_TRUE(ShowHistory(log));
  EXPECT_EQ(PageText(), Page({a, b}));

  // A new history first writes a count of 0; a failed first entry leaves no file behind.
  ASSERT_EQ(remove(Dat().c_str()), 0);
  for (long k = 0; k < 4 + entryBytes + 4; ++k) {
    SCOPED_TRACE("new history, bytes before the failure: " + std::to_string(k));
    kx::SetWriteFailureAfter(k);
    EXPECT_FALSE(log.AddEntry(b));
    kx::SetWriteFailureAfter(-1);
    EXPECT_FALSE(Exists(Dat()));
  }
  EXPECT_TRUE(messages.empty());
}

TEST_F(HistoryTest, FillEntryRecordsTheLibraryAsItIsNow) {
  struct Case {
    std::string file;
    const char* name;
    const char* version;
  };
  const Case cases[] = {
      {ktest::ExeFolder() + "histver.dll", "Versioned", "2.5.0.0007"},
      {ktest::ExeFolder() + "test_history.exe", "No version record", "0.0.0.0000"},
      {dir.file("gone.dll"), "Gone", "0.0.0.0000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    LogEntry e;
    memset(&e, 0x5A, sizeof e);
    KestrinLog::FillEntry(e, c.file.c_str(), c.name, 3);
    EXPECT_STREQ(e.szFile, c.file.c_str());
    EXPECT_STREQ(e.szName, c.name);
    EXPECT_STREQ(e.szVersion, c.version);
    EXPECT_EQ(e.tTime, kNow);
    EXPECT_EQ(e.nAction, 3);
  }
}

}  // namespace
