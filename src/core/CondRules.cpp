#include "CondRules.h"

#include <cstdlib>
#include <cstring>

#include "palm/CondMgr.h"

namespace condtext {
const char kNotConduit[] = "This is not a valid Palm Conduit, please try another one";
const char kAlreadyInstalled[] = "This conduit has been installed in the system.";
const char kConflict[] =
    "There is another conduit \"%s\" was associated with creator ID \"%s\", it must be "
    "uninstalled before you install this conduit. Do you want to uninstall it?";
const char kInstallFailed[] =
    "Conduit \"%s\" installed failed. Please make sure that you have enough access rights to "
    "your system.";
const char kInstalled[] = "Conduit \"%s\" installed successfully.";
const char kRemoveRefused[] =
    "Can not uninstall the conduit \"%s\" now, is the HotSync process running?";
const char kConfirmUninstall[] = "Do you really want to uninstall conduit \"%s\"?";
const char kUninstalled[] = "Conduit \"%s\" uninstalled successfully.";
const char kUninstalledMany[] = "Conduits uininstalled successfully.";
const char kRestoreFailed[] =
    "Conduit \"%s\" restored failed. Please make sure that you have enough access rights to "
    "your system.";
const char kConfirmRestore[] = "Do you really want to restore conduit \"%s\"?";
const char kRestored[] = "Conduit \"%s\" restored successfully.";
const char kRestoredMany[] = "Conduits restored successfully.";
const char kNoCreatorID[] = "The creator ID is the must have for Kestrin.";
const char kSettingsNotSaved[] =
    "Conduit \"%s\" settings could not be saved. Please make sure that you have enough access "
    "rights to your system.";
const char kStoreNotSaved[] =
    "Can not write the file \"%s\". The changes to the list of uninstalled conduits were not "
    "saved.";
}  // namespace condtext

std::string FormatText(const char* fmt, const char* a1, const char* a2) {
  // Only "%s" stands in these texts; filled here so no format is built at run time.
  const char* args[] = {a1 ? a1 : "", a2 ? a2 : ""};
  size_t next = 0;
  std::string out;
  for (const char* p = fmt; *p; ++p) {
    if (p[0] == '%' && p[1] == 's' && next < 2) {
      out += args[next++];
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

bool SameConduit(const CondInfo& a, const CondInfo& b) {
  return strncmp(a.szCreatorID, b.szCreatorID, sizeof a.szCreatorID) == 0 &&
         strncmp(a.szConduit, b.szConduit, sizeof a.szConduit) == 0;
}

CondInfo* FindConflict(CCondMgr& mgr, const CondInfo& info, bool bOtherPathOnly) {
  for (CondInfo* p = mgr.GetFirst(); p; p = mgr.GetNext()) {
    if (p == &info || p->nStatus != kStatusInstalled) continue;
    if (strncmp(p->szCreatorID, info.szCreatorID, sizeof p->szCreatorID) != 0) continue;
    if (bOtherPathOnly && strncmp(p->szConduit, info.szConduit, sizeof p->szConduit) == 0) {
      continue;
    }
    return p;
  }
  return nullptr;
}

int FixPriority(int nPriority) { return nPriority <= 0 ? 2 : nPriority; }

int ReadPriority(const char* text) {
  // strtol reads what atol reads, and caps instead of overflowing.
  long n = text ? strtol(text, nullptr, 10) : 0;
  if (n > 0x7FFFFFFFL) n = 0x7FFFFFFFL;
  return FixPriority(static_cast<int>(n));
}

const CreatorDefault* FindCreatorDefault(const char* text) {
  static const CreatorDefault kTable[] = {
      {"addr", "PAdd", "address", "address.dat"},
      {"date", "PDat", "datebook", "datebook.dat"},
      {"todo", "PTod", "todo", "todo.dat"},
      {"memo", "PMem", "memopad", "memopad.dat"},
  };
  if (!text) return nullptr;
  for (const CreatorDefault& d : kTable) {
    if (strcmp(text, d.szID1) == 0 || strcmp(text, d.szID2) == 0) return &d;
  }
  return nullptr;
}

void CopyCut(char* field, size_t fieldSize, const char* text, size_t limit) {
  if (!field || fieldSize == 0) return;
  if (limit > fieldSize - 1) limit = fieldSize - 1;
  size_t n = text ? strnlen(text, limit) : 0;
  if (n) memcpy(field, text, n);
  field[n] = '\0';
}

int SendConduitSettings(const CondInfo& info) {
  const char* id = info.szCreatorID;
  const int nPriority = info.nPriority >= 1 && info.nPriority <= 5 ? info.nPriority : 2;
  int r = palm::CmSetCreatorDirectory(id, info.szDirectory);
  if (r == 0) r = palm::CmSetCreatorFile(id, info.szFile);
  if (r == 0) r = palm::CmSetCreatorPriority(id, nPriority);
  if (r == 0) r = palm::CmSetCreatorRemote(id, info.szRemote);
  return r;
}
