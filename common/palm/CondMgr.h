#pragma once
// The conduit catalogue: an ordered list of owned CondInfo records, filled from the Conduit
// Manager and the install aide, and the two operations that change a registration.
// Including this header gives the whole Palm Desktop integration.

#include <cstdint>

#include "CondObj.h"
#include "format/CondInfo.h"
#include "PalmLibs.h"

class CxList;

// Flag bits of CCondMgr::Load.
enum : unsigned {
  kLoadRegistered = 0x01,   // conduits registered with the Conduit Manager
  kLoadBackup = 0x02,       // the backup conduit
  kLoadInstall = 0x04,      // the install aide's install conduits
  kLoadKeepMissing = 0x20,  // keep a registration whose library file is missing (non-empty path)
  kLoadApplication = kLoadRegistered | kLoadKeepMissing,
  kLoadSystem = kLoadBackup | kLoadInstall,
};

class CCondMgr {
 public:
  CCondMgr();
  virtual ~CCondMgr();

  CCondMgr(const CCondMgr&) = delete;
  CCondMgr& operator=(const CCondMgr&) = delete;

  // Empties the catalogue and fills it from the Palm libraries. Always true.
  bool Load(unsigned flags);
  // Destroys every record with its module object (unloading its library), then empties the list.
  void Clear();

  // Writes every record, in catalogue order, as a backup set: 540 bytes each, no header, 0 in
  // the module-object slot. The file is written beside the target and replaces it only when
  // complete, so false (empty path, file not created, any failed write) leaves the old one whole.
  bool SaveToFile(const char* pszPath);
  // Replaces the catalogue by the whole records of a backup set, each with its texts terminated
  // inside their fields and no module object; a trailing partial record is ignored. An empty
  // path fails with the catalogue as it was; otherwise true when at least one record was read.
  bool LoadFromFile(const char* pszPath);

  // Iteration in catalogue order. Find, Contains and Add move the same cursor, so an iteration
  // cannot go on after one of them.
  CondInfo* GetFirst();
  CondInfo* GetNext();
  uint32_t GetCount() const;

  // The first record whose creator ID and library path match, without regard to case; the path
  // also matches in its short (8.3) form. nullptr for a missing or empty argument.
  CondInfo* Find(const char* pszCreatorID, const char* pszConduit);
  bool Contains(const CondInfo* pInfo);
  // Takes the record over unless it is null or already held (the caller then still owns it).
  bool Add(CondInfo* pInfo);

  // Sends the record's registration to the Conduit Manager and completes a PocketMirror one.
  // Status 1 and true when every step succeeded; a failure part-way is not undone.
  bool RegisterConduit(CondInfo* pInfo);
  // Status 2 or 0 as the library file exists, then removes the creator's registration.
  // True only when the Conduit Manager answered 1.
  bool RemoveConduit(CondInfo* pInfo);

  CxList* m_pConduits;
};

// PocketMirror conduits need "UiModule" and "UiEntry" in their registration key, which the
// Conduit Manager does not write.
bool IsPocketMirrorConduit(const CondInfo* pInfo);
// The first HKCU "Software\U.S. Robotics\Pilot Desktop\Application%d" key (walked from 0 to the
// first missing number) whose "Conduit" has the record's library base name; szKey holds 260.
bool FindApplicationKey(const CondInfo* pInfo, char* szKey);
// 0 when no key was found, else the result of the last registry operation.
long SetPocketMirrorUi(const CondInfo* pInfo);
