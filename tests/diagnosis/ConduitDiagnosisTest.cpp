// The diagnosis over the sample libraries: each yields its cause and names the right file, DLL
// and function; the healthy ones yield no problem.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "core/ConduitDiagnosis.h"
#include "format/KxText.h"
#include "PalmTest.h"
#include "palm/CondMgr.h"
#include "palm/SafeLoad.h"
#include "TestSupport.h"

namespace {

using ptest::Conduit;

CondInfo Record(const std::string& path, const char* creator = "Diag") {
  CondInfo r;
  memset(&r, 0, sizeof r);
  r.dwCreatorID = static_cast<uint32_t>(creator[0]) << 24 | static_cast<uint32_t>(creator[1]) << 16 |
                  static_cast<uint32_t>(creator[2]) << 8 | static_cast<uint32_t>(creator[3]);
  kx::CopyText(r.szCreatorID, creator);
  kx::CopyText(r.szConduit, path.c_str());
  kx::CopyText(r.szDirectory, "DiagData");
  kx::CopyText(r.szName, "Diagnosed");
  r.nPriority = 3;
  r.nStatus = kStatusInstalled;
  r.nOrigin = kOriginRegistered;
  return r;
}

// A drive letter no drive has.
std::string NoDrive() {
  for (char c = 'Q'; c <= 'Y'; ++c) {
    const char root[] = {c, ':', '\\', 0};
    if (GetDriveTypeA(root) == DRIVE_NO_ROOT_DIR) return std::string(1, c) + ":";
  }
  return std::string();
}

class DiagnosisTest : public ptest::PalmTest {};

TEST_F(DiagnosisTest, EverySampleYieldsItsCause) {
  const std::string folder = ktest::ConduitsFolder();
  const std::string drive = NoDrive();
  ASSERT_FALSE(drive.empty());
  struct Case {
    std::string path;  // as registered
    Cause cause;
    std::string file;  // named in the text and in `file`
    const char* dll;
    const char* function;
    const char* through = "";  // the DLL of the conduit's own that imports `dll`
  } cases[] = {
      {Conduit("addrcond.dll"), Cause::Healthy, Conduit("addrcond.dll"), "", ""},
      {Conduit("depcond.dll"), Cause::Healthy, Conduit("depcond.dll"), "", ""},
      {Conduit("apiset.dll"), Cause::Healthy, Conduit("apiset.dll"), "", ""},
      {Conduit("needgone.dll"), Cause::DllMissing, Conduit("needgone.dll"), "kxgone.dll", ""},
      {Conduit("needchain.dll"), Cause::DllMissing, Conduit("needchain.dll"), "kxgone.dll", "",
       "kxchain.dll"},
      {Conduit("needfunc.dll"), Cause::FunctionMissing, Conduit("needfunc.dll"), "kxlack.dll",
       "KxLackB"},
#ifdef _WIN64
      {Conduit("conduit32.dll"), Cause::Library32, Conduit("conduit32.dll"), "", ""},
#else
      {Conduit("conduit64.dll"), Cause::Library64, Conduit("conduit64.dll"), "", ""},
#endif
      {Conduit("old16.dll"), Cause::Library16, Conduit("old16.dll"), "", ""},
      {Conduit("notpe.dll"), Cause::NotLibrary, Conduit("notpe.dll"), "", ""},
      {Conduit("nocond.dll"), Cause::NoOpenConduit, Conduit("nocond.dll"), "", ""},
      {Conduit("refuse.dll"), Cause::StartRefused, Conduit("refuse.dll"), "", ""},
      {Conduit("gone.dll"), Cause::FileMissing, Conduit("gone.dll"), "", ""},
      {"nowhere-at-all.dll", Cause::FileMissing, "nowhere-at-all.dll", "", ""},
      {Conduit("nofolder\\gone.dll"), Cause::FolderMissing, Conduit("nofolder\\gone.dll"), "",
       ""},
      {drive + "\\Palm\\gone.dll", Cause::DriveMissing, drive + "\\Palm\\gone.dll", "", ""},
      {folder, Cause::NamesFolder, folder, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const CondInfo info = Record(c.path);
    DiagnosisContext ctx;
    const Diagnosis d = DiagnoseConduit(info, ctx);
    EXPECT_EQ(d.cause, c.cause) << d.text;
    EXPECT_EQ(_stricmp(d.file.c_str(), c.file.c_str()), 0) << d.file;
    EXPECT_EQ(d.dll, c.dll);
    EXPECT_EQ(d.function, c.function);
    EXPECT_EQ(d.through, c.through);
    // HotSync itself uses a 32-bit library; only this Kestrin cannot load it.
    EXPECT_EQ(d.IsProblem(), c.cause != Cause::Healthy && c.cause != Cause::Library32);
    EXPECT_EQ(d.remedy, RemedyOf(c.cause));
    // The text names what it is about and fills every blank.
    EXPECT_NE(d.text.find(d.file), std::string::npos) << d.text;
    if (c.dll[0]) {
      EXPECT_NE(d.text.find(c.dll), std::string::npos) << d.text;
    }
    if (c.through[0]) {
      EXPECT_NE(d.text.find(c.through), std::string::npos) << d.text;
    }
    if (c.function[0]) {
      EXPECT_NE(d.text.find(c.function), std::string::npos) << d.text;
    }
    EXPECT_EQ(d.text.find('{'), std::string::npos) << d.text;
  }
}

TEST_F(DiagnosisTest, MissingPlacesAreNamed) {
  const Diagnosis folder = DiagnoseConduit(Record(Conduit("nofolder\\gone.dll")), {});
  EXPECT_EQ(_stricmp(folder.place.c_str(), Conduit("nofolder").c_str()), 0) << folder.place;
  const std::string drive = NoDrive();
  const Diagnosis d = DiagnoseConduit(Record(drive + "\\Palm\\gone.dll"), {});
  EXPECT_EQ(d.place, drive);
  EXPECT_NE(d.text.find("drive " + drive), std::string::npos) << d.text;
}

TEST_F(DiagnosisTest, HealthyTextSaysWhatHotSyncWillDo) {
  CondInfo info = Record(Conduit("addrcond.dll"), "addr");
  const Diagnosis d = DiagnoseConduit(info, {});
  ASSERT_FALSE(d.IsProblem()) << d.text;
  EXPECT_NE(d.text.find("\"addr\""), std::string::npos) << d.text;
  EXPECT_NE(d.text.find("priority 3"), std::string::npos) << d.text;
  EXPECT_NE(d.text.find("\"DiagData\""), std::string::npos) << d.text;
  // A priority outside 1..5 is registered as 2.
  info.nPriority = 9;
  EXPECT_NE(DiagnoseConduit(info, {}).text.find("priority 2"), std::string::npos);
}

TEST_F(DiagnosisTest, ContextCauses) {
  // Removed: either the removed list holds it, or the record carries the flag.
  DiagnosisContext removed;
  removed.removed = true;
  EXPECT_EQ(DiagnoseConduit(Record(Conduit("addrcond.dll")), removed).cause, Cause::Removed);
  CondInfo flagged = Record(Conduit("addrcond.dll"));
  flagged.dwFlags = kFlagRemoved;
  EXPECT_EQ(DiagnoseConduit(flagged, {}).cause, Cause::Removed);

  // Two application records with the same creator ID name each other; the system catalogue is
  // not checked, and a removed record holds no creator ID.
  CCondMgr app;
  CondInfo* date = new CondInfo(Record(Conduit("datecond.dll"), "date"));
  kx::CopyText(date->szName, "Date Book");
  CondInfo* other = new CondInfo(Record(Conduit("addrcond.dll"), "date"));
  kx::CopyText(other->szName, "Second Date");
  ASSERT_TRUE(app.Add(date));
  ASSERT_TRUE(app.Add(other));
  DiagnosisContext ctx;
  ctx.application = &app;
  Diagnosis d = DiagnoseConduit(*date, ctx);
  EXPECT_EQ(d.cause, Cause::DuplicateCreator);
  EXPECT_EQ(d.other, "Second Date");
  EXPECT_NE(d.text.find("\"Second Date\""), std::string::npos) << d.text;
  EXPECT_EQ(DiagnoseConduit(*other, ctx).other, "Date Book");
  ctx.catalogue = Catalogue::System;
  EXPECT_EQ(DiagnoseConduit(*date, ctx).cause, Cause::Healthy);
  ctx.catalogue = Catalogue::Application;
  other->dwFlags = kFlagRemoved;
  EXPECT_EQ(DiagnoseConduit(*date, ctx).cause, Cause::Healthy);
}

TEST_F(DiagnosisTest, SkippedLibraryIsNotLoaded) {
  // A crashing library on the skip list is diagnosed without loading it.
  char full[MAX_PATH];
  ASSERT_NE(GetFullPathNameA(Conduit("maincrash.dll").c_str(), MAX_PATH, full, nullptr), 0u);
  ASSERT_TRUE(safeload::AddSkip(full));
  const Diagnosis d = DiagnoseConduit(Record(full), {});
  safeload::DropSkip(full);
  EXPECT_EQ(d.cause, Cause::Skipped);
  EXPECT_EQ(d.remedy, Remedy::Reinstall);
}

TEST_F(DiagnosisTest, CacheHoldsAnswersUntilCleared) {
  ktest::TempDir dir("diagcache");
  const std::string path = dir.file("late.dll");
  const CondInfo info = Record(path);
  DiagnosisCache cache;
  EXPECT_EQ(cache.Get(info, {}).cause, Cause::FileMissing);
  ASSERT_TRUE(CopyFileA(Conduit("addrcond.dll").c_str(), path.c_str(), FALSE));
  // Until the next Refresh the answer stands, whatever changed on disk.
  EXPECT_EQ(cache.Get(info, {}).cause, Cause::FileMissing);
  DiagnosisContext removed;
  removed.removed = true;
  EXPECT_EQ(cache.Get(info, removed).cause, Cause::Removed);
  EXPECT_EQ(cache.Size(), 2u);
  cache.Clear();
  EXPECT_EQ(cache.Size(), 0u);
  EXPECT_EQ(cache.Get(info, {}).cause, Cause::Healthy);
}

}  // namespace

namespace {

// The help page of the check lists every cause with its words and its whole text, the blanks
// shown as words in italics.
TEST(DiagnosisHelp, HelpListsEveryText) {
  const std::vector<unsigned char> bytes = ktest::ReadBytes(ktest::ExeFolder() + "tools-check.htm");
  ASSERT_FALSE(bytes.empty());
  std::string page;
  for (unsigned char c : bytes) {
    const char ch = c == '\r' || c == '\n' ? ' ' : static_cast<char>(c);
    if (ch != ' ' || page.empty() || page.back() != ' ') page += ch;
  }
  const std::pair<const char*, const char*> blanks[] = {
      {"{file}", "<i>library</i>"}, {"{place}", "<i>place</i>"}, {"{dll}", "<i>DLL</i>"},
      {"{through}", ""}, {"{function}", "<i>function</i>"}, {"{other}", "<i>other conduit</i>"},
      {"{creator}", "<i>creator ID</i>"}, {"{priority}", "<i>priority</i>"},
      {"{directory}", "<i>folder</i>"},
  };
  for (int c = static_cast<int>(Cause::Healthy); c <= static_cast<int>(kLastCause);
       ++c) {
    const Cause cause = static_cast<Cause>(c);
    std::string text = CauseTemplate(cause);
    for (const auto& b : blanks) {
      for (size_t at = text.find(b.first); at != std::string::npos; at = text.find(b.first, at))
        text.replace(at, strlen(b.first), b.second);
    }
    const std::string row = std::string("<tr><td>") + CauseTitle(cause) + "</td><td>" + text +
                            "</td></tr>";
    EXPECT_NE(page.find(row), std::string::npos) << row;
  }
}

}  // namespace
