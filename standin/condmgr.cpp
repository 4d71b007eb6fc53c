// Stand-in Conduit Manager (condmgr.dll): registrations live in the current user's
// "Software\U.S. Robotics\Pilot Desktop\Application%d" keys, numbered densely from 0.
#include "StandIn.h"

#include <unordered_map>
#include <utility>
#include <vector>

namespace {

struct Registration {
  HKEY key;  // open for reading while the snapshot holds
  bool hasCreator;
  DWORD creator;
};

bool Pack(const char* text, DWORD* id) {
  if (!text || strlen(text) != 4) return false;
  const unsigned char* c = reinterpret_cast<const unsigned char*>(text);
  *id = (DWORD(c[0]) << 24) | (DWORD(c[1]) << 16) | (DWORD(c[2]) << 8) | DWORD(c[3]);
  return true;
}

void Unpack(DWORD id, char out[5]) {
  out[0] = char(id >> 24);
  out[1] = char(id >> 16);
  out[2] = char(id >> 8);
  out[3] = char(id);
  out[4] = 0;
}

// What the registrations and the fault switches were at the last look, trusted until anything
// under HKCU changes. A full load asks ten questions per conduit; walking Application0, 1, ...
// for each made it quadratic, which the real Conduit Manager is not. Any process's write, ours
// included, signals a registry notification on the whole hive: a narrower key could be deleted
// and made again, and a watch on it would then never fire.
class Snapshot {
 public:
  ~Snapshot() {
    Forget();
    if (hive_) RegCloseKey(hive_);
    if (changed_) CloseHandle(changed_);
  }

  // Every entry calls this first: forgets everything when the registry changed since.
  void Check() {
    if (!changed_) {
      changed_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
      if (RegOpenKeyExA(HKEY_CURRENT_USER, nullptr, 0, KEY_NOTIFY, &hive_) != ERROR_SUCCESS)
        hive_ = nullptr;
    } else if (watching_ && WaitForSingleObject(changed_, 0) == WAIT_TIMEOUT) {
      return;
    }
    Forget();
    // Armed before anything is read, so a change while reading shows at the next call. Without
    // a notification nothing is kept from one call to the next.
    watching_ = changed_ && hive_ &&
                RegNotifyChangeKeyValue(hive_, TRUE,
                                        REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                        changed_, TRUE) == ERROR_SUCCESS;
  }

  // Drops what was read; writers call it before changing the numbering.
  void Forget() {
    for (const Registration& r : regs_) RegCloseKey(r.key);
    regs_.clear();
    first_.clear();
    ended_ = false;
    faults_.clear();
    faultsRead_ = false;
  }

  // The DWORD a test stored under the entry's name in "StandIn Faults".
  bool Fault(const char* entry, int* answer) {
    if (!faultsRead_) ReadFaults();
    for (const auto& f : faults_) {
      if (_stricmp(f.first.c_str(), entry) == 0) {  // value names ignore case
        *answer = static_cast<int>(f.second);
        return true;
      }
    }
    return false;
  }

  // Number of the first registration of the creator, or -1.
  int Find(DWORD creator) {
    auto it = first_.find(creator);
    if (it != first_.end()) return it->second;
    while (ReadNext()) {
      const Registration& r = regs_.back();
      if (r.hasCreator && r.creator == creator) return static_cast<int>(regs_.size()) - 1;
    }
    return -1;
  }

  // Number of keys numbered densely from 0.
  int Count() {
    while (ReadNext()) {
    }
    return static_cast<int>(regs_.size());
  }

  // Registration n when the dense numbering reaches it, else null.
  const Registration* At(int n) {
    while (static_cast<int>(regs_.size()) <= n && ReadNext()) {
    }
    return n < static_cast<int>(regs_.size()) ? &regs_[static_cast<size_t>(n)] : nullptr;
  }

 private:
  // Opens the next numbered key and reads its creator; false at the first missing number.
  bool ReadNext() {
    if (ended_) return false;
    char path[300];
    ks::AppKey(static_cast<int>(regs_.size()), path, sizeof path);
    Registration r{};
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &r.key) != ERROR_SUCCESS) {
      ended_ = true;
      return false;
    }
    DWORD type = 0, v = 0, size = sizeof v;
    if (RegQueryValueExA(r.key, "Creator", nullptr, &type, reinterpret_cast<BYTE*>(&v), &size) ==
            ERROR_SUCCESS &&
        type == REG_DWORD) {
      r.hasCreator = true;
      r.creator = v;
      first_.emplace(v, static_cast<int>(regs_.size()));  // keeps the first of a creator
    }
    regs_.push_back(r);
    return true;
  }

  void ReadFaults() {
    faultsRead_ = true;
    HKEY h;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, KS_FAULTS, 0, KEY_READ, &h) != ERROR_SUCCESS) return;
    for (DWORD i = 0;; ++i) {
      char name[256];
      DWORD nameLen = sizeof name, type = 0, v = 0, size = sizeof v;
      LONG rc = RegEnumValueA(h, i, name, &nameLen, nullptr, &type, reinterpret_cast<BYTE*>(&v),
                              &size);
      if (rc == ERROR_NO_MORE_ITEMS) break;
      // Larger than a DWORD reads as no switch, as a direct read of the value would.
      if (rc == ERROR_SUCCESS && type == REG_DWORD) faults_.emplace_back(name, v);
    }
    RegCloseKey(h);
  }

  HANDLE changed_ = nullptr;
  HKEY hive_ = nullptr;
  bool watching_ = false;
  std::vector<Registration> regs_;
  std::unordered_map<DWORD, int> first_;
  bool ended_ = false;
  std::vector<std::pair<std::string, DWORD>> faults_;
  bool faultsRead_ = false;
};

Snapshot g_snapshot;
SRWLOCK g_lock = SRWLOCK_INIT;

// Held for a whole entry: the snapshot is shared by every thread of the process.
class Lock {
 public:
  Lock() { AcquireSRWLockExclusive(&g_lock); }
  ~Lock() { ReleaseSRWLockExclusive(&g_lock); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;
};

int FindCreator(const char* creator) {
  DWORD want;
  return Pack(creator, &want) ? g_snapshot.Find(want) : -1;
}

// The creator's key, open for reading while the snapshot holds; null when not registered.
HKEY CreatorKey(const char* creator) {
  int n = FindCreator(creator);
  return n < 0 ? nullptr : g_snapshot.At(n)->key;
}

// Opens the creator's key for writing; false when the creator is not registered.
bool OpenCreator(const char* creator, REGSAM access, HKEY* h) {
  int n = FindCreator(creator);
  if (n < 0) return false;
  char path[300];
  ks::AppKey(n, path, sizeof path);
  return RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, access, h) == ERROR_SUCCESS;
}

// ks::ReadText in one query when the text fits the buffer, as most do.
void ReadText(HKEY h, const char* value, std::string* out) {
  char buf[512];
  DWORD type = 0, size = sizeof buf - 1;
  LONG rc = RegQueryValueExA(h, value, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
  if (rc == ERROR_MORE_DATA) {
    ks::ReadText(h, value, out);
    return;
  }
  out->clear();
  if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return;
  buf[size] = '\0';
  out->assign(buf);
}

int GetText(const char* creator, const char* value, char* buf, int* cap) {
  if (!buf || !cap || *cap <= 0) return -1;
  HKEY h = CreatorKey(creator);
  if (!h) return -1;
  std::string text;
  ReadText(h, value, &text);  // an absent value reads as empty
  ks::PutText(text.c_str(), buf, cap);
  return 0;
}

int SetText(const char* creator, const char* value, const char* text) {
  HKEY h;
  if (!text || !OpenCreator(creator, KEY_SET_VALUE, &h)) return -1;
  LONG rc = ks::WriteText(h, value, text);
  RegCloseKey(h);
  return rc == ERROR_SUCCESS ? 0 : -1;
}

int GetNumber(const char* creator, const char* value, DWORD* out) {
  if (!out) return -1;
  HKEY h = CreatorKey(creator);
  if (!h) return -1;
  DWORD type = 0, v = 0, size = sizeof v;
  if (RegQueryValueExA(h, value, nullptr, &type, reinterpret_cast<BYTE*>(&v), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD)
    v = 0;
  *out = v;
  return 0;
}

int SetNumber(const char* creator, const char* value, DWORD v) {
  HKEY h;
  if (!OpenCreator(creator, KEY_SET_VALUE, &h)) return -1;
  LONG rc = ks::WriteDword(h, value, v);
  RegCloseKey(h);
  return rc == ERROR_SUCCESS ? 0 : -1;
}

int GetCoreText(const char* value, std::string* out) {
  return ks::ReadText(HKEY_CURRENT_USER, KS_CORE, value, out) ? 0 : -1;
}

}  // namespace

// Every entry starts here: the snapshot checked, the fault switch read from it, under the lock.
#undef KS_FAULT
#define KS_FAULT()                                                    \
  Lock ks_lock_;                                                      \
  g_snapshot.Check();                                                 \
  do {                                                                \
    int ks_fault_;                                                    \
    if (g_snapshot.Fault(__func__, &ks_fault_)) return ks_fault_;     \
  } while (0)

KS_UNUSED(CmGetLibVersion)

KS_ENTRY CmConvertCreatorIDToString(DWORD id, char* buf, int* cap) {
  KS_FAULT();
  char text[5];
  Unpack(id, text);
  return ks::PutText(text, buf, cap) ? 0 : -1;
}

KS_ENTRY CmConvertStringToCreatorID(char* text, DWORD* id) {
  KS_FAULT();
  if (!id) return -1;
  return Pack(text, id) ? 0 : -1;
}

KS_ENTRY CmGetConduitCount(void) {
  KS_FAULT();
  return g_snapshot.Count();
}

KS_UNUSED(CmGetCreatorIDList)

KS_ENTRY CmGetConduitCreatorID(int index, char* buf, int* cap) {
  KS_FAULT();
  DWORD id;
  if (index < 0) return -1;
  if (const Registration* r = g_snapshot.At(index)) {
    if (!r->hasCreator) return -1;
    id = r->creator;
  } else {
    // Past a gap in the numbering: the key of that number all the same.
    char path[300];
    ks::AppKey(index, path, sizeof path);
    if (!ks::ReadDword(HKEY_CURRENT_USER, path, "Creator", &id)) return -1;
  }
  char text[5];
  Unpack(id, text);
  return ks::PutText(text, buf, cap) ? 0 : -1;
}

KS_UNUSED(CmGetConduitByCreator)
KS_UNUSED(CmInstallConduit)

KS_ENTRY CmInstallCreator(char* creator, int type) {
  KS_FAULT();
  DWORD id;
  if (!Pack(creator, &id)) return -1;
  int n = FindCreator(creator);
  if (n < 0) n = g_snapshot.Count();
  g_snapshot.Forget();
  char path[300];
  ks::AppKey(n, path, sizeof path);
  HKEY h;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr) !=
      ERROR_SUCCESS)
    return -1;
  LONG rc = ks::WriteDword(h, "Creator", id);
  if (rc == ERROR_SUCCESS) rc = ks::WriteDword(h, "Type", DWORD(type));
  RegCloseKey(h);
  return rc == ERROR_SUCCESS ? 0 : -1;
}

// Removes the first registration of the creator and moves the later keys down one number.
KS_ENTRY CmRemoveConduitByCreatorID(char* creator) {
  KS_FAULT();
  int n = FindCreator(creator);
  if (n < 0) return 0;
  g_snapshot.Forget();
  char path[300], next[300];
  ks::AppKey(n, path, sizeof path);
  RegDeleteTreeA(HKEY_CURRENT_USER, path);
  RegDeleteKeyA(HKEY_CURRENT_USER, path);
  for (int k = n + 1;; ++k) {
    ks::AppKey(k, next, sizeof next);
    HKEY src, dst;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, next, 0, KEY_READ, &src) != ERROR_SUCCESS) break;
    ks::AppKey(k - 1, path, sizeof path);
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &dst,
                        nullptr) == ERROR_SUCCESS) {
      RegCopyTreeA(src, nullptr, dst);
      RegCloseKey(dst);
    }
    RegCloseKey(src);
    RegDeleteTreeA(HKEY_CURRENT_USER, next);
    RegDeleteKeyA(HKEY_CURRENT_USER, next);
  }
  return 1;
}

KS_ENTRY CmSetCreatorPriority(char* creator, int priority) {
  KS_FAULT();
  return SetNumber(creator, "Priority", DWORD(priority));
}

KS_ENTRY CmGetCreatorPriority(char* creator, int* priority) {
  KS_FAULT();
  DWORD v;
  if (!priority || GetNumber(creator, "Priority", &v) != 0) return -1;
  *priority = int(v);
  return 0;
}

KS_ENTRY CmSetCreatorName(char* creator, char* library) {
  KS_FAULT();
  return SetText(creator, "Conduit", library);
}

KS_ENTRY CmGetCreatorName(char* creator, char* buf, int* cap) {
  KS_FAULT();
  return GetText(creator, "Conduit", buf, cap);
}

KS_ENTRY CmSetCreatorDirectory(char* creator, char* dir) {
  KS_FAULT();
  return SetText(creator, "Directory", dir);
}

KS_ENTRY CmGetCreatorDirectory(char* creator, char* buf, int* cap) {
  KS_FAULT();
  return GetText(creator, "Directory", buf, cap);
}

KS_ENTRY CmSetCreatorRemote(char* creator, char* remote) {
  KS_FAULT();
  return SetText(creator, "Remote", remote);
}

KS_ENTRY CmGetCreatorRemote(char* creator, char* buf, int* cap) {
  KS_FAULT();
  return GetText(creator, "Remote", buf, cap);
}

KS_UNUSED(CmSetCreatorUser)
KS_UNUSED(CmGetCreatorUser)

KS_ENTRY CmSetCreatorTitle(char* creator, char* title) {
  KS_FAULT();
  return SetText(creator, "Title", title);
}

KS_ENTRY CmGetCreatorTitle(char* creator, char* buf, int* cap) {
  KS_FAULT();
  return GetText(creator, "Title", buf, cap);
}

KS_ENTRY CmSetCreatorInfo(char* creator, char* info) {
  KS_FAULT();
  return SetText(creator, "Information", info);
}

KS_ENTRY CmGetCreatorInfo(char* creator, char* buf, int* cap) {
  KS_FAULT();
  return GetText(creator, "Information", buf, cap);
}

KS_ENTRY CmSetCreatorFile(char* creator, char* file) {
  KS_FAULT();
  return SetText(creator, "File", file);
}

KS_ENTRY CmGetCreatorFile(char* creator, char* buf, int* cap) {
  KS_FAULT();
  return GetText(creator, "File", buf, cap);
}

KS_ENTRY CmGetCreatorType(char* creator, int* type) {
  KS_FAULT();
  DWORD v;
  if (!type || GetNumber(creator, "Type", &v) != 0) return -1;
  *type = int(v);
  return 0;
}

KS_ENTRY CmSetCreatorIntegrate(char* creator, DWORD integrate) {
  KS_FAULT();
  return SetNumber(creator, "Integrate", integrate);
}

KS_ENTRY CmGetCreatorIntegrate(char* creator, DWORD* integrate) {
  KS_FAULT();
  return GetNumber(creator, "Integrate", integrate);
}

KS_UNUSED(CmSetCreatorModule)
KS_UNUSED(CmGetCreatorModule)
KS_UNUSED(CmSetCreatorArgument)
KS_UNUSED(CmGetCreatorArgument)
KS_UNUSED(CmSetComPort)
KS_UNUSED(CmGetComPort)

KS_ENTRY CmSetBackupConduit(char* library) {
  KS_FAULT();
  if (!library) return -1;
  HKEY h;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, KS_CORE, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h,
                      nullptr) != ERROR_SUCCESS)
    return -1;
  LONG rc = ks::WriteText(h, "BackupConduit", library);
  RegCloseKey(h);
  return rc == ERROR_SUCCESS ? 0 : -1;
}

KS_ENTRY CmGetBackupConduit(char* buf, int* cap) {
  KS_FAULT();
  std::string text;
  int rc = GetCoreText("BackupConduit", &text);
  if (!ks::PutText(text.c_str(), buf, cap)) return -1;
  return rc;
}

KS_UNUSED(CmSetNotifierDll)
KS_UNUSED(CmGetNotifierDll)
KS_UNUSED(CmSetPCIdentifier)
KS_UNUSED(CmGetPCIdentifier)

KS_ENTRY CmGetCorePath(char* buf, int* cap) {
  KS_FAULT();
  std::string text;
  int rc = GetCoreText("DesktopPath", &text);
  if (!ks::PutText(text.c_str(), buf, cap)) return -1;
  return rc;
}

KS_UNUSED(CmSetCorePath)

// "HotSyncPath" when Core names one, else hotsync.exe in the Palm Desktop folder.
KS_ENTRY CmGetHotSyncExecPath(char* buf, int* cap) {
  KS_FAULT();
  std::string text;
  int rc = GetCoreText("HotSyncPath", &text);
  if (rc != 0) {
    rc = GetCoreText("DesktopPath", &text);
    if (rc == 0) text += (!text.empty() && text.back() == '\\') ? "hotsync.exe" : "\\hotsync.exe";
  }
  if (!ks::PutText(text.c_str(), buf, cap)) return -1;
  return rc;
}

KS_UNUSED(CmSetHotSyncExecPath)
KS_UNUSED(CmSetCreatorValueDword)
KS_UNUSED(CmGetCreatorValueDword)
KS_UNUSED(CmSetCreatorValueString)
KS_UNUSED(CmGetCreatorValueString)
KS_UNUSED(CmRestoreHotSyncSettings)
