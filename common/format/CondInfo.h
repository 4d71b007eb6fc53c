#pragma once
// One conduit's description: a fixed 540-byte record. The same byte image lives in memory, is
// copied whole between catalogues and lists, and is stored whole in backup sets and in the
// removed-conduit store, so its layout must not change in either architecture.

#include <cstddef>
#include <cstdint>

class CCondObj;

// Status values.
enum : int32_t {
  kStatusMissing = 0,     // library file missing (and every system catalogue record)
  kStatusInstalled = 1,   // registered and its library file exists
  kStatusRemoved = 2,     // removed by RemoveConduit while its library file still exists
};

// Origin values: which part of the catalogue load made the record.
enum : int32_t {
  kOriginInstallCommand = 0,
  kOriginRegistered = 1,
  kOriginBackup = 2,
  kOriginInstall = 4,
};

const uint32_t kFlagRemoved = 0x1;              // bit 0 of dwFlags: restorable conduit
const uint32_t kBackupCreatorID = 0xFFFFFFFFu;  // numeric creator ID of the backup conduit

// The module-object slot (offset 504) is four bytes, too small for a 64-bit pointer. It holds a
// 32-bit handle into a process-wide table of CCondObj objects instead (0 = none), so the same
// rules hold in both builds:
//  - A byte copy of a record carries the same handle, and so refers to the same object, without
//    owning it. Only the record held by a catalogue owns it; the catalogue's Clear releases it.
//  - Once released, a handle resolves to nullptr (handles are never reused while the process
//    runs), so a stale copy can never reach another record's object.
//  - Writers store 0 in the slot on disk and readers ignore what they find there.
using CondObjHandle = uint32_t;

#pragma pack(push, 1)
struct CondInfo {
  uint32_t dwCreatorID;      //   0 numeric creator ID
  char szCreatorID[8];       //   4 four characters, zero-terminated
  uint32_t dwIntegrate;      //  12 carried, never shown or written back
  char szConduit[260];       //  16 library path: full, or relative to the Palm Desktop folder
  char szDirectory[32];      // 276 data directory
  char szFile[32];           // 308 data file name
  char szRemote[32];         // 340 remote (handheld) database name
  int32_t nPriority;         // 372 registered as 1..5, anything else as 2
  char szInfo[64];           // 376 carried, never shown or written back
  char szName[64];           // 440 display name
  CondObjHandle hCondObj;    // 504 module object (see above)
  int32_t nStatus;           // 508 kStatus...
  char szProduct[20];        // 512 companion product name ("PocketMirror")
  int32_t nOrigin;           // 532 kOrigin...
  uint32_t dwFlags;          // 536 bit 0: removed flag
};
#pragma pack(pop)

static_assert(sizeof(CondInfo) == 540, "CondInfo is a 540-byte record");
static_assert(offsetof(CondInfo, dwCreatorID) == 0, "layout");
static_assert(offsetof(CondInfo, szCreatorID) == 4, "layout");
static_assert(offsetof(CondInfo, dwIntegrate) == 12, "layout");
static_assert(offsetof(CondInfo, szConduit) == 16, "layout");
static_assert(offsetof(CondInfo, szDirectory) == 276, "layout");
static_assert(offsetof(CondInfo, szFile) == 308, "layout");
static_assert(offsetof(CondInfo, szRemote) == 340, "layout");
static_assert(offsetof(CondInfo, nPriority) == 372, "layout");
static_assert(offsetof(CondInfo, szInfo) == 376, "layout");
static_assert(offsetof(CondInfo, szName) == 440, "layout");
static_assert(offsetof(CondInfo, hCondObj) == 504, "layout");
static_assert(offsetof(CondInfo, nStatus) == 508, "layout");
static_assert(offsetof(CondInfo, szProduct) == 512, "layout");
static_assert(offsetof(CondInfo, nOrigin) == 532, "layout");
static_assert(offsetof(CondInfo, dwFlags) == 536, "layout");

// Resolves a record's module object; nullptr for none or for a released one.
CCondObj* GetCondObj(const CondInfo& info);
