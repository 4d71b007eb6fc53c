#include "ConduitDiagnosis.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <vector>

#include "format/CxList.h"
#include "format/PeFile.h"
#include "format/KxText.h"
#include "palm/CondMgr.h"
#include "palm/CondObj.h"
#include "palm/LibraryPath.h"
#include "palm/PalmLibs.h"
#include "palm/SafeLoad.h"

namespace {

// Every text the diagnosis shows. {file} the library, {place} the folder, drive or machine,
// {dll} and {function} the import, {through} " (which X imports)" or nothing, {other} the other
// record, {creator}, {priority} and {directory} the registration.
struct CauseText {
  Cause cause;
  Remedy remedy;
  const char* title;  // the cause in a few words, for the check page
  const char* text;
};

const CauseText kTexts[] = {
    {Cause::Healthy, Remedy::None, "In order",
     "{file} is in order. HotSync will call it for the creator ID \"{creator}\" at priority "
     "{priority} and keep its data in the folder \"{directory}\"."},
    {Cause::Removed, Remedy::Restore, "Uninstalled by Kestrin",
     "{file} was uninstalled by Kestrin and HotSync no longer calls it. Restore it to register "
     "it again."},
    {Cause::FileMissing, Remedy::Reinstall, "Library file missing",
     "The library file {file} is missing. Reinstall the conduit's program, or uninstall this "
     "registration."},
    {Cause::FolderMissing, Remedy::Reinstall, "Library folder missing",
     "The library file {file} is missing, and so is its folder {place}. Reinstall the conduit's "
     "program, or uninstall this registration."},
    {Cause::DriveMissing, Remedy::Reinstall, "Drive not there",
     "The library file {file} is on the drive {place}, which is not there. Connect the drive, "
     "reinstall the conduit's program, or uninstall this registration."},
    {Cause::NamesFolder, Remedy::Uninstall, "Path names a folder",
     "{file} is a folder, not a library file. Uninstall this registration, or reinstall the "
     "conduit's program."},
    {Cause::Skipped, Remedy::Reinstall, "Skipped after a crash",
     "{file} stopped Kestrin once and has been skipped since. Reinstall the conduit's program, "
     "or pick the library again through Install to load it."},
    {Cause::Unreadable, Remedy::Reinstall, "File cannot be read",
     "{file} cannot be read. Reinstall the conduit's program, or uninstall this registration."},
    {Cause::NotLibrary, Remedy::Reinstall, "Not a Windows library",
     "{file} is not a Windows library, so HotSync cannot load it. Reinstall the conduit's "
     "program, or uninstall this registration."},
    {Cause::Library16, Remedy::Uninstall, "16-bit library",
     "{file} is a 16-bit library, which HotSync cannot load. Install a newer version of the "
     "conduit, or uninstall this registration."},
    {Cause::OtherProcessor, Remedy::Uninstall, "Built for another processor",
     "{file} is built for another processor (machine type {place}), so HotSync cannot load it. "
     "Install the version of the conduit for this PC, or uninstall this registration."},
    {Cause::Library64, Remedy::Reinstall, "64-bit library",
     "{file} is a 64-bit library. Palm Desktop and HotSync Manager are 32-bit and cannot use "
     "it. Install the 32-bit version of the conduit, or uninstall this registration."},
    {Cause::Library32, Remedy::Use32Bit, "32-bit library",
     "{file} is a 32-bit library. HotSync can use it, but this 64-bit Kestrin cannot load it: "
     "use the 32-bit Kestrin to check it."},
    {Cause::DllMissing, Remedy::InstallRuntime, "Needed DLL missing",
     "{file} needs {dll}{through}, which is found nowhere: not in the conduit's folder, the "
     "Palm Desktop folder, the system folder, the Windows folder or PATH. Install the runtime "
     "that provides {dll}, or reinstall the conduit's program."},
    {Cause::FunctionMissing, Remedy::InstallRuntime, "Needed function missing",
     "{file} needs the function {function} of {dll}{through}, and the {dll} found has no such "
     "function. Install the version of the runtime that provides it, or reinstall the "
     "conduit's program."},
    {Cause::NoOpenConduit, Remedy::Uninstall, "Not a HotSync conduit",
     "{file} exports no \"OpenConduit\", so it is no HotSync conduit. Uninstall this "
     "registration."},
    {Cause::StartRefused, Remedy::Reinstall, "Refused to load",
     "{file} refused to load: its start-up code failed although its files look right. "
     "Reinstall the conduit's program."},
    {Cause::DuplicateCreator, Remedy::Uninstall, "Creator ID used twice",
     "{file} has the creator ID \"{creator}\", and so has \"{other}\": HotSync calls only one "
     "of them. Uninstall one of the two registrations."},
};

const CauseText& TextOf(Cause cause) {
  for (const CauseText& t : kTexts)
    if (t.cause == cause) return t;
  return kTexts[0];
}

void Replace(std::string& s, const char* key, const std::string& value) {
  const size_t n = strlen(key);
  for (size_t at = s.find(key); at != std::string::npos; at = s.find(key, at + value.size()))
    s.replace(at, n, value);
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

bool StartsWith(const std::string& s, const char* prefix) {
  return s.compare(0, strlen(prefix), prefix) == 0;
}

DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }
bool IsFolder(const std::string& path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}
bool IsFile(const std::string& path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  const char last = folder.back();
  return folder + (last == '\\' || last == '/' ? "" : "\\") + name;
}

#ifdef _WIN64
const uint16_t kOwnMachine = pe::kMachineAmd64;
#else
const uint16_t kOwnMachine = pe::kMachineI386;
#endif

// The folders an imported DLL is looked for in, in the loader's order for a library loaded by
// its full path: its own folder, then the Palm Desktop folder HotSync runs from, the system
// folder of the library's bitness, the Windows folder and PATH.
class DllSearch {
 public:
  DllSearch(const std::string& libraryFolder, const std::string& palmFolder, bool is32) {
    Add(libraryFolder);
    Add(palmFolder);
    char sz[MAX_PATH];
    UINT n = 0;
#ifdef _WIN64
    if (is32) {
      n = GetSystemWow64DirectoryA(sz, sizeof sz);
      // Without a 32-bit system folder there is nothing to check a 32-bit library against.
      m_systemKnown = n > 0 && n < sizeof sz && IsFile(Join(sz, "kernel32.dll"));
    } else {
      n = GetSystemDirectoryA(sz, sizeof sz);
    }
#else
    (void)is32;
    n = GetSystemDirectoryA(sz, sizeof sz);
#endif
    if (n > 0 && n < sizeof sz) {
      m_system = sz;
      Add(sz);
    }
    n = GetWindowsDirectoryA(sz, sizeof sz);
    if (n > 0 && n < sizeof sz) {
      m_windows = sz;
      Add(sz);
    }
    for (const std::string& folder : PathFolders()) Add(folder);
  }
  bool SystemKnown() const { return m_systemKnown; }
  // The full path of the DLL, or empty when it is in none of the folders.
  std::string Find(const std::string& name) const {
    for (const std::string& f : m_folders) {
      const std::string p = Join(f, name);
      if (IsFile(p)) return p;
    }
    return std::string();
  }
  // A system DLL's own imports are the system's business, not the conduit's.
  bool IsSystem(const std::string& path) const {
    const std::string p = Lower(path);
    return (!m_system.empty() && StartsWith(p, Lower(m_system + "\\").c_str())) ||
           (!m_windows.empty() && StartsWith(p, Lower(m_windows + "\\").c_str()));
  }

 private:
  void Add(const std::string& folder) {
    if (folder.empty()) return;
    for (const std::string& had : m_folders)
      if (_stricmp(had.c_str(), folder.c_str()) == 0) return;
    m_folders.push_back(folder);
  }
  std::vector<std::string> m_folders;
  std::string m_system, m_windows;
  bool m_systemKnown = true;
};

bool IsApiSet(const std::string& dll) {
  const std::string n = Lower(dll);
  return StartsWith(n, "api-ms-") || StartsWith(n, "ext-ms-");
}

std::string Hex(uint16_t v) {
  char sz[8];
  snprintf(sz, sizeof sz, "0x%04X", v);
  return sz;
}

// Walks the imports of a library and of the DLLs of its own it brings along; false and the
// diagnosis filled at the first DLL found nowhere or function missing.
class ImportCheck {
 public:
  ImportCheck(const DllSearch& search, Diagnosis& d) : m_search(search), m_d(d) {}

  bool Check(const pe::PeInfo& lib, const std::string& through, int depth) {
    for (const pe::ImportedDll& imp : lib.imports) {
      if (imp.name.empty() || IsApiSet(imp.name)) continue;
      const std::string found = m_search.Find(imp.name);
      if (found.empty()) {
        m_d.cause = Cause::DllMissing;
        m_d.dll = imp.name;
        m_d.through = through;
        return false;
      }
      const std::string key = Lower(found);
      pe::PeInfo dll;
      if (!Read(key, found, dll)) continue;
      for (const pe::ImportedFunction& fn : imp.functions) {
        const bool has = fn.byOrdinal ? pe::ExportsOrdinal(dll, fn.ordinal)
                                      : pe::ExportsName(dll, fn.name);
        if (has) continue;
        m_d.cause = Cause::FunctionMissing;
        m_d.dll = imp.name;
        m_d.through = through;
        m_d.function = fn.byOrdinal ? "#" + std::to_string(fn.ordinal) : fn.name;
        return false;
      }
      if (depth < 4 && !m_search.IsSystem(found) && m_walked.insert(key).second) {
        if (!Check(dll, imp.name, depth + 1)) return false;
      }
    }
    return true;
  }

 private:
  // A DLL whose headers cannot be read is left to the load to judge.
  bool Read(const std::string& key, const std::string& path, pe::PeInfo& out) {
    auto it = m_read.find(key);
    if (it == m_read.end()) {
      pe::PeInfo info;
      if (!pe::ReadPeFile(path.c_str(), info)) info.kind = pe::Kind::NotExecutable;
      it = m_read.emplace(key, std::move(info)).first;
    }
    if (it->second.kind != pe::Kind::Pe) return false;
    out = it->second;
    return true;
  }

  const DllSearch& m_search;
  Diagnosis& m_d;
  std::map<std::string, pe::PeInfo> m_read;
  std::set<std::string> m_walked;
};

bool IsRelative(const char* p) {
  if (p[0] == '\\' || p[0] == '/') return false;
  return !(p[0] && p[1] == ':');
}

// The file-level causes; Healthy when the file is there and is a plain file.
Cause CheckPresence(const CondInfo& info, const std::string& palmFolder, std::string& full,
                    std::string& place) {
  const char* reg = info.szConduit;
  char sz[MAX_PATH];
  const bool resolved = ResolveLibraryPath(reg, sz);
  full = resolved ? sz : reg;
  if (resolved && IsFile(full)) return Cause::Healthy;
  if (!reg[0]) return Cause::FileMissing;
  if (IsRelative(reg)) {
    const std::string inPalm = Join(palmFolder, reg);
    if (!palmFolder.empty() && IsFolder(inPalm)) {
      full = inPalm;
      return Cause::NamesFolder;
    }
    return Cause::FileMissing;
  }
  if (IsFolder(full)) return Cause::NamesFolder;
  if (full.size() >= 2 && full[1] == ':') {
    const std::string root = full.substr(0, 2) + "\\";
    if (GetDriveTypeA(root.c_str()) == DRIVE_NO_ROOT_DIR) {
      place = full.substr(0, 2);
      return Cause::DriveMissing;
    }
  }
  const std::string folder = FolderOf(full);
  if (!folder.empty() && folder.size() > 3 && !IsFolder(folder)) {
    place = folder;
    return Cause::FolderMissing;
  }
  return Cause::FileMissing;
}

bool ExportsOpenConduit(const pe::PeInfo& lib) { return pe::ExportsName(lib, "OpenConduit"); }

// The load itself, last: the record's own module object when it has an open one, else a load
// of our own under the safe-start marker.
bool Loads(const CondInfo& info) {
  CCondObj* own = GetCondObj(info);
  if (own && own->IsOpen()) return true;
  std::unique_ptr<CCondObj> probe(new CCondObj(info.szConduit));
  return probe->IsOpen();
}

// By position, so a caller walking the catalogue keeps its place.
const CondInfo* OtherHolder(const CondInfo& info, const DiagnosisContext& ctx) {
  if (ctx.catalogue != Catalogue::Application || !ctx.application) return nullptr;
  CxList* list = ctx.application->m_pConduits;
  if (!list) return nullptr;
  for (uint32_t i = 0; i < list->GetCount(); ++i) {
    const CondInfo* p = static_cast<const CondInfo*>(list->GetAt(i));
    if (!p || p == &info || p->dwCreatorID != info.dwCreatorID) continue;
    if (p->dwFlags & kFlagRemoved) continue;
    if (memcmp(p, &info, sizeof info) == 0) continue;  // a byte copy of this very record
    return p;
  }
  return nullptr;
}

void Finish(Diagnosis& d, const CondInfo& info) {
  const CauseText& t = TextOf(d.cause);
  d.remedy = t.remedy;
  std::string s = t.text;
  Replace(s, "{file}", d.file);
  Replace(s, "{place}", d.place);
  Replace(s, "{dll}", d.dll);
  Replace(s, "{through}", d.through.empty() ? std::string() : " (which " + d.through + " imports)");
  Replace(s, "{function}", d.function);
  Replace(s, "{other}", d.other);
  Replace(s, "{creator}", kx::FieldText(info.szCreatorID));
  const int prio = info.nPriority >= 1 && info.nPriority <= 5 ? info.nPriority : 2;
  Replace(s, "{priority}", std::to_string(prio));
  const std::string dir = kx::FieldText(info.szDirectory);
  Replace(s, "{directory}", dir.empty() ? std::string("(none)") : dir);
  d.text = s;
}

Cause Diagnose(const CondInfo& info, const DiagnosisContext& ctx, Diagnosis& d) {
  if (ctx.removed || (info.dwFlags & kFlagRemoved)) return Cause::Removed;
  std::string palm = ctx.palmFolder;
  if (palm.empty()) {
    char sz[MAX_PATH];
    if (GetPalmDesktopPath(sz, sizeof sz) == 0) palm = sz;
  }
  const Cause presence = CheckPresence(info, palm, d.file, d.place);
  if (presence != Cause::Healthy) return presence;
  if (safeload::IsSkipped(d.file.c_str())) return Cause::Skipped;

  pe::PeInfo lib;
  if (!pe::ReadPeFile(d.file.c_str(), lib)) return Cause::Unreadable;
  switch (lib.kind) {
    case pe::Kind::Windows16:
      return Cause::Library16;
    case pe::Kind::Pe:
      break;
    default:
      return Cause::NotLibrary;
  }
  if (!lib.isDll) return Cause::NotLibrary;
  const bool is32 = lib.machine == pe::kMachineI386;
  if (!is32 && lib.machine != pe::kMachineAmd64) {
    d.place = Hex(lib.machine);
    return Cause::OtherProcessor;
  }
  // 32-bit HotSync can never use a 64-bit library, whatever else is right with it.
  if (kOwnMachine == pe::kMachineI386 && !is32) return Cause::Library64;

  const DllSearch search(FolderOf(d.file), palm, is32);
  if (search.SystemKnown()) {
    ImportCheck check(search, d);
    if (!check.Check(lib, std::string(), 0)) return d.cause;
  }
  if (!ExportsOpenConduit(lib)) return Cause::NoOpenConduit;
  if (lib.machine != kOwnMachine) return Cause::Library32;
  if (!Loads(info)) return Cause::StartRefused;
  if (const CondInfo* other = OtherHolder(info, ctx)) {
    d.other = kx::FieldText(other->szName);
    if (d.other.empty()) d.other = kx::FieldText(other->szConduit);
    return Cause::DuplicateCreator;
  }
  return Cause::Healthy;
}

}  // namespace

Remedy RemedyOf(Cause cause) { return TextOf(cause).remedy; }
const char* CauseTitle(Cause cause) { return TextOf(cause).title; }
const char* CauseTemplate(Cause cause) { return TextOf(cause).text; }

bool Diagnosis::IsProblem() const { return InTrouble(cause); }

bool InTrouble(Cause cause) {
  // A 32-bit library is one HotSync uses; only this 64-bit Kestrin cannot load it.
  return cause != Cause::Healthy && cause != Cause::Removed && cause != Cause::Library32;
}

Diagnosis DiagnoseConduit(const CondInfo& info, const DiagnosisContext& ctx) {
  Diagnosis d;
  d.file = kx::FieldText(info.szConduit);
  d.cause = Diagnose(info, ctx, d);
  Finish(d, info);
  return d;
}

const Diagnosis& DiagnosisCache::Get(const CondInfo& info, const DiagnosisContext& ctx) {
  std::string key = ctx.catalogue == Catalogue::Application ? "A|" : "S|";
  key += ctx.removed ? "R|" : "-|";
  key += kx::FieldText(info.szCreatorID) + "|" +
         Lower(kx::FieldText(info.szConduit));
  auto it = m_answers.find(key);
  if (it == m_answers.end()) it = m_answers.emplace(key, DiagnoseConduit(info, ctx)).first;
  return it->second;
}
