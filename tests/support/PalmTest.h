#pragma once
// Shared fixture of the Palm Desktop tests: the stand-in Palm Desktop found through the registry
// as on a user's PC, and a clean set of registrations before and after every test.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace ptest {

extern const char kRoot[];      // "Software\U.S. Robotics\Pilot Desktop"
extern const char kCoreKey[];
extern const char kFaultsKey[];

std::string AppKey(int n);      // kRoot\Application<n>
std::string InstallKey(int n);  // kRoot\InstallConduit<n>
std::string Conduit(const char* file);  // full path of a sample conduit

bool SetText(const std::string& key, const char* name, const std::string& value);
bool SetDword(const std::string& key, const char* name, DWORD value);
// A text value as stored, terminated or not; false when it cannot be read.
bool GetText(const std::string& key, const char* name, std::string* value);
bool HasValue(const std::string& key, const char* name);
void DeleteKey(const std::string& key);

// A registration written directly, the way the Conduit Manager keeps it.
void WriteApplication(int n, const std::string& conduit, const char* creator);
// An install conduit as the install aide reports it.
void WriteInstallConduit(int n, const std::string& conduit, const char* creator,
                         const std::string& name);
// Makes the stand-in entry answer `value` without doing anything.
void SetFault(const char* entry, DWORD value);

void SetDesktopPath(const std::string& folder);
std::string IniPath();  // orlenta.ini in the test program's folder
void WritePdPath(const std::string& folder);

class PalmTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  static void Clean();
};

}  // namespace ptest
