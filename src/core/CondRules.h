#pragma once
// Decisions of the install, uninstall, restore and properties commands that need no window:
// message texts, the conflict search, the priority rule, the creator-ID defaults, the cuts of
// the dialog's fields and the settings chain sent to the Conduit Manager.

#include <cstddef>
#include <string>

#include "format/CondInfo.h"

class CCondMgr;

namespace condtext {
// Every text takes one %s (none where noted).
extern const char kNotConduit[];        // no %s
extern const char kAlreadyInstalled[];  // no %s
extern const char kConflict[];          // two %s: the other's display name, its creator ID
extern const char kInstallFailed[];
extern const char kInstalled[];
extern const char kRemoveRefused[];
extern const char kConfirmUninstall[];
extern const char kUninstalled[];
extern const char kUninstalledMany[];   // no %s
extern const char kRestoreFailed[];
extern const char kConfirmRestore[];
extern const char kRestored[];
extern const char kRestoredMany[];      // no %s
extern const char kNoCreatorID[];       // no %s
extern const char kSettingsNotSaved[];
extern const char kStoreNotSaved[];
}  // namespace condtext

// printf-style fill of a message text; the arguments are texts only, so nothing else is read.
std::string FormatText(const char* fmt, const char* a1, const char* a2 = "");

// Creator ID text and library path equal, character by character.
bool SameConduit(const CondInfo& a, const CondInfo& b);

// The first record in catalogue order that stands in the way of `info`: registered (status 1),
// the same creator ID text exactly, and, with bOtherPathOnly, a library path that differs.
// Never `info` itself. Moves the catalogue's cursor.
CondInfo* FindConflict(CCondMgr& mgr, const CondInfo& info, bool bOtherPathOnly);

// Priority rule: 0 or less stands for 2.
int FixPriority(int nPriority);
// A typed priority read the way atol reads it (leading blanks, a sign, digits up to the first
// other character, none at all is 0), then the rule above.
int ReadPriority(const char* text);

// Data directory and data file of the standard handheld applications, by exact creator ID.
struct CreatorDefault {
  const char* szID1;
  const char* szID2;
  const char* szDirectory;
  const char* szFile;
};
// nullptr when the text matches no row (letter case counts).
const CreatorDefault* FindCreatorDefault(const char* text);

// Copies at most `limit` characters of text into a field of fieldSize bytes, terminated.
void CopyCut(char* field, size_t fieldSize, const char* text, size_t limit);
template <size_t N>
void CopyCut(char (&field)[N], const char* text, size_t limit) { CopyCut(field, N, text, limit); }

// Limits of the properties dialog's fields when written back.
const size_t kCreatorIDLimit = 4;
const size_t kSettingLimit = 31;

// Sends directory, file, priority (1..5, else 2) and remote database of the record's creator,
// in that order, while each call answers 0. 0 when all did, else the first other answer.
int SendConduitSettings(const CondInfo& info);
