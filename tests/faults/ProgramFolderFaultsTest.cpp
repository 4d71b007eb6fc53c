// A program folder the program cannot write: every save fails without a crash, the files that
// were there stay as they were, and nothing is said beyond what the history command always says.
//
// A read-only folder cannot be made here: Wine runs as root, which ignores the read-only
// attribute and the Unix permissions alike. It is played three ways: a folder that is not there,
// a file standing where the folder should be, and a folder whose files are readable but held
// open by another program without write sharing (the program's files can be read, not replaced).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/ConduitReport.h"
#include "core/KestrinLog.h"
#include "core/Settings.h"
#include "format/CxList.h"
#include "format/KxText.h"
#include "format/RemovedStore.h"
#include "misc/WinUtil.h"
#include "Pages.h"
#include "palm/CondMgr.h"
#include "TestSupport.h"
#include "ui/MsgBox.h"

namespace {

using Bytes = std::vector<unsigned char>;

const char kIni[] = "orlenta.ini";
const char kStore[] = "KestrinRes.dat";
const char kHistory[] = "kestrinlog.dat";
const char kPage[] = "kestrinlog.html";
const char kSet[] = "kestrinset1.bak";

// Every file the program writes into its folder.
std::vector<std::string> ProgramFileNames() {
  return {kIni, kStore, kHistory, kPage, kSet, kConduitReportFile};
}

enum class Folder { kMissing, kFileInItsPlace, kFilesHeld };

CondInfo Record(const char* creator, const std::string& path) {
  CondInfo r;
  memset(&r, 0, sizeof r);
  kx::CopyText(r.szCreatorID, creator);
  kx::CopyText(r.szConduit, path.c_str());
  kx::CopyText(r.szName, creator);
  r.nStatus = kStatusRemoved;
  r.dwFlags = kFlagRemoved;
  return r;
}

LogEntry Entry(const char* name) {
  LogEntry e;
  memset(&e, 0, sizeof e);
  kx::CopyText(e.szFile, "C:\\a.dll");
  kx::CopyText(e.szName, name);
  kx::CopyText(e.szVersion, "1.0.0.0000");
  e.tTime = 1173189909;
  e.nAction = 1;
  return e;
}

class ProgramFolderFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ktest::WriteBytes(lib, {'M', 'Z'}));
    oldAnswerer = kui::SetMessageAnswerer([this](const kui::MessageRequest& r) {
      messages.push_back(r.text);
      return IDOK;
    });
    oldOpener = SetShellOpener([this](const char* s) { opened.push_back(s); });
  }
  void TearDown() override {
    for (HANDLE h : held) CloseHandle(h);
    SetProgramFolderOverride(nullptr);
    SetShellOpener(oldOpener);
    kui::SetMessageAnswerer(oldAnswerer);
  }

  // Makes the folder of the case and gives its path with a trailing backslash.
  std::string Make(Folder kind) {
    switch (kind) {
      case Folder::kMissing:
        return dir.path() + "gone\\deeper\\";
      case Folder::kFileInItsPlace:
        EXPECT_TRUE(ktest::WriteBytes(dir.file("blocked"), {'x'}));
        return dir.path() + "blocked\\";
      case Folder::kFilesHeld: {
        const std::string f = dir.path() + "held\\";
        EXPECT_TRUE(CreateDirectoryA(f.c_str(), nullptr));
        WriteProgramFiles(f);
        for (const std::string& name : ProgramFileNames()) {
          HANDLE h = CreateFileA((f + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
          EXPECT_NE(INVALID_HANDLE_VALUE, h) << name;
          held.push_back(h);
        }
        return f;
      }
    }
    return {};
  }

  // The files a run of the program leaves, written by the program's own code.
  void WriteProgramFiles(const std::string& f) {
    AppSettings s{};
    s.nSkinType = 3;
    CxList sets;
    BakSetEntry e{};
    kx::CopyText(e.szFile, kSet);
    AddBakSet(sets, &e);
    SaveSettingsFile((f + kIni).c_str(), s, sets);
    ClearBakSets(sets);

    CxList removed;
    removed.Add(new CondInfo(Record("kept", lib)));
    EXPECT_TRUE(SaveRemovedStore((f + kStore).c_str(), removed));
    ClearCondList(removed);

    SetProgramFolderOverride(f.c_str());
    EXPECT_TRUE(log.AddEntry(Entry("Earlier")));
    SetProgramFolderOverride(nullptr);
    EXPECT_TRUE(ktest::WriteBytes(f + kPage, {'<', 'p', '>'}));
    EXPECT_TRUE(ktest::WriteBytes(f + kConduitReportFile, {'<', 'r', '>'}));

    CCondMgr mgr;
    EXPECT_TRUE(mgr.Add(new CondInfo(Record("save", lib))));
    EXPECT_TRUE(mgr.SaveToFile((f + kSet).c_str()));
  }

  ktest::TempDir dir{"faults_folder"};
  std::string lib = dir.file("present.dll");
  KestrinLog log;
  std::vector<HANDLE> held;
  std::vector<std::string> messages, opened;
  kui::MessageAnswerer oldAnswerer;
  ShellOpener oldOpener;
};

TEST_F(ProgramFolderFaults, SavesFailQuietlyAndKeepWhatWasThere) {
  struct Case {
    const char* what;
    Folder kind;
  };
  const Case cases[] = {
      {"a folder that is not there", Folder::kMissing},
      {"a file where the folder should be", Folder::kFileInItsPlace},
      {"files held by another program", Folder::kFilesHeld},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    messages.clear();
    opened.clear();
    const std::string f = Make(c.kind);
    const bool readable = c.kind == Folder::kFilesHeld;
    std::vector<Bytes> before;
    for (const std::string& name : ProgramFileNames()) before.push_back(ktest::ReadBytes(f + name));

    // Settings: read when they are there, the save at the end is lost without a word.
    AppSettings s{};
    CxList sets;
    LoadSettingsFile((f + kIni).c_str(), s, sets);
    EXPECT_EQ(readable ? 3u : 0u, s.nSkinType);
    EXPECT_EQ(readable ? 1u : 0u, sets.GetCount());
    s.nSkinType = 4;
    BakSetEntry e{};
    kx::CopyText(e.szFile, "kestrinset2.bak");
    AddBakSet(sets, &e);
    SaveSettingsFile((f + kIni).c_str(), s, sets);
    ClearBakSets(sets);

    // The removed-conduit store: read, and its save refused.
    CxList removed;
    EXPECT_EQ(readable, LoadRemovedStore((f + kStore).c_str(), removed));
    EXPECT_EQ(readable ? 1u : 0u, removed.GetCount());
    removed.Add(new CondInfo(Record("more", lib)));
    EXPECT_FALSE(SaveRemovedStore((f + kStore).c_str(), removed));
    EXPECT_EQ(2u - (readable ? 0u : 1u), removed.GetCount()) << "the list in memory stays";
    ClearCondList(removed);

    // A backup set: read, and a new backup refused.
    CCondMgr mgr;
    EXPECT_EQ(readable, mgr.LoadFromFile((f + kSet).c_str()));
    EXPECT_TRUE(mgr.Add(new CondInfo(Record("late", lib))));
    EXPECT_FALSE(mgr.SaveToFile((f + kSet).c_str()));

    // The history: the append is refused; the history command says what it always says.
    SetProgramFolderOverride(f.c_str());
    EXPECT_FALSE(log.AddEntry(Entry("Later")));
    EXPECT_FALSE(ShowHistory(log));
    CCondMgr app, sys;
    EXPECT_FALSE(ShowConduitReport(app, sys));
    SetProgramFolderOverride(nullptr);
    const std::string said = readable ? "Could not create the file \"" + f + kPage + "\"."
                                      : "No conduit log data found.";
    EXPECT_EQ(std::vector<std::string>{said}, messages);
    EXPECT_TRUE(opened.empty());

    size_t i = 0;
    for (const std::string& name : ProgramFileNames()) {
      EXPECT_EQ(before[i++], ktest::ReadBytes(f + name)) << name << " is as it was";
      EXPECT_FALSE(ktest::HasTempLeftover(f + name))
          << "no half-written " << name << " is left behind";
    }
  }
}

}  // namespace
