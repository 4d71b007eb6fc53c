// A backup set as found on disk: the loading loop of CCondMgr::LoadFromFile, and the records
// written back by the writer behind SaveToFile.
#include <cstdio>
#include <cstring>

#include "format/CondRecordIO.h"
#include "format/CxList.h"
#include "format/KxSafeFile.h"
#include "format/KxText.h"
#include "FuzzSupport.h"

using namespace kfuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string in = ScratchPath("set-in.bak");
  static const std::string out = ScratchPath("set-out.bak");
  if (!WriteFile(in, data, size)) return 0;

  // The program's own loading loop, the one behind CCondMgr::LoadFromFile.
  CxList catalogue;
  Check(LoadCondRecordFile(in.c_str(), catalogue), "the set opens");
  const size_t whole = size / sizeof(CondInfo);
  Check(catalogue.GetCount() == whole, "every whole record is read, a partial one is not");

  // Each record is its bytes in the file with the texts terminated and the slot cleared.
  Bytes expected;
  size_t i = 0;
  for (auto* p = static_cast<CondInfo*>(catalogue.GetFirst()); p;
       p = static_cast<CondInfo*>(catalogue.GetNext()), ++i) {
    CondInfo rec;
    memcpy(&rec, data + i * sizeof rec, sizeof rec);
    TerminateCondTexts(rec);
    rec.hCondObj = 0;
    Check(memcmp(&rec, p, sizeof rec) == 0, "a record holds the bytes of the file");
    Check(Terminated(p->szConduit) && Terminated(p->szName) && Terminated(p->szProduct),
          "texts end inside their fields");
    const auto* b = reinterpret_cast<const unsigned char*>(&rec);
    expected.insert(expected.end(), b, b + sizeof rec);
  }

  // Written back, the set holds exactly those records.
  {
    kx::SafeFile file;
    Check(file.Open(out.c_str()), "the new set is created");
    for (auto* p = static_cast<CondInfo*>(catalogue.GetFirst()); p;
         p = static_cast<CondInfo*>(catalogue.GetNext())) {
      Check(WriteCondRecord(file, *p), "a record is written");
    }
    Check(file.Commit(), "the new set replaces the old");
  }
  Check(ReadFile(out) == expected, "the written set holds the records read");

  for (auto* p = static_cast<CondInfo*>(catalogue.GetFirst()); p;
       p = static_cast<CondInfo*>(catalogue.GetNext())) {
    delete p;
  }
  catalogue.RemoveAll();
  return 0;
}
