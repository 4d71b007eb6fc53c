#include "PeFile.h"

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <memory>

namespace pe {

namespace {

const uint32_t kFileDll = 0x2000;
const uint16_t kMagic32 = 0x10b;
const uint16_t kMagic64 = 0x20b;
const uint32_t kDirExport = 0;
const uint32_t kDirImport = 1;
const size_t kMaxSections = 96;  // what the Windows loader accepts
const size_t kMaxDlls = 4096;
const size_t kMaxImportsPerDll = 65536;

// Every read goes through here: an offset and a length that do not both fit give nothing.
class View {
 public:
  View(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
  size_t size() const { return m_size; }
  bool Has(uint64_t off, uint64_t len) const { return off <= m_size && len <= m_size - off; }
  bool U16(uint64_t off, uint16_t& v) const {
    if (!Has(off, 2)) return false;
    v = static_cast<uint16_t>(m_data[off] | m_data[off + 1] << 8);
    return true;
  }
  bool U32(uint64_t off, uint32_t& v) const {
    if (!Has(off, 4)) return false;
    v = static_cast<uint32_t>(m_data[off]) | static_cast<uint32_t>(m_data[off + 1]) << 8 |
        static_cast<uint32_t>(m_data[off + 2]) << 16 | static_cast<uint32_t>(m_data[off + 3]) << 24;
    return true;
  }
  bool U64(uint64_t off, uint64_t& v) const {
    uint32_t lo = 0, hi = 0;
    if (!U32(off, lo) || !U32(off + 4, hi)) return false;
    v = static_cast<uint64_t>(hi) << 32 | lo;
    return true;
  }
  // A zero-terminated name at `off`: false when it runs to the end of the file or past kMaxName.
  bool Text(uint64_t off, std::string& out) const {
    out.clear();
    if (off >= m_size) return false;
    const size_t room = std::min(m_size - static_cast<size_t>(off), kMaxName + 1);
    const char* p = reinterpret_cast<const char*>(m_data + off);
    const void* end = memchr(p, 0, room);
    if (!end) {
      out.assign(p, std::min(room, kMaxName));
      return false;
    }
    out.assign(p, static_cast<const char*>(end) - p);
    return true;
  }

 private:
  const uint8_t* m_data;
  size_t m_size;
};

struct Section {
  uint32_t va, vsize, raw, rawSize;
};

class Image {
 public:
  Image(const View& v, PeInfo& info)
      : m_v(v), m_info(info), m_budget(v.size() < (SIZE_MAX - 65536) / 8 ? 8 * v.size() + 65536 : SIZE_MAX) {}

  bool Headers();
  void Imports();
  void Exports();

 private:
  // The file offset of an RVA; false when no section (or the headers) holds it in the file.
  bool Map(uint32_t rva, uint64_t& off) const {
    for (const Section& s : m_sections) {
      const uint64_t span = std::max(s.vsize, s.rawSize);
      if (rva < s.va || rva - s.va >= span) continue;
      const uint64_t delta = rva - s.va;
      if (delta >= s.rawSize) return false;  // in memory only (zero-filled)
      off = static_cast<uint64_t>(s.raw) + delta;
      return m_v.Has(off, 1);
    }
    if (rva < m_sizeOfHeaders) {
      off = rva;
      return m_v.Has(off, 1);
    }
    return false;
  }
  // What is kept is paid from a budget in proportion to the file, so tables that point many
  // times at the same long name cannot make the answer much larger than the file.
  bool Spend(size_t n) {
    if (n > m_budget) {
      m_budget = 0;
      m_info.damaged = true;
      return false;
    }
    m_budget -= n;
    return true;
  }
  bool Directory(uint32_t index, uint32_t& rva, uint32_t& size) const {
    if (index >= m_dirCount) return false;
    const uint64_t at = m_dirOffset + 8ull * index;
    return m_v.U32(at, rva) && m_v.U32(at + 4, size) && rva != 0;
  }
  bool TextAt(uint32_t rva, std::string& out) {
    uint64_t off = 0;
    if (!Map(rva, off)) {
      out.clear();
      return false;
    }
    return m_v.Text(off, out);
  }

  const View& m_v;
  PeInfo& m_info;
  std::vector<Section> m_sections;
  uint32_t m_sizeOfHeaders = 0;
  uint64_t m_dirOffset = 0;
  uint32_t m_dirCount = 0;
  size_t m_budget;
};

bool Image::Headers() {
  uint16_t mz = 0;
  if (!m_v.U16(0, mz) || mz != 0x5A4D) return false;
  m_info.kind = Kind::Dos;
  uint32_t lfanew = 0;
  if (!m_v.U32(0x3C, lfanew) || lfanew < 0x40) return false;
  uint16_t sig = 0;
  if (!m_v.U16(lfanew, sig)) return false;
  if (sig == 0x454E || sig == 0x454C || sig == 0x584C) {  // "NE", "LE", "LX"
    m_info.kind = Kind::Windows16;
    return false;
  }
  uint32_t sig32 = 0;
  if (!m_v.U32(lfanew, sig32) || sig32 != 0x00004550) return false;  // "PE\0\0"
  m_info.kind = Kind::Damaged;
  const uint64_t coff = lfanew + 4ull;
  uint16_t sections = 0, optSize = 0, chars = 0;
  if (!m_v.U16(coff, m_info.machine) || !m_v.U16(coff + 2, sections) ||
      !m_v.U16(coff + 16, optSize) || !m_v.U16(coff + 18, chars))
    return false;
  m_info.isDll = (chars & kFileDll) != 0;
  const uint64_t opt = coff + 20;
  uint16_t magic = 0;
  if (optSize < 2 || !m_v.Has(opt, optSize) || !m_v.U16(opt, magic)) return false;
  if (magic != kMagic32 && magic != kMagic64) return false;
  m_info.pe32plus = magic == kMagic64;
  // Where the two layouts put SizeOfHeaders, NumberOfRvaAndSizes and the data directories.
  const uint64_t headersAt = opt + 60;
  const uint64_t countAt = opt + (m_info.pe32plus ? 108 : 92);
  if (countAt + 4 > opt + optSize || !m_v.U32(headersAt, m_sizeOfHeaders) ||
      !m_v.U32(countAt, m_dirCount))
    return false;
  m_dirOffset = countAt + 4;
  const uint64_t roomForDirs = (opt + optSize - m_dirOffset) / 8;
  if (m_dirCount > roomForDirs) {
    m_dirCount = static_cast<uint32_t>(roomForDirs);
    m_info.damaged = true;
  }
  if (sections > kMaxSections) return false;
  const uint64_t table = opt + optSize;
  if (!m_v.Has(table, 40ull * sections)) return false;
  for (uint16_t i = 0; i < sections; ++i) {
    const uint64_t s = table + 40ull * i;
    Section sec{};
    m_v.U32(s + 8, sec.vsize);
    m_v.U32(s + 12, sec.va);
    m_v.U32(s + 16, sec.rawSize);
    m_v.U32(s + 20, sec.raw);
    // Raw data past the end of the file is only as long as the file.
    if (sec.raw >= m_v.size()) {
      sec.rawSize = 0;
    } else if (sec.rawSize > m_v.size() - sec.raw) {
      sec.rawSize = static_cast<uint32_t>(m_v.size() - sec.raw);
      m_info.damaged = true;
    }
    m_sections.push_back(sec);
  }
  m_info.kind = Kind::Pe;
  return true;
}

void Image::Imports() {
  uint32_t rva = 0, size = 0;
  if (!Directory(kDirImport, rva, size)) return;
  uint64_t off = 0;
  if (!Map(rva, off)) {
    m_info.damaged = true;
    return;
  }
  const unsigned thunkSize = m_info.pe32plus ? 8 : 4;
  const uint64_t ordinalFlag = m_info.pe32plus ? 1ull << 63 : 1ull << 31;
  for (size_t d = 0;; ++d) {
    const uint64_t desc = off + 20ull * d;
    uint32_t lookup = 0, nameRva = 0, first = 0;
    if (d >= kMaxDlls || !m_v.U32(desc, lookup) || !m_v.U32(desc + 12, nameRva) ||
        !m_v.U32(desc + 16, first)) {
      m_info.damaged = true;
      return;
    }
    if (nameRva == 0 && lookup == 0 && first == 0) return;  // the terminating descriptor
    ImportedDll dll;
    if (!TextAt(nameRva, dll.name)) m_info.damaged = true;
    if (!Spend(sizeof(ImportedDll) + dll.name.size())) return;
    // The lookup table names the imports; old binders leave only the address table.
    uint64_t thunks = 0;
    if (!Map(lookup ? lookup : first, thunks)) {
      m_info.damaged = true;
      m_info.imports.push_back(std::move(dll));
      continue;
    }
    for (size_t i = 0;; ++i) {
      uint64_t t = 0;
      const uint64_t at = thunks + static_cast<uint64_t>(thunkSize) * i;
      bool ok = i < kMaxImportsPerDll;
      if (ok) {
        if (m_info.pe32plus) {
          ok = m_v.U64(at, t);
        } else {
          uint32_t t32 = 0;
          ok = m_v.U32(at, t32);
          t = t32;
        }
      }
      if (!ok) {
        m_info.damaged = true;
        break;
      }
      if (t == 0) break;
      if (!Spend(sizeof(ImportedFunction))) break;
      ImportedFunction fn;
      if (t & ordinalFlag) {
        fn.byOrdinal = true;
        fn.ordinal = static_cast<uint16_t>(t & 0xFFFF);
      } else {
        uint64_t hint = 0;
        const uint32_t byName = static_cast<uint32_t>(t & 0x7FFFFFFF);
        if (!Map(byName, hint) || !m_v.U16(hint, fn.ordinal) || !m_v.Text(hint + 2, fn.name))
          m_info.damaged = true;
        if (!Spend(fn.name.size())) break;
      }
      dll.functions.push_back(std::move(fn));
    }
    m_info.imports.push_back(std::move(dll));
  }
}

void Image::Exports() {
  uint32_t rva = 0, size = 0;
  if (!Directory(kDirExport, rva, size)) return;
  uint64_t dir = 0;
  uint32_t nameRva = 0, base = 0, nFunctions = 0, nNames = 0, funcs = 0, names = 0, ords = 0;
  if (!Map(rva, dir) || !m_v.U32(dir + 12, nameRva) || !m_v.U32(dir + 16, base) ||
      !m_v.U32(dir + 20, nFunctions) || !m_v.U32(dir + 24, nNames) ||
      !m_v.U32(dir + 28, funcs) || !m_v.U32(dir + 32, names) || !m_v.U32(dir + 36, ords)) {
    m_info.damaged = true;
    return;
  }
  if (nameRva && !TextAt(nameRva, m_info.exportName)) m_info.damaged = true;
  m_info.ordinalBase = base;
  // A table is read only as far as the file holds it, so a count cannot make us allocate more
  // than the file's size.
  uint64_t funcOff = 0;
  if (nFunctions && !Map(funcs, funcOff)) {
    m_info.damaged = true;
    return;
  }
  const uint64_t fit = nFunctions ? (m_v.size() - funcOff) / 4 : 0;
  if (nFunctions > fit) {
    nFunctions = static_cast<uint32_t>(fit);
    m_info.damaged = true;
  }
  m_info.functionCount = nFunctions;
  std::vector<uint32_t> addr(nFunctions);
  std::vector<std::string> label(nFunctions);
  for (uint32_t i = 0; i < nFunctions; ++i) m_v.U32(funcOff + 4ull * i, addr[i]);
  uint64_t nameOff = 0, ordOff = 0;
  if (nNames && (!Map(names, nameOff) || !Map(ords, ordOff))) {
    m_info.damaged = true;
    nNames = 0;
  }
  for (uint32_t i = 0; i < nNames; ++i) {
    uint32_t nr = 0;
    uint16_t index = 0;
    if (!m_v.U32(nameOff + 4ull * i, nr) || !m_v.U16(ordOff + 2ull * i, index)) {
      m_info.damaged = true;
      break;
    }
    if (index >= nFunctions) {
      m_info.damaged = true;
      continue;
    }
    if (!label[index].empty()) continue;
    std::string name;
    if (!TextAt(nr, name)) m_info.damaged = true;
    if (!Spend(name.size())) break;
    label[index] = std::move(name);
  }
  for (uint32_t i = 0; i < nFunctions; ++i) {
    if (addr[i] == 0) continue;
    ExportedFunction fn;
    fn.ordinal = base + i;
    fn.name = std::move(label[i]);
    // An address inside the export directory is the text of where the function really is.
    if (addr[i] >= rva && addr[i] - rva < size) {
      fn.forwarder = true;
      if (!TextAt(addr[i], fn.forwardTo)) m_info.damaged = true;
      if (!Spend(fn.forwardTo.size())) fn.forwardTo.clear();
    }
    m_info.exports.push_back(std::move(fn));
  }
}

}  // namespace

PeInfo ReadPe(const uint8_t* data, size_t size) {
  PeInfo info;
  if (!data) return info;
  View v(data, size);
  Image image(v, info);
  if (!image.Headers()) return info;
  image.Imports();
  image.Exports();
  return info;
}

bool ReadPeFile(const char* path, PeInfo& info) {
  info = PeInfo();
  if (!path || !path[0]) return false;
  std::unique_ptr<FILE, int (*)(FILE*)> file(fopen(path, "rb"), fclose);
  if (!file) return false;
  FILE* f = file.get();
  std::vector<uint8_t> bytes;
  uint8_t chunk[65536];
  bool ok = true;
  while (bytes.size() < kMaxFileSize) {
    const size_t want = std::min(sizeof chunk, kMaxFileSize - bytes.size());
    const size_t n = fread(chunk, 1, want, f);
    bytes.insert(bytes.end(), chunk, chunk + n);
    if (n < want) {
      ok = !ferror(f);
      break;
    }
  }
  file.reset();
  if (!ok) return false;
  info = ReadPe(bytes.data(), bytes.size());
  return true;
}

bool ExportsName(const PeInfo& info, const std::string& name) {
  for (const ExportedFunction& e : info.exports)
    if (e.name == name) return true;
  return false;
}

bool ExportsOrdinal(const PeInfo& info, uint32_t ordinal) {
  for (const ExportedFunction& e : info.exports)
    if (e.ordinal == ordinal) return true;
  return false;
}

}  // namespace pe
