#include <cstdio>
#include <cstring>

#include "CondMgr.h"
#include "format/KxText.h"
#include "misc/KxHandle.h"

namespace {

const char* const kPimCreators[] = {"addr", "date", "todo", "memo"};
const char* const kMirrorCreators[] = {"PAdd", "PDat", "PTod", "PMem"};

bool IsOneOf(const char* pszCreatorID, const char* const (&list)[4]) {
  for (const char* c : list)
    if (strcmp(pszCreatorID, c) == 0) return true;
  return false;
}

// File name without folder and extension, into szBuf of cap bytes.
void BaseName(const char* pszPath, char* szBuf, size_t cap) {
  const char* start = pszPath;
  for (const char* p = pszPath; *p; ++p)
    if (*p == '\\' || *p == '/' || *p == ':') start = p + 1;
  const char* dot = strrchr(start, '.');
  size_t n = dot ? static_cast<size_t>(dot - start) : strlen(start);
  if (n >= cap) n = cap - 1;
  memcpy(szBuf, start, n);
  szBuf[n] = '\0';
}

bool ReadText(HKEY key, const char* pszName, char* szBuf, DWORD cap) {
  DWORD type = 0, len = cap;
  if (RegQueryValueExA(key, pszName, nullptr, &type, reinterpret_cast<BYTE*>(szBuf), &len) !=
      ERROR_SUCCESS)
    return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  if (len < cap) szBuf[len] = '\0';
  kx::TerminateField(szBuf, cap);
  return true;
}

bool ReadDword(HKEY key, const char* pszName, DWORD* pdw) {
  DWORD type = 0, len = sizeof *pdw;
  return RegQueryValueExA(key, pszName, nullptr, &type, reinterpret_cast<BYTE*>(pdw), &len) ==
             ERROR_SUCCESS &&
         type == REG_DWORD && len == sizeof *pdw;
}

LONG SetText(HKEY key, const char* pszName, const char* pszValue) {
  // Stored with the length of the characters alone, as Palm Desktop's own values are.
  return RegSetValueExA(key, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(pszValue),
                        static_cast<DWORD>(strlen(pszValue)));
}

}  // namespace

bool IsPocketMirrorConduit(const CondInfo* pInfo) {
  if (!pInfo) return false;
  if (strncmp(pInfo->szProduct, "PocketMirror", sizeof pInfo->szProduct) == 0) return true;
  bool bCreator = IsOneOf(pInfo->szCreatorID, kPimCreators) ||
                  IsOneOf(pInfo->szCreatorID, kMirrorCreators);
  return bCreator && strstr(pInfo->szConduit, "Mirror") != nullptr;
}

bool FindApplicationKey(const CondInfo* pInfo, char* szKey) {
  if (!pInfo || !szKey) return false;
  char szBase[MAX_PATH];
  BaseName(pInfo->szConduit, szBase, sizeof szBase);
  for (int n = 0; n <= 999; ++n) {
    char szPath[MAX_PATH];
    snprintf(szPath, sizeof szPath, "Software\\U.S. Robotics\\Pilot Desktop\\Application%d", n);
    kx::UniqueKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, szPath, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
      return false;
    char szConduit[MAX_PATH];
    if (!ReadText(key.get(), "Conduit", szConduit, sizeof szConduit)) continue;
    DWORD dwCreator = 0;
    if (!ReadDword(key.get(), "Creator", &dwCreator) || dwCreator == 0) continue;
    char szKeyBase[MAX_PATH];
    BaseName(szConduit, szKeyBase, sizeof szKeyBase);
    if (_stricmp(szKeyBase, szBase) != 0) continue;
    kx::CopyText(szKey, MAX_PATH, szPath);
    return true;
  }
  return false;
}

long SetPocketMirrorUi(const CondInfo* pInfo) {
  char szKey[MAX_PATH];
  if (!FindApplicationKey(pInfo, szKey)) return 0;
  kx::UniqueKey key;
  LONG rc = RegOpenKeyExA(HKEY_CURRENT_USER, szKey, 0,
                          KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY, key.put());
  if (rc != ERROR_SUCCESS) return rc;

  SetText(key.get(), "UiModule",
          IsOneOf(pInfo->szCreatorID, kMirrorCreators) ? "MirrXTUI.dll" : "MirrorUI.dll");
  char szBase[MAX_PATH];
  BaseName(pInfo->szConduit, szBase, sizeof szBase);
  szBase[2 < sizeof szBase ? 2 : 0] = '\0';
  char szEntry[16];
  snprintf(szEntry, sizeof szEntry, "%2sSettings", szBase);
  SetText(key.get(), "UiEntry", szEntry);
  return RegCloseKey(key.release());
}
