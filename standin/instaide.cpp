// Stand-in install aide (instaide.dll): install conduits live in the current user's
// "Software\U.S. Robotics\Pilot Desktop\InstallConduit%d" keys, numbered densely from 0,
// with the text values "Conduit" (library), "Creator" (four characters) and "Name".
#include "StandIn.h"

namespace {

const int kRecordSize = 840;
const int kLibraryAt = 324;
const int kCreatorAt = 580;
const int kNameAt = 584;
const int kTextField = 256;

void PutField(unsigned char* rec, int at, const std::string& text) {
  int cap = kTextField;
  ks::PutText(text.c_str(), reinterpret_cast<char*>(rec + at), &cap);
}

}  // namespace

KS_UNUSED(PlmGetLibVesion)
KS_UNUSED(PltGetUserCount)
KS_UNUSED(PltGetUser)
KS_UNUSED(PltInstallFile)
KS_UNUSED(PltGetFileCount)
KS_UNUSED(PltGetFileName)
KS_UNUSED(PltGetFileInfo)
KS_UNUSED(PltRemoveInstallFile)
KS_UNUSED(PltGetPath)
KS_UNUSED(PltSetPath)
KS_UNUSED(PltGetInstallFileFilter)
KS_UNUSED(PltGetFileTypesCount)
KS_UNUSED(PltGetFileTypeExtension)

KS_ENTRY PltGetInstallConduitCount(void) {
  KS_FAULT();
  return ks::DenseCount(ks::InstallKey);
}

// Answers 1 with the record filled, 0 for a bad index or a record smaller than 840 bytes.
KS_ENTRY PltGetInstallConduitInfo(int index, void* record, int* cap) {
  KS_FAULT();
  DWORD failIndex;
  if (ks::ReadDword(HKEY_CURRENT_USER, KS_FAULTS, "PltGetInstallConduitInfoFailIndex", &failIndex) &&
      int(failIndex) == index)
    return 0;
  if (!record || !cap || *cap < kRecordSize || index < 0) return 0;
  char path[300];
  ks::InstallKey(index, path, sizeof path);
  HKEY h;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &h) != ERROR_SUCCESS) return 0;
  std::string library, creator, name;
  ks::ReadText(h, "Conduit", &library);
  ks::ReadText(h, "Creator", &creator);
  ks::ReadText(h, "Name", &name);
  RegCloseKey(h);

  unsigned char* rec = static_cast<unsigned char*>(record);
  memset(rec, 0, kRecordSize);
  // Text in the bytes the program does not read, so a misplaced read shows up as wrong text.
  char marker[64];
  snprintf(marker, sizeof marker, "stand-in install conduit %d", index);
  PutField(rec, 0, marker);
  PutField(rec, kLibraryAt, library);
  for (int i = 0; i < 4; ++i) rec[kCreatorAt + i] = i < int(creator.size()) ? creator[i] : 0;
  PutField(rec, kNameAt, name);
  return 1;
}

KS_UNUSED(PltIsInstallMaskSet)
KS_UNUSED(PltResetInstallMask)
KS_UNUSED(PltGetInstallCreatorInfo)
KS_UNUSED(PltSetInstallRegistry)
KS_UNUSED(PltGetRegistryPath)
KS_UNUSED(PltGetUserDirectory)
KS_UNUSED(PltIsUserProfile)
KS_UNUSED(PlmGetUserNameFromID)
KS_UNUSED(PlmGetUserIDFromName)
KS_UNUSED(PltInstallFileToDest)
KS_UNUSED(PltGetInstallFileFilterForUser)
KS_UNUSED(PlmSlotGetFileCount)
KS_UNUSED(PlmSlotGetFileInfo)
KS_UNUSED(PlmSlotInstallFile)
KS_UNUSED(PlmSlotRemoveInstallFile)
KS_UNUSED(PlmSlotMoveInstallFile)
KS_UNUSED(PlmMoveInstallFileToSlot)
KS_UNUSED(PlmMoveInstallFileToHandheld)
