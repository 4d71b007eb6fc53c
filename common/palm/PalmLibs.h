#pragma once
// The four Palm Desktop libraries, bound at run time from the Palm Desktop folder: where the
// folder is, the process-wide entry-point tables, and one checked helper per call the program
// makes. A call through an entry that is not bound is never made and answers kPalmMissing.

#include <windows.h>

#include "misc/KxHandle.h"

// Results of the folder look-up and of calls through the tables.
enum : int {
  kPalmMissing = -100,         // no buffer or capacity, or the entry point is not bound
  kPalmNotRegistered = -101,   // Palm Desktop's registry key or value cannot be read
  kPalmBufferTooSmall = -102,  // the registered folder does not fit the buffer
};

// Library flag bits of LoadPalmLibraries and FreePalmLibraries.
enum : unsigned {
  kPalmCondMgr = 0x1,   // condmgr.dll
  kPalmUserData = 0x2,  // UserData.dll
  kPalmHsApi = 0x4,     // HSAPI.DLL
  kPalmInstAide = 0x8,  // instaide.dll
  kPalmAll = 0xF,
};

// Fills szBuf (cap bytes) with the Palm Desktop folder as found: "PDPath" of section "Path" in
// orlenta.ini in the program folder, else HKCU "Software\U.S. Robotics\Pilot Desktop\Core"
// value "DesktopPath". 0, or kPalmMissing / kPalmNotRegistered / kPalmBufferTooSmall.
// The folder is read again on every call.
int GetPalmDesktopPath(char* szBuf, int cap);

// Binds the libraries of the set bits in the order 1, 2, 4, 8 and stops at the first that
// fails (the earlier ones stay bound). True when every requested library was bound.
bool LoadPalmLibraries(unsigned flags);
// Releases the libraries of the set bits; releasing an unbound library does nothing.
void FreePalmLibraries(unsigned flags);

namespace palm {

// Entry-point lists, in table order. One list makes both the index enum and the name table,
// so the two cannot drift apart.
#define KX_CONDMGR_ENTRIES(X)                                                                  \
  X(CmGetLibVersion) X(CmConvertCreatorIDToString) X(CmConvertStringToCreatorID)               \
  X(CmGetConduitCount) X(CmGetCreatorIDList) X(CmGetConduitCreatorID) X(CmGetConduitByCreator) \
  X(CmInstallConduit) X(CmInstallCreator) X(CmRemoveConduitByCreatorID)                       \
  X(CmSetCreatorPriority) X(CmGetCreatorPriority) X(CmSetCreatorName) X(CmGetCreatorName)      \
  X(CmSetCreatorDirectory) X(CmGetCreatorDirectory) X(CmSetCreatorRemote)                      \
  X(CmGetCreatorRemote) X(CmSetCreatorUser) X(CmGetCreatorUser) X(CmSetCreatorTitle)           \
  X(CmGetCreatorTitle) X(CmSetCreatorInfo) X(CmGetCreatorInfo) X(CmSetCreatorFile)             \
  X(CmGetCreatorFile) X(CmGetCreatorType) X(CmSetCreatorIntegrate) X(CmGetCreatorIntegrate)    \
  X(CmSetCreatorModule) X(CmGetCreatorModule) X(CmSetCreatorArgument)                          \
  X(CmGetCreatorArgument) X(CmSetComPort) X(CmGetComPort) X(CmSetBackupConduit)                \
  X(CmGetBackupConduit) X(CmSetNotifierDll) X(CmGetNotifierDll) X(CmSetPCIdentifier)           \
  X(CmGetPCIdentifier) X(CmGetCorePath) X(CmSetCorePath) X(CmGetHotSyncExecPath)               \
  X(CmSetHotSyncExecPath) X(CmSetCreatorValueDword) X(CmGetCreatorValueDword)                  \
  X(CmSetCreatorValueString) X(CmGetCreatorValueString) X(CmRestoreHotSyncSettings)

#define KX_USERDATA_ENTRIES(X)                                                                 \
  X(UmGetLibVersion) X(UmGetUserCount) X(UmGetUserID) X(UmGetUserName) X(UmGetUserDirectory)  \
  X(UmGetUserPassword) X(UmIsUserInstalled) X(UmIsUserProfile) X(UmSetUserName)               \
  X(UmSetUserDirectory) X(UmSetUserInstall) X(UmSetUserPermSyncPreferences)                   \
  X(UmSetUserTempSyncPreferences) X(UmGetUserPermSyncPreferences)                             \
  X(UmGetUserTempSyncPreferences) X(UmRemoveUserTempSyncPreferences)                          \
  X(UmDeleteUserPermSyncPreferences) X(UmDeleteUserTempSyncPreferences) X(UmAddUser)          \
  X(UmDeleteUser) X(UmGetRootDirectory) X(UmIsInstallMaskSet) X(UmClearInstallMask)           \
  X(UmSetInstallMask) X(UmGetString) X(UmSetString) X(UmGetInteger) X(UmSetInteger)           \
  X(UmDeleteKey) X(UmGetIDFromPath) X(UmGetIDFromName) X(UmSlotGetExpMgrVersion)              \
  X(UmSlotGetSlotCount) X(UmSlotGetInfo) X(UmSlotGetMediaType) X(UmSlotGetDisplayName)        \
  X(UmSlotGetInstallDirectory)

#define KX_HSAPI_ENTRIES(X)                                                                    \
  X(HsGetApiVersion) X(HsGetSyncStatus) X(HsCheckApiStatus) X(HsDisplayCustomDlg)             \
  X(HsDisplayLog) X(HsDisplayFileLink) X(HsResetComm) X(HsSetCommStatus) X(HsGetCommStatus)   \
  X(HsSetAppStatus) X(HsRefreshConduitInfo)

// "PlmGetLibVesion" is spelled as the library exports it.
#define KX_INSTAIDE_ENTRIES(X)                                                                 \
  X(PlmGetLibVesion) X(PltGetUserCount) X(PltGetUser) X(PltInstallFile) X(PltGetFileCount)    \
  X(PltGetFileName) X(PltGetFileInfo) X(PltRemoveInstallFile) X(PltGetPath) X(PltSetPath)     \
  X(PltGetInstallFileFilter) X(PltGetFileTypesCount) X(PltGetFileTypeExtension)               \
  X(PltGetInstallConduitCount) X(PltGetInstallConduitInfo) X(PltIsInstallMaskSet)             \
  X(PltResetInstallMask) X(PltGetInstallCreatorInfo) X(PltSetInstallRegistry)                 \
  X(PltGetRegistryPath) X(PltGetUserDirectory) X(PltIsUserProfile) X(PlmGetUserNameFromID)    \
  X(PlmGetUserIDFromName) X(PltInstallFileToDest) X(PltGetInstallFileFilterForUser)           \
  X(PlmSlotGetFileCount) X(PlmSlotGetFileInfo) X(PlmSlotInstallFile)                          \
  X(PlmSlotRemoveInstallFile) X(PlmSlotMoveInstallFile) X(PlmMoveInstallFileToSlot)           \
  X(PlmMoveInstallFileToHandheld)

#define KX_PALM_ENUM_ITEM(name) name,
enum class CmEntry : int { KX_CONDMGR_ENTRIES(KX_PALM_ENUM_ITEM) Count };
enum class UmEntry : int { KX_USERDATA_ENTRIES(KX_PALM_ENUM_ITEM) Count };
enum class HsEntry : int { KX_HSAPI_ENTRIES(KX_PALM_ENUM_ITEM) Count };
enum class PltEntry : int { KX_INSTAIDE_ENTRIES(KX_PALM_ENUM_ITEM) Count };
#undef KX_PALM_ENUM_ITEM

static_assert(static_cast<int>(CmEntry::Count) == 50, "condmgr.dll table");
static_assert(static_cast<int>(UmEntry::Count) == 37, "UserData.dll table");
static_assert(static_cast<int>(HsEntry::Count) == 11, "HSAPI.DLL table");
static_assert(static_cast<int>(PltEntry::Count) == 33, "instaide.dll table");

// One library slot. Unbound: no module and every entry nullptr.
struct PalmLibrary {
  const char* szFile;             // file name in the Palm Desktop folder
  const char* const* pszNames;    // entry-point names, in table order
  int nEntries;
  FARPROC* pEntries;              // nEntries addresses; nullptr where not exported
  kx::UniqueModule hModule;
};

// The slot of one flag bit (kPalmCondMgr ... kPalmInstAide); nullptr for any other value.
PalmLibrary* GetPalmLibrary(unsigned bit);

// Table entries by name; tests may clear one to stand for a missing export.
FARPROC& Entry(CmEntry e);
FARPROC& Entry(UmEntry e);
FARPROC& Entry(HsEntry e);
FARPROC& Entry(PltEntry e);

// The calls the program makes. Each tests its entry first and answers kPalmMissing without
// calling when it is empty. Buffers are passed with their capacity and come back terminated
// inside it whatever the library wrote.
int CmGetConduitCount();
int CmGetConduitCreatorID(int nIndex, char* szCreatorID, int cap);
int CmGetCreatorName(const char* szCreatorID, char* szBuf, int cap);
int CmConvertStringToCreatorID(const char* szCreatorID, DWORD* pdwCreatorID);
int CmGetCreatorIntegrate(const char* szCreatorID, DWORD* pdwIntegrate);
int CmGetCreatorPriority(const char* szCreatorID, int* pnPriority);
int CmGetCreatorFile(const char* szCreatorID, char* szBuf, int cap);
int CmGetCreatorDirectory(const char* szCreatorID, char* szBuf, int cap);
int CmGetCreatorInfo(const char* szCreatorID, char* szBuf, int cap);
int CmGetCreatorRemote(const char* szCreatorID, char* szBuf, int cap);
int CmGetCreatorTitle(const char* szCreatorID, char* szBuf, int cap);
int CmGetBackupConduit(char* szBuf, int cap);
int CmInstallCreator(const char* szCreatorID, int nType);
int CmSetCreatorName(const char* szCreatorID, const char* szConduit);
int CmSetCreatorDirectory(const char* szCreatorID, const char* szDirectory);
int CmSetCreatorFile(const char* szCreatorID, const char* szFile);
int CmSetCreatorPriority(const char* szCreatorID, int nPriority);
int CmSetCreatorRemote(const char* szCreatorID, const char* szRemote);
int CmSetCreatorTitle(const char* szCreatorID, const char* szTitle);
int CmRemoveConduitByCreatorID(const char* szCreatorID);

int HsDisplayCustomDlg();

int PltGetInstallConduitCount();
// pRecord is a binary record of cap bytes; it is passed as it is.
int PltGetInstallConduitInfo(int nIndex, void* pRecord, int cap);

}  // namespace palm
