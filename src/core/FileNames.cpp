#include "FileNames.h"

#include <cctype>
#include <cstring>

#include "format/KxSafeFile.h"
#include "misc/WinUtil.h"

const char* const kProgramFileNames[] = {
    "orlenta.ini",     "KestrinRes.dat",  "kestrinlog.dat",     "kestrinlog.html",
    "condrpt.html",    "condcheck.html",  "KestrinLoad.dat",    "KestrinSkip.dat",
    "kestrinset9999.bak",
};
const size_t kProgramFileNameCount = sizeof kProgramFileNames / sizeof kProgramFileNames[0];

bool ProgramFilePath(const char* name, std::string* pPath) {
  char szFolder[MAX_PATH];
  if (!pPath || !GetProgramFolder(nullptr, szFolder)) return false;
  *pPath = std::string(szFolder) + name;
  return true;
}

namespace filetext {
const char kFolderTooLong[] =
    "Kestrin cannot run from the folder \"%s\": its path is too long. Move it to a folder with "
    "a shorter path.";
const char kInvalidSetName[] = "Please enter a valid file name for the new backup set.";
}  // namespace filetext

namespace {

const size_t kMaxPathChars = 259;  // MAX_PATH less its terminating zero

bool IsDeviceName(const char* name) {
  // The part before the first dot, blanks at its end ignored: "con.bak" and "NUL " are devices.
  std::string base(name, strcspn(name, "."));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* d : kDevices) {
    if (base == d) return true;
  }
  return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
         base[3] >= '1' && base[3] <= '9';
}

}  // namespace

bool FitsInFolder(const char* folder, const char* name) {
  return strlen(folder ? folder : "") + strlen(name ? name : "") + kx::kSafeFileSuffixMax <=
         kMaxPathChars;
}

bool ProgramFolderTooLong(const char* folder) {
  for (size_t i = 0; i < kProgramFileNameCount; ++i) {
    if (!FitsInFolder(folder, kProgramFileNames[i])) return true;
  }
  return false;
}

bool IsValidSetName(const char* name, const char* folder) {
  if (!name || !name[0]) return false;
  for (const char* p = name; *p; ++p) {
    const auto c = static_cast<unsigned char>(*p);
    if (c < 32 || strchr("\\/:*?\"<>|", c)) return false;
  }
  const char last = name[strlen(name) - 1];
  if (last == '.' || last == ' ') return false;
  return !IsDeviceName(name) && FitsInFolder(folder, name);
}
