// Stand-in Conduit Manager (condmgr.dll): registrations live in the current user's
// "Software\U.S. Robotics\Pilot Desktop\Application%d" keys, numbered densely from 0.
#include "StandIn.h"

namespace {

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

// Number of the first registration of the creator, or -1.
int FindCreator(const char* creator) {
  DWORD want;
  if (!Pack(creator, &want)) return -1;
  char path[300];
  for (int n = 0;; ++n) {
    ks::AppKey(n, path, sizeof path);
    if (!ks::KeyExists(path)) return -1;
    DWORD have;
    if (ks::ReadDword(HKEY_CURRENT_USER, path, "Creator", &have) && have == want) return n;
  }
}

// Opens the creator's key; false when the creator is not registered.
bool OpenCreator(const char* creator, REGSAM access, HKEY* h) {
  int n = FindCreator(creator);
  if (n < 0) return false;
  char path[300];
  ks::AppKey(n, path, sizeof path);
  return RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, access, h) == ERROR_SUCCESS;
}

int GetText(const char* creator, const char* value, char* buf, int* cap) {
  HKEY h;
  if (!buf || !cap || *cap <= 0 || !OpenCreator(creator, KEY_READ, &h)) return -1;
  std::string text;
  ks::ReadText(h, value, &text);  // an absent value reads as empty
  RegCloseKey(h);
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
  HKEY h;
  if (!out || !OpenCreator(creator, KEY_READ, &h)) return -1;
  DWORD type = 0, v = 0, size = sizeof v;
  if (RegQueryValueExA(h, value, nullptr, &type, reinterpret_cast<BYTE*>(&v), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD)
    v = 0;
  RegCloseKey(h);
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
  return ks::DenseCount(ks::AppKey);
}

KS_UNUSED(CmGetCreatorIDList)

KS_ENTRY CmGetConduitCreatorID(int index, char* buf, int* cap) {
  KS_FAULT();
  char path[300];
  DWORD id;
  if (index < 0) return -1;
  ks::AppKey(index, path, sizeof path);
  if (!ks::ReadDword(HKEY_CURRENT_USER, path, "Creator", &id)) return -1;
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
  if (n < 0) n = ks::DenseCount(ks::AppKey);
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
