// The install aide's 840-byte record: whatever its bytes, every text ends inside its field and
// holds the record's bytes up to the first zero, cut to the shorter of the two fields.
#include <cstring>

#include "format/InstallRecord.h"
#include "FuzzSupport.h"

using namespace kfuzz;

namespace {

// The text the record holds at `offset`, at most `max` bytes, then cut to fit `cap` with its zero.
std::string Expected(const unsigned char* rec, size_t offset, size_t max, size_t cap) {
  const char* p = reinterpret_cast<const char*>(rec + offset);
  size_t n = strnlen(p, max);
  if (n > cap - 1) n = cap - 1;
  return std::string(p, n);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  unsigned char rec[kInstallRecordSize];
  memset(rec, 0, sizeof rec);
  memcpy(rec, data, size < sizeof rec ? size : sizeof rec);

  // Garbage around the record's texts must stay out of them.
  CondInfo info;
  memset(&info, 0xA5, sizeof info);
  ReadInstallRecord(rec, info);

  Check(Terminated(info.szCreatorID) && Terminated(info.szConduit) && Terminated(info.szName),
        "texts end inside their fields");
  Check(memcmp(&info.dwCreatorID, rec + 580, 4) == 0, "the creator number is the record's");
  Check(memcmp(info.szCreatorID, rec + 580, 4) == 0 && info.szCreatorID[4] == '\0',
        "the creator ID is the record's four bytes");
  Check(info.szConduit == Expected(rec, 324, 256, sizeof info.szConduit),
        "the library path is the record's, cut");
  Check(info.szName == Expected(rec, 584, 256, sizeof info.szName), "the name is the record's, cut");
  return 0;
}
