// Writes the seed files of the fuzz targets with the program's own writers:
//   seed_writer <out-dir>  ->  <out-dir>/{removed_store,backup_set,history}/*
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "format/CondRecordIO.h"
#include "format/CxFile.h"
#include "format/CxList.h"
#include "format/HistoryFile.h"
#include "format/KxSafeFile.h"
#include "format/KxText.h"
#include "format/RemovedStore.h"
#include "FuzzSupport.h"
#include "PeImage.h"

namespace {

using kfuzz::Bytes;
using kfuzz::WriteFile;

CondInfo Record(const char* creator, const char* path, const char* name, int status,
                int origin, uint32_t flags) {
  CondInfo r;
  memset(&r, 0, sizeof r);
  r.dwCreatorID = static_cast<uint32_t>(creator[0]) << 24 | static_cast<uint32_t>(creator[1]) << 16 |
                  static_cast<uint32_t>(creator[2]) << 8 | static_cast<uint32_t>(creator[3]);
  kx::CopyText(r.szCreatorID, creator);
  kx::CopyText(r.szConduit, path);
  kx::CopyText(r.szDirectory, "Data");
  kx::CopyText(r.szFile, "data.dat");
  kx::CopyText(r.szRemote, "RemoteDB");
  r.nPriority = 2;
  kx::CopyText(r.szInfo, "info");
  kx::CopyText(r.szName, name);
  r.hCondObj = 0x1234;  // the writers must clear it
  r.nStatus = status;
  kx::CopyText(r.szProduct, origin == 1 ? "PocketMirror" : "");
  r.nOrigin = origin;
  r.dwFlags = flags;
  return r;
}

bool Dir(const std::string& d) { return mkdir(d.c_str(), 0755) == 0 || errno == EEXIST; }

bool Store(const std::string& path, std::initializer_list<CondInfo> recs) {
  CxList list;
  for (const CondInfo& r : recs) list.Add(new CondInfo(r));
  const bool ok = SaveRemovedStore(path.c_str(), list);
  ClearCondList(list);
  return ok;
}

bool Set(const std::string& path, std::initializer_list<CondInfo> recs) {
  kx::SafeFile file;
  if (!file.Open(path.c_str())) return false;
  for (const CondInfo& r : recs)
    if (!WriteCondRecord(file, r)) return false;
  return file.Commit();
}

LogEntry Entry(const char* file, const char* name, const char* version, int t, int action) {
  LogEntry e;
  memset(&e, 0, sizeof e);
  kx::CopyText(e.szFile, file);
  kx::CopyText(e.szName, name);
  kx::CopyText(e.szVersion, version);
  e.tTime = t;
  e.nAction = action;
  return e;
}

bool History(const std::string& path, std::initializer_list<LogEntry> entries) {
  remove(path.c_str());
  CxFile file;
  for (const LogEntry& e : entries)
    if (!AppendHistoryEntry(file, path.c_str(), e)) return false;
  return true;
}

bool Raw(const std::string& path, const Bytes& bytes) {
  return WriteFile(path, bytes.data(), bytes.size());
}

Bytes Text(const char* s) { return Bytes(s, s + strlen(s)); }

// An install-aide record as the Palm libraries hand it over.
Bytes InstallSeed(const char* conduit, const char* creator, const char* name) {
  Bytes rec(840, 0);
  memcpy(&rec[324], conduit, strlen(conduit));
  memcpy(&rec[580], creator, 4);
  memcpy(&rec[584], name, strlen(name));
  return rec;
}

// Hand-made images: both thunk widths, imports by name and ordinal, exports with a forwarder,
// a hole and an ordinal-only entry, a 16-bit module and a bare MZ header.
bool PeSeeds(const std::string& dir) {
  peimage::Recipe s32;
  s32.imports = {{"KERNEL32.dll", {"GetTickCount", "#12"}}, {"kxdep.dll", {"KxDepWhere"}}};
  s32.exports = {"OpenConduit", "GetConduitName", "Fwd=KERNEL32.Sleep", "", "#"};
  s32.ordinalBase = 5;
  peimage::Recipe s64 = s32;
  s64.machine = 0x8664;
  s64.pe32plus = true;
  peimage::Recipe exe;
  exe.dll = false;
  exe.imports = {{"api-ms-win-core-sysinfo-l1-1-0.dll", {"GetTickCount"}}};
  const Bytes mz = {'M', 'Z', 0, 0};
  return Raw(dir + "/pe32.dll", peimage::Build(s32)) && Raw(dir + "/pe64.dll", peimage::Build(s64)) &&
         Raw(dir + "/exe.exe", peimage::Build(exe)) && Raw(dir + "/ne.dll", peimage::Build16()) &&
         Raw(dir + "/mz.exe", mz);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: seed_writer <out-dir>\n");
    return 2;
  }
  const std::string out = argv[1];
  const std::string store = out + "/removed_store", set = out + "/backup_set",
                    hist = out + "/history", aide = out + "/install_record",
                    html = out + "/html_escape", pef = out + "/pe_file";
  if (!Dir(out) || !Dir(store) || !Dir(set) || !Dir(hist) || !Dir(aide) || !Dir(html) ||
      !Dir(pef))
    return 1;

  // "." exists wherever the store is read, so those entries survive the load.
  const CondInfo memo = Record("memo", ".", "Memo Pad", 2, 1, kFlagRemoved);
  const CondInfo date = Record("date", ".", "Date Book", 2, 1, kFlagRemoved);
  const CondInfo gone = Record("gone", "/no/such/library.dll", "Gone", 2, 1, kFlagRemoved);
  const CondInfo live = Record("live", "C:\\Palm\\live.dll", "Live", 1, 1, 0);
  const CondInfo back = Record("\xff\xff\xff\xff", "C:\\Palm\\backup.dll", "Backup", 0, 2, 0);
  const CondInfo inst = Record("inst", "C:\\Palm\\inst.dll", "Install", 0, 4, 0);

  bool ok = Store(store + "/empty.dat", {}) && Store(store + "/one.dat", {memo}) &&
            Store(store + "/three.dat", {memo, gone, date}) &&
            Store(store + "/unflagged.dat", {live, memo});
  ok = ok && Set(set + "/empty.bak", {}) && Set(set + "/one.bak", {live}) &&
       Set(set + "/mixed.bak", {live, back, inst, memo, live});

  const std::string longName(40, 'N');
  ok = ok && History(hist + "/one.dat", {Entry("C:\\a.dll", "A", "1.0.0.0000", 258, 1)}) &&
       History(hist + "/four.dat",
               {Entry("C:\\Palm\\date.dll", "Date Book", "4.1.0.0023", 1170000000, 1),
                Entry("C:\\Palm\\none.dll", "Counted only", "1.0.0.0000", 1170000100, 0),
                Entry("C:\\Palm\\memo.dll", longName.c_str(), "", 1170000200, 2),
                Entry("C:\\a&b\\<x>.dll", "<b>\"q\"", "0.0.0.0000", 1170000300, 3)});
  ok = ok && Raw(aide + "/plain.rec", InstallSeed("C:\\Palm\\inst.dll", "inst", "Install Handheld Files")) &&
       Raw(aide + "/full.rec", Bytes(840, 0xFF));
  ok = ok && Raw(html + "/path.txt", Text("C:\\a&b\\<x>.dll")) &&
       Raw(html + "/entities.txt", Text("<b>\"q\"</b> &amp; &lt;&#39;"));
  ok = ok && PeSeeds(pef);
  if (!ok) {
    fprintf(stderr, "seed_writer: a seed could not be written under %s\n", out.c_str());
    return 1;
  }
  return 0;
}
