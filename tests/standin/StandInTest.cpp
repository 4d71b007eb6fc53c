// The stand-in Palm Desktop answers as the program relies on: checked through the built
// libraries themselves, loaded by name like the program does.
#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "gtest/gtest.h"
#include "TestSupport.h"

namespace {

const char* const kRoot = "Software\\U.S. Robotics\\Pilot Desktop";

typedef int(WINAPI* NoArgFn)(void);
typedef int(WINAPI* CreatorFn)(char*);
typedef int(WINAPI* CreatorIntFn)(char*, int);
typedef int(WINAPI* CreatorIntPtrFn)(char*, int*);
typedef int(WINAPI* CreatorTextFn)(char*, char*);
typedef int(WINAPI* GetTextFn)(char*, char*, int*);
typedef int(WINAPI* IndexTextFn)(int, char*, int*);
typedef int(WINAPI* BufFn)(char*, int*);
typedef int(WINAPI* ToIdFn)(char*, DWORD*);
typedef int(WINAPI* ToTextFn)(DWORD, char*, int*);
typedef int(WINAPI* InfoFn)(int, void*, int*);

std::string Key(const char* sub) { return std::string(kRoot) + "\\" + sub; }

void DeleteKey(const std::string& key) {
  RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
}

void ClearPalmKeys() {
  for (int n = 0; n < 20; ++n) {
    DeleteKey(Key(("Application" + std::to_string(n)).c_str()));
    DeleteKey(Key(("InstallConduit" + std::to_string(n)).c_str()));
  }
  DeleteKey(Key("StandIn Faults"));
  HKEY h;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, Key("Core").c_str(), 0, KEY_SET_VALUE, &h) == ERROR_SUCCESS) {
    RegDeleteValueA(h, "BackupConduit");
    RegCloseKey(h);
  }
}

void SetDword(const std::string& key, const char* name, DWORD v) {
  HKEY h;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0,
                                           KEY_SET_VALUE, nullptr, &h, nullptr));
  RegSetValueExA(h, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
  RegCloseKey(h);
}

void SetText(const std::string& key, const char* name, const char* text) {
  HKEY h;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0,
                                           KEY_SET_VALUE, nullptr, &h, nullptr));
  RegSetValueExA(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), DWORD(strlen(text) + 1));
  RegCloseKey(h);
}

std::string GetText(const std::string& key, const char* name) {
  char buf[300] = {};
  DWORD size = sizeof buf - 1;
  HKEY h;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return "<no key>";
  LONG rc = RegQueryValueExA(h, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size);
  RegCloseKey(h);
  return rc == ERROR_SUCCESS ? buf : "<no value>";
}

template <typename Fn>
Fn Get(HMODULE m, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m, name)));
}

class StandIn : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearPalmKeys();
    for (const char* f : {"condmgr.dll", "UserData.dll", "HSAPI.DLL", "instaide.dll"}) {
      HMODULE m = LoadLibraryA((ktest::PalmFolder() + "\\" + f).c_str());
      ASSERT_TRUE(m) << f;
      mods.push_back(m);
    }
    cm = mods[0];
  }
  void TearDown() override {
    for (HMODULE m : mods) FreeLibrary(m);
    ClearPalmKeys();
  }
  // Registers the way the program does: install the creator, then set its values.
  void Register(const char* creator, const char* library, const char* title) {
    char c[5], l[260], t[64];
    strcpy(c, creator);
    strcpy(l, library);
    strcpy(t, title);
    ASSERT_EQ(0, Get<CreatorIntFn>(cm, "CmInstallCreator")(c, 1));
    ASSERT_EQ(0, Get<CreatorTextFn>(cm, "CmSetCreatorName")(c, l));
    ASSERT_EQ(0, Get<CreatorTextFn>(cm, "CmSetCreatorTitle")(c, t));
  }
  std::string CreatorAt(int index) {
    char buf[5] = "????";
    int cap = 5;
    if (Get<IndexTextFn>(cm, "CmGetConduitCreatorID")(index, buf, &cap) != 0) return "<error>";
    return buf;
  }
  int Count() { return Get<NoArgFn>(cm, "CmGetConduitCount")(); }

  std::vector<HMODULE> mods;
  HMODULE cm = nullptr;
};

struct LibraryNames {
  int lib;
  std::vector<const char*> names;
};

// Every bound name, exactly as the program looks it up (undecorated in both builds).
const LibraryNames kNames[] = {
    {0, {"CmGetLibVersion", "CmConvertCreatorIDToString", "CmConvertStringToCreatorID",
         "CmGetConduitCount", "CmGetCreatorIDList", "CmGetConduitCreatorID", "CmGetConduitByCreator",
         "CmInstallConduit", "CmInstallCreator", "CmRemoveConduitByCreatorID", "CmSetCreatorPriority",
         "CmGetCreatorPriority", "CmSetCreatorName", "CmGetCreatorName", "CmSetCreatorDirectory",
         "CmGetCreatorDirectory", "CmSetCreatorRemote", "CmGetCreatorRemote", "CmSetCreatorUser",
         "CmGetCreatorUser", "CmSetCreatorTitle", "CmGetCreatorTitle", "CmSetCreatorInfo",
         "CmGetCreatorInfo", "CmSetCreatorFile", "CmGetCreatorFile", "CmGetCreatorType",
         "CmSetCreatorIntegrate", "CmGetCreatorIntegrate", "CmSetCreatorModule", "CmGetCreatorModule",
         "CmSetCreatorArgument", "CmGetCreatorArgument", "CmSetComPort", "CmGetComPort",
         "CmSetBackupConduit", "CmGetBackupConduit", "CmSetNotifierDll", "CmGetNotifierDll",
         "CmSetPCIdentifier", "CmGetPCIdentifier", "CmGetCorePath", "CmSetCorePath",
         "CmGetHotSyncExecPath", "CmSetHotSyncExecPath", "CmSetCreatorValueDword",
         "CmGetCreatorValueDword", "CmSetCreatorValueString", "CmGetCreatorValueString",
         "CmRestoreHotSyncSettings"}},
    {1, {"UmGetLibVersion", "UmGetUserCount", "UmGetUserID", "UmGetUserName", "UmGetUserDirectory",
         "UmGetUserPassword", "UmIsUserInstalled", "UmIsUserProfile", "UmSetUserName",
         "UmSetUserDirectory", "UmSetUserInstall", "UmSetUserPermSyncPreferences",
         "UmSetUserTempSyncPreferences", "UmGetUserPermSyncPreferences",
         "UmGetUserTempSyncPreferences", "UmRemoveUserTempSyncPreferences",
         "UmDeleteUserPermSyncPreferences", "UmDeleteUserTempSyncPreferences", "UmAddUser",
         "UmDeleteUser", "UmGetRootDirectory", "UmIsInstallMaskSet", "UmClearInstallMask",
         "UmSetInstallMask", "UmGetString", "UmSetString", "UmGetInteger", "UmSetInteger",
         "UmDeleteKey", "UmGetIDFromPath", "UmGetIDFromName", "UmSlotGetExpMgrVersion",
         "UmSlotGetSlotCount", "UmSlotGetInfo", "UmSlotGetMediaType", "UmSlotGetDisplayName",
         "UmSlotGetInstallDirectory"}},
    {2, {"HsGetApiVersion", "HsGetSyncStatus", "HsCheckApiStatus", "HsDisplayCustomDlg",
         "HsDisplayLog", "HsDisplayFileLink", "HsResetComm", "HsSetCommStatus", "HsGetCommStatus",
         "HsSetAppStatus", "HsRefreshConduitInfo"}},
    {3, {"PlmGetLibVesion", "PltGetUserCount", "PltGetUser", "PltInstallFile", "PltGetFileCount",
         "PltGetFileName", "PltGetFileInfo", "PltRemoveInstallFile", "PltGetPath", "PltSetPath",
         "PltGetInstallFileFilter", "PltGetFileTypesCount", "PltGetFileTypeExtension",
         "PltGetInstallConduitCount", "PltGetInstallConduitInfo", "PltIsInstallMaskSet",
         "PltResetInstallMask", "PltGetInstallCreatorInfo", "PltSetInstallRegistry",
         "PltGetRegistryPath", "PltGetUserDirectory", "PltIsUserProfile", "PlmGetUserNameFromID",
         "PlmGetUserIDFromName", "PltInstallFileToDest", "PltGetInstallFileFilterForUser",
         "PlmSlotGetFileCount", "PlmSlotGetFileInfo", "PlmSlotInstallFile",
         "PlmSlotRemoveInstallFile", "PlmSlotMoveInstallFile", "PlmMoveInstallFileToSlot",
         "PlmMoveInstallFileToHandheld"}},
};

TEST_F(StandIn, ExportsEveryBoundNameUndecorated) {
  const size_t sizes[] = {50, 37, 11, 33};
  for (const LibraryNames& lib : kNames) {
    EXPECT_EQ(sizes[lib.lib], lib.names.size());
    for (const char* name : lib.names) EXPECT_TRUE(GetProcAddress(mods[lib.lib], name)) << name;
  }
  // Entries the program never calls take no arguments and answer -1; spot-check one per library.
  for (auto [lib, name] : {std::pair<int, const char*>{0, "CmGetLibVersion"}, {1, "UmGetUserCount"},
                           {2, "HsGetSyncStatus"}, {3, "PlmGetLibVesion"}})
    EXPECT_EQ(-1, Get<NoArgFn>(mods[lib], name)()) << name;
}

TEST_F(StandIn, CreatorIdsPackBigEndianAndRoundTrip) {
  DWORD id = 0;
  char addr[] = "addr", shortId[] = "adr", longId[] = "addrs";
  EXPECT_EQ(0, Get<ToIdFn>(cm, "CmConvertStringToCreatorID")(addr, &id));
  EXPECT_EQ(0x61646472u, id);
  EXPECT_NE(0, Get<ToIdFn>(cm, "CmConvertStringToCreatorID")(shortId, &id));
  EXPECT_NE(0, Get<ToIdFn>(cm, "CmConvertStringToCreatorID")(longId, &id));
  char text[8] = "xxxxxxx";
  int cap = 5;
  EXPECT_EQ(0, Get<ToTextFn>(cm, "CmConvertCreatorIDToString")(0x50416464u, text, &cap));
  EXPECT_STREQ("PAdd", text);
}

TEST_F(StandIn, RegistrationReadsBackCutAndTerminatedWithinCapacity) {
  Register("addr", "C:\\Palm\\addrcond.dll", "Address Book");
  char addr[] = "addr", dir[] = "address", file[] = "address.dat", remote[] = "AddressDB";
  ASSERT_EQ(0, Get<CreatorTextFn>(cm, "CmSetCreatorDirectory")(addr, dir));
  ASSERT_EQ(0, Get<CreatorTextFn>(cm, "CmSetCreatorFile")(addr, file));
  ASSERT_EQ(0, Get<CreatorTextFn>(cm, "CmSetCreatorRemote")(addr, remote));
  ASSERT_EQ(0, Get<CreatorIntFn>(cm, "CmSetCreatorPriority")(addr, 4));
  EXPECT_EQ("C:\\Palm\\addrcond.dll", GetText(Key("Application0"), "Conduit"));

  struct Case {
    const char* entry;
    int cap;
    const char* want;
  } cases[] = {
      {"CmGetCreatorName", 260, "C:\\Palm\\addrcond.dll"},
      {"CmGetCreatorName", 8, "C:\\Palm"},
      {"CmGetCreatorTitle", 64, "Address Book"},
      {"CmGetCreatorTitle", 13, "Address Book"},  // exactly room for the terminator
      {"CmGetCreatorTitle", 12, "Address Boo"},
      {"CmGetCreatorTitle", 5, "Addr"},
      {"CmGetCreatorTitle", 1, ""},
      {"CmGetCreatorDirectory", 32, "address"},
      {"CmGetCreatorFile", 32, "address.dat"},
      {"CmGetCreatorRemote", 32, "AddressDB"},
      {"CmGetCreatorInfo", 64, ""},  // never set: empty, not an error
  };
  for (const Case& c : cases) {
    char buf[300];
    memset(buf, '#', sizeof buf);
    int cap = c.cap;
    EXPECT_EQ(0, Get<GetTextFn>(cm, c.entry)(addr, buf, &cap)) << c.entry;
    EXPECT_STREQ(c.want, buf) << c.entry << " cap " << c.cap;
    EXPECT_EQ('#', buf[c.cap]) << c.entry << " wrote past its capacity " << c.cap;
  }
  int priority = 0;
  EXPECT_EQ(0, Get<CreatorIntPtrFn>(cm, "CmGetCreatorPriority")(addr, &priority));
  EXPECT_EQ(4, priority);

  // Creator IDs compare exactly: another case is another creator.
  char upper[] = "ADDR", buf[64] = "";
  int cap = 64;
  EXPECT_NE(0, Get<GetTextFn>(cm, "CmGetCreatorTitle")(upper, buf, &cap));
  EXPECT_NE(0, Get<CreatorTextFn>(cm, "CmSetCreatorTitle")(upper, dir));
}

TEST_F(StandIn, RemovalKeepsNumberingDense) {
  Register("aaaa", "a.dll", "A");
  Register("bbbb", "b.dll", "B");
  Register("cccc", "c.dll", "C");
  Register("bbbb", "b2.dll", "B again");  // an installed creator reuses its key
  ASSERT_EQ(3, Count());
  EXPECT_EQ("b2.dll", GetText(Key("Application1"), "Conduit"));

  char b[] = "bbbb";
  EXPECT_EQ(1, Get<CreatorFn>(cm, "CmRemoveConduitByCreatorID")(b));
  EXPECT_EQ(2, Count());
  EXPECT_EQ("aaaa", CreatorAt(0));
  EXPECT_EQ("cccc", CreatorAt(1));
  EXPECT_EQ("c.dll", GetText(Key("Application1"), "Conduit"));
  EXPECT_EQ("C", GetText(Key("Application1"), "Title"));
  EXPECT_EQ("<no key>", GetText(Key("Application2"), "Conduit"));
  EXPECT_EQ("<error>", CreatorAt(2));
  EXPECT_EQ(0, Get<CreatorFn>(cm, "CmRemoveConduitByCreatorID")(b));

  // The walk ends at the first missing number, as the program's own key search does.
  SetDword(Key("Application5"), "Creator", 0x7a7a7a7a);
  EXPECT_EQ(2, Count());
}

// Runs the stand-in's registration helper, another process writing the same keys.
void PalmReg(const std::string& args) {
  std::string cmd = "\"" + ktest::PalmFolder() + "\\palmreg.exe\" " + args;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  ASSERT_TRUE(CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 30000)) << args;
  DWORD rc = 1;
  GetExitCodeProcess(pi.hProcess, &rc);
  EXPECT_EQ(0u, rc) << args;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}

// The library may remember what it read, but every answer must follow the registry as it is at
// the call, whoever changed it: this process behind the library's back or another process.
TEST_F(StandIn, AnswersFollowChangesMadeWithoutIt) {
  Register("aaaa", "a.dll", "A");
  Register("bbbb", "b.dll", "B");
  const DWORD kCccc = 0x63636363, kDddd = 0x64646464, kZzzz = 0x7a7a7a7a;
  struct Step {
    const char* what;
    std::function<void()> change;
    int count;
    std::vector<std::pair<const char*, const char*>> titles;  // creator, title (null: unknown)
    std::vector<std::pair<int, const char*>> creators;        // number, creator
  } steps[] = {
      {"as registered", [] {}, 2, {{"aaaa", "A"}, {"bbbb", "B"}}, {{0, "aaaa"}, {1, "bbbb"}}},
      // A value changed in a key that stays: no key count or parent time tells of it.
      {"creator of a key changed", [&] { SetDword(Key("Application1"), "Creator", kCccc); }, 2,
       {{"bbbb", nullptr}, {"cccc", "B"}}, {{1, "cccc"}}},
      {"title changed", [] { SetText(Key("Application0"), "Title", "A2"); }, 2, {{"aaaa", "A2"}}, {}},
      {"an earlier key takes the creator", [&] { SetDword(Key("Application0"), "Creator", kCccc); },
       2, {{"cccc", "A2"}, {"aaaa", nullptr}}, {{0, "cccc"}, {1, "cccc"}}},
      {"key added", [&] {
         SetDword(Key("Application2"), "Creator", kDddd);
         SetText(Key("Application2"), "Title", "D");
       }, 3, {{"dddd", "D"}}, {{2, "dddd"}}},
      {"key deleted", [] { DeleteKey(Key("Application2")); }, 2, {{"dddd", nullptr}}, {{2, "<error>"}}},
      {"key past a gap", [&] { SetDword(Key("Application5"), "Creator", kZzzz); }, 2,
       {{"zzzz", nullptr}}, {{5, "zzzz"}}},
      {"another process registers", [] { PalmReg("add eeee e.dll E"); }, 3, {{"eeee", "E"}},
       {{2, "eeee"}}},
      {"another process clears", [] { PalmReg("clear"); }, 0, {{"cccc", nullptr}, {"eeee", nullptr}},
       {{0, "<error>"}}},
  };
  for (const Step& st : steps) {
    st.change();
    // Another process's write reaches this one through the wineserver's change notification,
    // which may come a moment after that process has ended.
    if (strncmp(st.what, "another process", 15) == 0) {
      for (int i = 0; i < 50 && Count() != st.count; ++i) Sleep(100);
    }
    EXPECT_EQ(st.count, Count()) << st.what;
    for (const auto& [creator, title] : st.titles) {
      char c[5], buf[64] = "";
      strcpy(c, creator);
      int cap = sizeof buf;
      int rc = Get<GetTextFn>(cm, "CmGetCreatorTitle")(c, buf, &cap);
      if (title) {
        EXPECT_EQ(0, rc) << st.what << ": " << creator;
        EXPECT_STREQ(title, buf) << st.what << ": " << creator;
      } else {
        EXPECT_NE(0, rc) << st.what << ": " << creator << " still answers " << buf;
      }
    }
    for (const auto& [n, creator] : st.creators) EXPECT_EQ(creator, CreatorAt(n)) << st.what << ": " << n;
  }
}

TEST_F(StandIn, FaultSwitchAnswersInsteadOfActing) {
  Register("addr", "addrcond.dll", "Address Book");
  char addr[] = "addr", file[] = "x.dat";
  SetDword(Key("StandIn Faults"), "CmSetCreatorFile", 0xFFFFFFFF);
  SetDword(Key("StandIn Faults"), "CmRemoveConduitByCreatorID", 2);
  EXPECT_EQ(-1, Get<CreatorTextFn>(cm, "CmSetCreatorFile")(addr, file));
  EXPECT_EQ("<no value>", GetText(Key("Application0"), "File"));
  EXPECT_EQ(2, Get<CreatorFn>(cm, "CmRemoveConduitByCreatorID")(addr));
  EXPECT_EQ(1, Count());

  // Read on every call: changing the switch between calls takes effect at once.
  SetDword(Key("StandIn Faults"), "CmRemoveConduitByCreatorID", 0);
  EXPECT_EQ(0, Get<CreatorFn>(cm, "CmRemoveConduitByCreatorID")(addr));
  DeleteKey(Key("StandIn Faults"));
  EXPECT_EQ(0, Get<CreatorTextFn>(cm, "CmSetCreatorFile")(addr, file));
  EXPECT_EQ(1, Get<CreatorFn>(cm, "CmRemoveConduitByCreatorID")(addr));
  EXPECT_EQ(0, Count());
}

TEST_F(StandIn, BackupConduitAbsentThenStored) {
  char buf[260];
  memset(buf, '#', sizeof buf);
  int cap = 260;
  EXPECT_NE(0, Get<BufFn>(cm, "CmGetBackupConduit")(buf, &cap));
  EXPECT_STREQ("", buf);
  char lib[] = "C:\\Palm\\backup.dll";
  EXPECT_EQ(0, Get<CreatorFn>(cm, "CmSetBackupConduit")(lib));
  EXPECT_EQ(0, Get<BufFn>(cm, "CmGetBackupConduit")(buf, &cap));
  EXPECT_STREQ(lib, buf);
}

TEST_F(StandIn, InstallConduitRecordOffsets) {
  SetText(Key("InstallConduit0"), "Conduit", "C:\\Palm\\instcond.dll");
  SetText(Key("InstallConduit0"), "Creator", "inst");
  SetText(Key("InstallConduit0"), "Name", "Install Handheld Files");
  SetText(Key("InstallConduit1"), "Conduit", std::string(300, 'L').c_str());  // longer than its field
  SetText(Key("InstallConduit1"), "Creator", "lnch");
  SetText(Key("InstallConduit1"), "Name", "Second");
  HMODULE ia = mods[3];
  auto info = Get<InfoFn>(ia, "PltGetInstallConduitInfo");
  ASSERT_EQ(2, Get<NoArgFn>(ia, "PltGetInstallConduitCount")());

  std::vector<char> rec(840, 0);
  int cap = 840;
  ASSERT_EQ(1, info(0, rec.data(), &cap));
  EXPECT_STREQ("C:\\Palm\\instcond.dll", &rec[324]);
  EXPECT_EQ(0, memcmp(&rec[580], "inst", 4));
  EXPECT_STREQ("Install Handheld Files", &rec[584]);

  ASSERT_EQ(1, info(1, rec.data(), &cap));
  EXPECT_EQ(255u, strlen(&rec[324]));  // cut and terminated within its 256 bytes
  EXPECT_EQ(0, memcmp(&rec[580], "lnch", 4));

  int small = 839;
  EXPECT_EQ(0, info(0, rec.data(), &small));
  EXPECT_EQ(0, info(2, rec.data(), &cap));
  EXPECT_EQ(0, info(-1, rec.data(), &cap));

  SetDword(Key("StandIn Faults"), "PltGetInstallConduitInfoFailIndex", 0);
  EXPECT_EQ(0, info(0, rec.data(), &cap));
  EXPECT_EQ(1, info(1, rec.data(), &cap));
}

// The sample conduits other tests rely on: exports, reported names, distinct versions.
TEST(SampleConduits, ExportsNamesAndVersions) {
  struct Case {
    const char* file;
    bool open;
    const char* name;  // nullptr: no GetConduitName
    const char* version;
  } cases[] = {
      {"addrcond.dll", true, "Address Book", "4.1.0.23"},
      {"datecond.dll", true, "Date Book", "4.1.0.24"},
      {"todocond.dll", true, "To Do List", "4.0.2.17"},
      {"memocond.dll", true, "Memo Pad", "4.0.3.9"},
      {"XYMirror.dll", true, "XY Mirror", "3.1.4.102"},
      {"nocond.dll", false, "Not A Conduit", "1.0.0.1"},
      {"noname.dll", true, nullptr, "1.0.0.2"},
      {"instcond.dll", true, "Install Handheld Files", "4.0.0.5"},
      {"backup.dll", true, "Backup", "4.0.0.6"},
  };
  typedef long (*NameFn)(char*, WORD);
  for (const Case& c : cases) {
    std::string path = ktest::ConduitsFolder() + "\\" + c.file;
    HMODULE m = LoadLibraryA(path.c_str());
    ASSERT_TRUE(m) << c.file;
    EXPECT_EQ(c.open, GetProcAddress(m, "OpenConduit") != nullptr) << c.file;
    NameFn name = Get<NameFn>(m, "GetConduitName");
    EXPECT_EQ(c.name != nullptr, name != nullptr) << c.file;
    if (name && c.name) {
      char buf[64];
      memset(buf, '#', sizeof buf);
      EXPECT_EQ(0, name(buf, 5));
      EXPECT_EQ(std::string(c.name).substr(0, 4), buf) << c.file;
      EXPECT_EQ('#', buf[5]);
    }
    FreeLibrary(m);

    DWORD ignored = 0, size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u) << c.file;
    std::vector<char> data(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &len));
    char v[32];
    snprintf(v, sizeof v, "%u.%u.%u.%u", unsigned(HIWORD(fixed->dwFileVersionMS)),
             unsigned(LOWORD(fixed->dwFileVersionMS)), unsigned(HIWORD(fixed->dwFileVersionLS)),
             unsigned(LOWORD(fixed->dwFileVersionLS)));
    EXPECT_STREQ(c.version, v) << c.file;
  }
}

TEST(SampleConduits, Full64FillsItsWholeCapacityUnterminated) {
  HMODULE m = LoadLibraryA((ktest::ConduitsFolder() + "\\full64.dll").c_str());
  ASSERT_TRUE(m);
  char buf[80];
  memset(buf, '#', sizeof buf);
  Get<long (*)(char*, WORD)>(m, "GetConduitName")(buf, 64);
  EXPECT_EQ(std::string(64, 'F'), std::string(buf, 64));
  EXPECT_EQ('#', buf[64]);
  FreeLibrary(m);
}

// Waits up to about ten seconds for a top-level window.
HWND WaitForWindow(const char* cls, const char* title) {
  for (int i = 0; i < 200; ++i) {
    if (HWND w = FindWindowA(cls, title)) return w;
    Sleep(50);
  }
  return nullptr;
}

bool WaitGone(HWND w) {
  for (int i = 0; i < 200 && IsWindow(w); ++i) Sleep(50);
  return !IsWindow(w);
}

TEST_F(StandIn, HotSyncManagerShowsCustomWhenAskedBeforeOrAfterItStarts) {
  const char* cls = "KestrinStandInHotSync";
  ASSERT_FALSE(FindWindowA(cls, nullptr)) << "a HotSync Manager already runs";
  Register("addr", "addrcond.dll", "Address Book");
  auto custom = Get<NoArgFn>(mods[2], "HsDisplayCustomDlg");

  // The program asks right after the shell starts hotsync.exe: the request must not be lost.
  EXPECT_EQ(-1, custom());
  std::string exe = ktest::PalmFolder() + "\\hotsync.exe";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  ASSERT_TRUE(CreateProcessA(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  HWND main = WaitForWindow(cls, "HotSync Manager");
  HWND dlg = WaitForWindow("#32770", "Custom");
  EXPECT_TRUE(main);
  EXPECT_TRUE(dlg);
  if (dlg) {
    PostMessageA(dlg, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitGone(dlg));
  }

  // Asked while it runs.
  EXPECT_EQ(0, custom());
  dlg = WaitForWindow("#32770", "Custom");
  EXPECT_TRUE(dlg);
  if (dlg) {
    EXPECT_EQ(1, SendDlgItemMessageA(dlg, 101, LB_GETCOUNT, 0, 0));
    // Wide: Wine hands another process's list box text to an ANSI caller unconverted.
    wchar_t line[300] = L"";
    SendDlgItemMessageW(dlg, 101, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(line));
    EXPECT_EQ(0, wcsncmp(line, L"addr\tAddress Book", 17));
    PostMessageA(dlg, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitGone(dlg));
  }

  if (main) PostMessageA(main, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}

}  // namespace
