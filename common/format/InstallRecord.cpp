#include "InstallRecord.h"

#include <cstring>

namespace {

const size_t kConduitOffset = 324;
const size_t kCreatorOffset = 580;
const size_t kNameOffset = 584;

// Copies a text that may run up to srcMax bytes without a terminator.
void CopyBounded(char* dst, size_t cap, const unsigned char* src, size_t srcMax) {
  const size_t n = strnlen(reinterpret_cast<const char*>(src), srcMax < cap ? srcMax : cap - 1);
  memcpy(dst, src, n);
  dst[n] = '\0';
}

}  // namespace

void ReadInstallRecord(const unsigned char (&rec)[kInstallRecordSize], CondInfo& info) {
  memcpy(&info.dwCreatorID, rec + kCreatorOffset, 4);
  memcpy(info.szCreatorID, rec + kCreatorOffset, 4);
  info.szCreatorID[4] = '\0';
  CopyBounded(info.szConduit, sizeof info.szConduit, rec + kConduitOffset,
              kCreatorOffset - kConduitOffset);
  CopyBounded(info.szName, sizeof info.szName, rec + kNameOffset,
              kInstallRecordSize - kNameOffset);
}
