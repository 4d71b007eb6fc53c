// The PE reader over any bytes: no read outside the buffer (ASan), names bounded and free of
// zeros, export ordinals inside the table that was read, nothing kept unless the headers were
// whole, and the same answer twice.
#include <cstring>

#include "format/PeFile.h"
#include "FuzzSupport.h"

using namespace kfuzz;

namespace {

bool Bounded(const std::string& s) {
  return s.size() <= pe::kMaxName && memchr(s.data(), 0, s.size()) == nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A private copy, so a read past the end hits ASan's redzone rather than libFuzzer's data.
  std::vector<uint8_t> bytes(data, data + size);
  const pe::PeInfo info = pe::ReadPe(bytes.data(), bytes.size());

  if (info.kind != pe::Kind::Pe) {
    Check(info.imports.empty() && info.exports.empty() && info.functionCount == 0,
          "tables only from whole headers");
  }
  Check(info.functionCount <= size / 4, "the export table fits in the file");
  Check(info.exports.size() <= info.functionCount, "no more exports than table entries");
  Check(Bounded(info.exportName), "export name bounded");
  uint32_t last = 0;
  for (size_t i = 0; i < info.exports.size(); ++i) {
    const pe::ExportedFunction& e = info.exports[i];
    Check(Bounded(e.name) && Bounded(e.forwardTo), "export names bounded");
    Check(e.forwarder || e.forwardTo.empty(), "only forwarders forward");
    Check(e.ordinal - info.ordinalBase < info.functionCount, "ordinal inside the table");
    Check(i == 0 || e.ordinal - info.ordinalBase > last - info.ordinalBase, "ordinals ascend");
    last = e.ordinal;
  }
  size_t kept = 0;
  for (const pe::ImportedDll& d : info.imports) {
    Check(Bounded(d.name), "DLL names bounded");
    kept += d.name.size();
    for (const pe::ImportedFunction& f : d.functions) {
      Check(Bounded(f.name), "function names bounded");
      Check(!f.byOrdinal || f.name.empty(), "an ordinal import has no name");
      kept += f.name.size() + sizeof f;
    }
  }
  Check(kept <= 8 * size + 65536, "imports kept in proportion to the file");

  const pe::PeInfo again = pe::ReadPe(bytes.data(), bytes.size());
  Check(again.kind == info.kind && again.imports.size() == info.imports.size() &&
            again.exports.size() == info.exports.size() && again.damaged == info.damaged,
        "the same answer twice");
  return 0;
}
