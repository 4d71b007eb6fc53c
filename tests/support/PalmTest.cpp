#include "PalmTest.h"

#include <vector>

#include "palm/PalmLibs.h"
#include "TestSupport.h"

namespace ptest {

const char kRoot[] = "Software\\U.S. Robotics\\Pilot Desktop";
const char kCoreKey[] = "Software\\U.S. Robotics\\Pilot Desktop\\Core";
const char kFaultsKey[] = "Software\\U.S. Robotics\\Pilot Desktop\\StandIn Faults";

std::string AppKey(int n) { return std::string(kRoot) + "\\Application" + std::to_string(n); }
std::string InstallKey(int n) {
  return std::string(kRoot) + "\\InstallConduit" + std::to_string(n);
}
std::string Conduit(const char* file) { return ktest::ConduitsFolder() + "\\" + file; }

bool SetText(const std::string& key, const char* name, const std::string& value) {
  HKEY h;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h,
                      nullptr) != ERROR_SUCCESS)
    return false;
  LONG rc = RegSetValueExA(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>(value.size() + 1));
  RegCloseKey(h);
  return rc == ERROR_SUCCESS;
}

bool SetDword(const std::string& key, const char* name, DWORD value) {
  HKEY h;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h,
                      nullptr) != ERROR_SUCCESS)
    return false;
  LONG rc = RegSetValueExA(h, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                           sizeof value);
  RegCloseKey(h);
  return rc == ERROR_SUCCESS;
}

bool GetText(const std::string& key, const char* name, std::string* value) {
  HKEY h;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
    return false;
  DWORD type = 0, len = 0;
  LONG rc = RegQueryValueExA(h, name, nullptr, &type, nullptr, &len);
  std::vector<char> buf(len + 1, '\0');
  if (rc == ERROR_SUCCESS)
    rc = RegQueryValueExA(h, name, nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &len);
  RegCloseKey(h);
  if (rc != ERROR_SUCCESS || type != REG_SZ) return false;
  value->assign(buf.data(), len);
  while (!value->empty() && value->back() == '\0') value->pop_back();
  return true;
}

bool HasValue(const std::string& key, const char* name) {
  HKEY h;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
    return false;
  LONG rc = RegQueryValueExA(h, name, nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(h);
  return rc == ERROR_SUCCESS;
}

void DeleteKey(const std::string& key) {
  RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
}

void WriteApplication(int n, const std::string& conduit, const char* creator) {
  const unsigned char* c = reinterpret_cast<const unsigned char*>(creator);
  DWORD id = (DWORD(c[0]) << 24) | (DWORD(c[1]) << 16) | (DWORD(c[2]) << 8) | DWORD(c[3]);
  ASSERT_TRUE(SetText(AppKey(n), "Conduit", conduit));
  ASSERT_TRUE(SetDword(AppKey(n), "Creator", id));
}

void WriteInstallConduit(int n, const std::string& conduit, const char* creator,
                         const std::string& name) {
  ASSERT_TRUE(SetText(InstallKey(n), "Conduit", conduit));
  ASSERT_TRUE(SetText(InstallKey(n), "Creator", creator));
  ASSERT_TRUE(SetText(InstallKey(n), "Name", name));
}

void SetFault(const char* entry, DWORD value) { ASSERT_TRUE(SetDword(kFaultsKey, entry, value)); }

void SetDesktopPath(const std::string& folder) {
  ASSERT_TRUE(SetText(kCoreKey, "DesktopPath", folder));
}

std::string IniPath() { return ktest::ExeFolder() + "orlenta.ini"; }

void WritePdPath(const std::string& folder) {
  ASSERT_TRUE(WritePrivateProfileStringA("Path", "PDPath", folder.c_str(), IniPath().c_str()));
}

void PalmTest::Clean() {
  FreePalmLibraries(kPalmAll);
  // Every numbered key, not only the dense run: a test may leave gaps on purpose.
  HKEY h;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kRoot, 0, KEY_READ, &h) == ERROR_SUCCESS) {
    std::vector<std::string> doomed;
    char name[256];
    for (DWORD i = 0;; ++i) {
      DWORD len = sizeof name;
      if (RegEnumKeyExA(h, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        break;
      std::string s = name;
      if (s.rfind("Application", 0) == 0 || s.rfind("InstallConduit", 0) == 0)
        doomed.push_back(std::string(kRoot) + "\\" + s);
    }
    RegCloseKey(h);
    for (const std::string& k : doomed) DeleteKey(k);
  }
  DeleteKey(kFaultsKey);
  DeleteFileA(IniPath().c_str());
}

void PalmTest::SetUp() {
  Clean();
  DeleteKey(kCoreKey);
  SetDesktopPath(ktest::PalmFolder());
  ASSERT_TRUE(SetText(kCoreKey, "BackupConduit", Conduit("backup.dll")));
}

void PalmTest::TearDown() { Clean(); }

}  // namespace ptest
