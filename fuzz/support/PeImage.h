#pragma once
// Small hand-made PE images for the PE reader's seeds and unit tests: the headers, one section
// at RVA 0x1000 (file offset 0x200) that holds an import and an export directory. Header-only,
// so both the native fuzz build and the Windows tests use it.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace peimage {

struct Recipe {
  uint16_t machine = 0x14c;
  bool pe32plus = false;
  bool dll = true;
  // Each DLL with its functions; "#12" imports ordinal 12.
  std::vector<std::pair<std::string, std::vector<std::string>>> imports;
  // "Name" an export, "Name=DLL.Func" a forwarder, "#" an export by ordinal only, "" a hole.
  std::vector<std::string> exports;
  std::string exportName = "sample.dll";
  uint32_t ordinalBase = 1;
};

// Where the parts landed, for tests that damage one of them.
struct Layout {
  size_t lfanew = 0x40, coff = 0x44, optional = 0, sections = 0;
  size_t importDir = 0, exportDir = 0;  // file offsets (0 when absent)
  size_t exportTables = 0;  // file offset of the export address table
};

inline void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  if (b.size() < at + 2) b.resize(at + 2);
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
inline void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}
inline void Put64(std::vector<uint8_t>& b, size_t at, uint64_t v) {
  Put32(b, at, static_cast<uint32_t>(v));
  Put32(b, at + 4, static_cast<uint32_t>(v >> 32));
}

inline std::vector<uint8_t> Build(const Recipe& s, Layout* layout = nullptr) {
  const uint32_t kVa = 0x1000, kRaw = 0x200;
  std::vector<uint8_t> sec;  // the section's bytes, addressed by offset from kVa
  auto here = [&] { return static_cast<uint32_t>(sec.size()); };
  auto align = [&](size_t a) { sec.resize((sec.size() + a - 1) / a * a); };
  auto text = [&](const std::string& t) {
    const uint32_t at = here();
    sec.insert(sec.end(), t.begin(), t.end());
    sec.push_back(0);
    return kVa + at;
  };
  Layout l;
  uint32_t importRva = 0, importSize = 0, exportRva = 0, exportSize = 0;
  const unsigned thunk = s.pe32plus ? 8 : 4;
  if (!s.imports.empty()) {
    const uint32_t descAt = here();
    sec.resize(sec.size() + 20 * (s.imports.size() + 1));
    for (size_t d = 0; d < s.imports.size(); ++d) {
      const uint32_t name = text(s.imports[d].first);
      align(8);
      const uint32_t lookup = here();
      sec.resize(sec.size() + thunk * (s.imports[d].second.size() + 1));
      for (size_t i = 0; i < s.imports[d].second.size(); ++i) {
        const std::string& fn = s.imports[d].second[i];
        uint64_t t;
        if (!fn.empty() && fn[0] == '#') {
          t = (s.pe32plus ? 1ull << 63 : 1ull << 31) | std::stoul(fn.substr(1));
        } else {
          align(2);
          t = kVa + here();
          Put16(sec, here(), 0);
          text(fn);
        }
        if (s.pe32plus)
          Put64(sec, lookup + thunk * i, t);
        else
          Put32(sec, lookup + thunk * i, static_cast<uint32_t>(t));
      }
      const size_t dsc = descAt + 20 * d;
      Put32(sec, dsc, kVa + lookup);
      Put32(sec, dsc + 12, name);
      Put32(sec, dsc + 16, kVa + lookup);
    }
    importRva = kVa + descAt;
    importSize = static_cast<uint32_t>(20 * (s.imports.size() + 1));
    l.importDir = kRaw + descAt;
  }
  if (!s.exports.empty()) {
    align(4);
    const uint32_t dir = here();
    sec.resize(sec.size() + 40);
    const uint32_t n = static_cast<uint32_t>(s.exports.size());
    const uint32_t funcs = here();
    sec.resize(sec.size() + 4 * n);
    std::vector<std::pair<std::string, uint16_t>> named;
    for (uint32_t i = 0; i < n; ++i) {
      std::string e = s.exports[i];
      if (e.empty()) continue;
      const size_t eq = e.find('=');
      if (e != "#") named.push_back({e.substr(0, eq), static_cast<uint16_t>(i)});
      Put32(sec, funcs + 4 * i, eq == std::string::npos ? 0x2000 + i : 0);  // fixed below
    }
    const uint32_t names = here();
    sec.resize(sec.size() + 4 * named.size());
    const uint32_t ords = here();
    sec.resize(sec.size() + 2 * named.size());
    // The name table is sorted, as the loader expects.
    std::vector<std::pair<std::string, uint16_t>> sorted = named;
    for (size_t i = 0; i < sorted.size(); ++i)
      for (size_t j = i + 1; j < sorted.size(); ++j)
        if (sorted[j].first < sorted[i].first) std::swap(sorted[i], sorted[j]);
    for (size_t i = 0; i < sorted.size(); ++i) {
      Put32(sec, names + 4 * i, text(sorted[i].first));
      Put16(sec, ords + 2 * i, sorted[i].second);
    }
    for (uint32_t i = 0; i < n; ++i) {
      const size_t eq = s.exports[i].find('=');
      if (eq != std::string::npos) Put32(sec, funcs + 4 * i, text(s.exports[i].substr(eq + 1)));
    }
    Put32(sec, dir + 12, text(s.exportName));
    Put32(sec, dir + 16, s.ordinalBase);
    Put32(sec, dir + 20, n);
    Put32(sec, dir + 24, static_cast<uint32_t>(named.size()));
    Put32(sec, dir + 28, kVa + funcs);
    Put32(sec, dir + 32, kVa + names);
    Put32(sec, dir + 36, kVa + ords);
    exportRva = kVa + dir;
    exportSize = here() - dir;  // forwarder texts lie inside the directory
    l.exportDir = kRaw + dir;
    l.exportTables = kRaw + funcs;
  }
  align(0x200);
  if (sec.empty()) sec.resize(0x200);

  std::vector<uint8_t> b(kRaw, 0);
  b[0] = 'M';
  b[1] = 'Z';
  Put32(b, 0x3C, 0x40);
  memcpy(&b[0x40], "PE\0\0", 4);
  const uint16_t optSize = s.pe32plus ? 240 : 224;
  Put16(b, 0x44, s.machine);
  Put16(b, 0x46, 1);
  Put16(b, 0x54, optSize);
  Put16(b, 0x56, 0x0002 | (s.dll ? 0x2000 : 0) | (s.pe32plus ? 0x20 : 0x100));
  const size_t opt = 0x58;
  Put16(b, opt, s.pe32plus ? 0x20b : 0x10b);
  Put32(b, opt + 32, 0x1000);  // section alignment
  Put32(b, opt + 36, 0x200);   // file alignment
  Put32(b, opt + 56, kVa + static_cast<uint32_t>(sec.size()));  // size of image
  Put32(b, opt + 60, kRaw);    // size of headers
  const size_t count = opt + (s.pe32plus ? 108 : 92);
  Put32(b, count, 16);
  Put32(b, count + 4, exportRva);
  Put32(b, count + 8, exportSize);
  Put32(b, count + 12, importRva);
  Put32(b, count + 16, importSize);
  const size_t table = opt + optSize;
  memcpy(&b[table], ".data\0\0\0", 8);
  Put32(b, table + 8, static_cast<uint32_t>(sec.size()));
  Put32(b, table + 12, kVa);
  Put32(b, table + 16, static_cast<uint32_t>(sec.size()));
  Put32(b, table + 20, kRaw);
  b.insert(b.end(), sec.begin(), sec.end());
  l.optional = opt;
  l.sections = table;
  if (layout) *layout = l;
  return b;
}

// An MZ header whose e_lfanew points at a 16-bit "NE" header.
inline std::vector<uint8_t> Build16() {
  std::vector<uint8_t> b(0x80, 0);
  b[0] = 'M';
  b[1] = 'Z';
  Put32(b, 0x3C, 0x40);
  b[0x40] = 'N';
  b[0x41] = 'E';
  return b;
}

}  // namespace peimage
