// The PE reader over small hand-made images: what it reads from whole ones, and that damaged
// ones give a partial answer inside the buffer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "format/PeFile.h"
#include "PeImage.h"

namespace {

using Bytes = std::vector<uint8_t>;

peimage::Recipe Sample(bool plus) {
  peimage::Recipe s;
  s.pe32plus = plus;
  s.machine = plus ? pe::kMachineAmd64 : pe::kMachineI386;
  s.imports = {{"KERNEL32.dll", {"GetTickCount", "#12"}}, {"kxdep.dll", {"KxDepWhere"}}};
  s.exports = {"OpenConduit", "", "Fwd=KERNEL32.Sleep", "#", "GetConduitName"};
  s.ordinalBase = 5;
  return s;
}

pe::PeInfo Read(const Bytes& b) { return pe::ReadPe(b.data(), b.size()); }

TEST(PeFile, ReadsWholeImagesOfBothWidths) {
  for (bool plus : {false, true}) {
    SCOPED_TRACE(plus ? "PE32+" : "PE32");
    const pe::PeInfo info = Read(peimage::Build(Sample(plus)));
    EXPECT_EQ(info.kind, pe::Kind::Pe);
    EXPECT_FALSE(info.damaged);
    EXPECT_EQ(info.pe32plus, plus);
    EXPECT_EQ(info.machine, plus ? pe::kMachineAmd64 : pe::kMachineI386);
    EXPECT_TRUE(info.isDll);
    ASSERT_EQ(info.imports.size(), 2u);
    EXPECT_EQ(info.imports[0].name, "KERNEL32.dll");
    ASSERT_EQ(info.imports[0].functions.size(), 2u);
    EXPECT_EQ(info.imports[0].functions[0].name, "GetTickCount");
    EXPECT_FALSE(info.imports[0].functions[0].byOrdinal);
    EXPECT_TRUE(info.imports[0].functions[1].byOrdinal);
    EXPECT_EQ(info.imports[0].functions[1].ordinal, 12);
    EXPECT_EQ(info.imports[1].functions.at(0).name, "KxDepWhere");

    EXPECT_EQ(info.exportName, "sample.dll");
    EXPECT_EQ(info.ordinalBase, 5u);
    EXPECT_EQ(info.functionCount, 5u);
    // The hole at index 1 is no export; the rest keep their ordinals.
    ASSERT_EQ(info.exports.size(), 4u);
    EXPECT_EQ(info.exports[0].ordinal, 5u);
    EXPECT_EQ(info.exports[0].name, "OpenConduit");
    EXPECT_EQ(info.exports[1].ordinal, 7u);
    EXPECT_TRUE(info.exports[1].forwarder);
    EXPECT_EQ(info.exports[1].forwardTo, "KERNEL32.Sleep");
    EXPECT_EQ(info.exports[2].ordinal, 8u);
    EXPECT_EQ(info.exports[2].name, "");
    EXPECT_FALSE(info.exports[2].forwarder);
    EXPECT_TRUE(pe::ExportsName(info, "GetConduitName"));
    EXPECT_TRUE(pe::ExportsName(info, "Fwd"));
    EXPECT_FALSE(pe::ExportsName(info, "CfgConduit"));
    EXPECT_TRUE(pe::ExportsOrdinal(info, 8));
    EXPECT_FALSE(pe::ExportsOrdinal(info, 6));  // the hole
    EXPECT_FALSE(pe::ExportsOrdinal(info, 10));
  }
}

TEST(PeFile, TellsKindsApart) {
  peimage::Recipe exe;
  exe.dll = false;
  Bytes le = peimage::Build16();
  le[0x40] = 'L';
  Bytes farHeader = peimage::Build(Sample(false));
  peimage::Put32(farHeader, 0x3C, 0xFFFFFFF0u);
  struct Case {
    const char* what;
    Bytes bytes;
    pe::Kind kind;
  } cases[] = {
      {"empty", {}, pe::Kind::NotExecutable},
      {"text", {'h', 'e', 'l', 'l', 'o'}, pe::Kind::NotExecutable},
      {"bare MZ", {'M', 'Z', 0, 0}, pe::Kind::Dos},
      {"NE", peimage::Build16(), pe::Kind::Windows16},
      {"LE", le, pe::Kind::Windows16},
      {"e_lfanew past the end", farHeader, pe::Kind::Dos},
      {"program", peimage::Build(exe), pe::Kind::Pe},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const pe::PeInfo info = Read(c.bytes);
    EXPECT_EQ(info.kind, c.kind);
    EXPECT_FALSE(info.isDll);
  }
}

TEST(PeFile, EveryCutOfAnImageStaysInside) {
  for (bool plus : {false, true}) {
    const Bytes whole = peimage::Build(Sample(plus));
    for (size_t n = 0; n < whole.size(); ++n) {
      // A copy of exactly n bytes, so a read past it is a read past the allocation.
      const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
      const pe::PeInfo info = Read(cut);
      EXPECT_LE(info.functionCount, n / 4);
      if (info.kind == pe::Kind::Pe && n < whole.size()) {
        EXPECT_LE(info.imports.size(), 2u);
        EXPECT_LE(info.exports.size(), 4u);
      }
    }
    // The headers alone are whole; the tables in the section are not.
    const Bytes headers(whole.begin(), whole.begin() + 0x200);
    const pe::PeInfo info = Read(headers);
    EXPECT_EQ(info.kind, pe::Kind::Pe);
    EXPECT_TRUE(info.damaged);
    EXPECT_TRUE(info.imports.empty());
  }
}

TEST(PeFile, DamagedTablesGiveWhatFits) {
  peimage::Layout l;
  const Bytes whole = peimage::Build(Sample(false), &l);
  struct Case {
    const char* what;
    size_t at;
    int width;
    uint32_t value;
    bool keepsImports;
  } cases[] = {
      {"export count far beyond the file", l.exportDir + 20, 4, 0x7FFFFFFFu, true},
      {"export name count far beyond the file", l.exportDir + 24, 4, 0x7FFFFFFFu, true},
      {"export table outside every section", l.exportDir + 28, 4, 0x00F00000u, true},
      {"first DLL name outside the file", l.importDir + 12, 4, 0x7FFFFFF0u, true},
      {"lookup table outside the file", l.importDir, 4, 0x7FFFFFF0u, true},
      {"section data past the end", l.sections + 20, 4, 0xFFFFFF00u, false},
      {"section count beyond the loader's limit", l.coff + 2, 2, 200, false},
      {"optional header larger than the file", l.coff + 16, 2, 0xFFFF, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes b = whole;
    if (c.width == 2)
      peimage::Put16(b, c.at, c.value);
    else
      peimage::Put32(b, c.at, c.value);
    const pe::PeInfo info = Read(b);
    EXPECT_LE(info.functionCount, b.size() / 4);
    if (c.keepsImports) {
      EXPECT_TRUE(info.damaged);
      EXPECT_EQ(info.imports.size(), 2u);
    } else {
      EXPECT_TRUE(info.imports.empty());
      EXPECT_TRUE(info.exports.empty());
    }
  }
}

TEST(PeFile, NameRunningToTheEndIsCut) {
  peimage::Layout l;
  Bytes b = peimage::Build(Sample(false), &l);
  // The export directory's own name is the last text written: run it to the end of the file.
  while (b.back() == 0) b.pop_back();
  const pe::PeInfo info = Read(b);
  EXPECT_TRUE(info.damaged);
  EXPECT_EQ(info.exportName, "sample.dll");
  EXPECT_LE(info.exportName.size(), pe::kMaxName);
}

}  // namespace
