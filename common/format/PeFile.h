#pragma once
// What a library file's headers say: its kind (Windows PE, 16-bit, or neither), processor,
// whether it is a DLL, the DLLs and functions it imports and the functions it exports.
// Read from the file's bytes with every offset and count checked against its size, so a damaged
// file gives a partial answer, never a read outside the buffer. C runtime only (fuzzed natively).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pe {

enum class Kind {
  NotExecutable,  // no "MZ" header
  Dos,            // an MZ program without a Windows header after it
  Windows16,      // "NE" (or "LE"/"LX") at e_lfanew: a 16-bit module
  Damaged,        // "PE" signature but its headers are cut short or make no sense
  Pe,
};

const uint16_t kMachineI386 = 0x14c;
const uint16_t kMachineAmd64 = 0x8664;

// Longest name kept; longer ones are cut (and marked damaged).
const size_t kMaxName = 512;

struct ImportedFunction {
  std::string name;       // empty when imported by ordinal
  uint16_t ordinal = 0;   // the ordinal, or the hint of a named import
  bool byOrdinal = false;
};

struct ImportedDll {
  std::string name;
  std::vector<ImportedFunction> functions;
};

struct ExportedFunction {
  uint32_t ordinal = 0;   // base + index
  std::string name;       // empty for an export by ordinal only
  bool forwarder = false;
  std::string forwardTo;  // "DLL.Function" or "DLL.#12" when forwarder
};

struct PeInfo {
  Kind kind = Kind::NotExecutable;
  uint16_t machine = 0;
  bool pe32plus = false;  // optional header magic 0x20b
  bool isDll = false;     // IMAGE_FILE_DLL
  std::vector<ImportedDll> imports;
  std::string exportName;  // the name the export directory gives itself
  uint32_t ordinalBase = 0;
  uint32_t functionCount = 0;  // the export address table's entries that were read
  std::vector<ExportedFunction> exports;  // entries with a non-zero address, in ordinal order
  bool damaged = false;  // some table was cut short or pointed outside the file
};

// Reads the headers, imports and exports from `size` bytes at `data`.
PeInfo ReadPe(const uint8_t* data, size_t size);

// Reads the file (at most kMaxFileSize bytes of it) and then its headers. False when the file
// cannot be opened or read; `info` then says NotExecutable.
const size_t kMaxFileSize = 256u << 20;
bool ReadPeFile(const char* path, PeInfo& info);

// Whether the export table has a function of this name, or this ordinal (forwarders count).
bool ExportsName(const PeInfo& info, const std::string& name);
bool ExportsOrdinal(const PeInfo& info, uint32_t ordinal);

}  // namespace pe
