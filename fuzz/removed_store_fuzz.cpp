// KestrinRes.dat as found on disk: read, written back and read again.
#include <cstring>

#include "format/CxList.h"
#include "format/KxFileExists.h"
#include "format/RemovedStore.h"
#include "FuzzSupport.h"

using namespace kfuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string in = ScratchPath("removed-in.dat");
  static const std::string out = ScratchPath("removed-out.dat");
  if (!WriteFile(in, data, size)) return 0;

  CxList list;
  Check(LoadRemovedStore(in.c_str(), list), "an existing store opens");
  Check(list.GetCount() <= size / sizeof(CondInfo), "no more entries than whole records");
  for (auto* p = static_cast<CondInfo*>(list.GetFirst()); p;
       p = static_cast<CondInfo*>(list.GetNext())) {
    Check(p->dwFlags & kFlagRemoved, "every entry read is marked removed");
    Check(p->hCondObj == 0, "an entry read from a file has no module object");
    Check(Terminated(p->szCreatorID) && Terminated(p->szConduit) && Terminated(p->szDirectory) &&
              Terminated(p->szFile) && Terminated(p->szRemote) && Terminated(p->szInfo) &&
              Terminated(p->szName) && Terminated(p->szProduct),
          "every text ends inside its field");
    Check(kx::FileExists(p->szConduit), "only entries whose library exists are kept");
  }

  // What was read survives a save and a second read unchanged.
  Check(SaveRemovedStore(out.c_str(), list), "the store is written");
  Check(ReadFile(out).size() == list.GetCount() * sizeof(CondInfo), "one record per entry");
  CxList again;
  Check(LoadRemovedStore(out.c_str(), again), "the written store opens");
  Check(again.GetCount() == list.GetCount(), "the same entries come back");
  auto* a = static_cast<CondInfo*>(list.GetFirst());
  auto* b = static_cast<CondInfo*>(again.GetFirst());
  for (; a && b; a = static_cast<CondInfo*>(list.GetNext()),
                 b = static_cast<CondInfo*>(again.GetNext())) {
    Check(memcmp(a, b, sizeof *a) == 0, "an entry comes back byte for byte");
  }
  ClearCondList(again);
  ClearCondList(list);
  return 0;
}
