// kbench: times Kestrin's own code and, in the same run, the floor the machine sets for the same
// work (bare library loads, registry reads, file reads and writes at once), and prints the
// ratios. Run it in a private Wine prefix whose Palm Desktop is the build's stand-in: it rewrites
// that user's conduit registrations. scripts/bench.sh does all of that.
#include <windows.h>

#include <commctrl.h>
#include <fcntl.h>
#include <io.h>
#include <psapi.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/ConduitReport.h"
#include "core/KestrinLog.h"
#include "format/CxFile.h"
#include "format/HistoryFile.h"
#include "format/KxClock.h"
#include "format/KxHtml.h"
#include "InitForm.h"
#include "MainForm.h"
#include "misc/WinUtil.h"
#include "Pages.h"
#include "palm/CondMgr.h"
#include "ui/Modal.h"
#include "ChildBench.h"
#include "ui/MsgBox.h"

namespace {

const char kPalmRoot[] = "Software\\U.S. Robotics\\Pilot Desktop";
const char kCoreKey[] = "Software\\U.S. Robotics\\Pilot Desktop\\Core";
const char kSample[] = "addrcond.dll";  // exports OpenConduit and GetConduitName, has a version
const int kSmallLoad = 30;
const int kLargeLoad = 300;
const int kHistoryEntries = 100000;

// ---- Clock and figures --------------------------------------------------------------------------

double Seconds() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

double Time(const std::function<void()>& fn) {
  double t0 = Seconds();
  fn();
  return Seconds() - t0;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Figures {
  std::string what;
  std::vector<double> code, floor;
  double Code() const { return Median(code); }
  double Floor() const { return Median(floor); }
  double Ratio() const { return Floor() > 0 ? Code() / Floor() : 0; }
};

std::vector<Figures> g_results;

std::string Samples(const std::vector<double>& v) {
  std::string s;
  char buf[32];
  for (double x : v) {
    snprintf(buf, sizeof buf, "%s%.1f", s.empty() ? "" : " ", x * 1000);
    s += buf;
  }
  return s;
}

struct Side {
  std::function<void()> run;
  std::function<void()> prepare;  // untimed, before every run (e.g. bring a window to the front)
};

// One warm-up of each side (file and loader caches then favour none), then repetitions that
// rotate which side runs first. The medians count. Side 0 is Kestrin, side 1 the floor; a third
// side, when given, is printed on its own line as `alsoWhat`.
Figures Measure(const std::string& what, int reps, const std::vector<Side>& sides,
                const char* alsoWhat = nullptr, std::vector<double>* also = nullptr) {
  std::vector<std::vector<double>> t(sides.size());
  auto once = [&](size_t j) {
    if (sides[j].prepare) sides[j].prepare();
    return Time(sides[j].run);
  };
  for (size_t j = 0; j < sides.size(); ++j) once(j);
  for (int r = 0; r < reps; ++r) {
    for (size_t k = 0; k < sides.size(); ++k) {
      size_t j = (static_cast<size_t>(r) + k) % sides.size();
      t[j].push_back(once(j));
    }
  }
  Figures f;
  f.what = what;
  f.code = t[0];
  f.floor = t[1];
  printf("%-46s %10.1f ms %10.1f ms %7.2f\n", what.c_str(), f.Code() * 1000, f.Floor() * 1000,
         f.Ratio());
  printf("    samples (ms)  Kestrin: %s | floor: %s\n", Samples(f.code).c_str(),
         Samples(f.floor).c_str());
  if (sides.size() > 2 && alsoWhat) {
    printf("    %s: %.1f ms (Kestrin / this %.2f); samples (ms): %s\n", alsoWhat,
           Median(t[2]) * 1000, f.Code() / Median(t[2]), Samples(t[2]).c_str());
    if (also) *also = t[2];
  }
  fflush(stdout);
  g_results.push_back(f);
  return f;
}

Figures Measure(const std::string& what, int reps, const std::function<void()>& code,
                const std::function<void()>& floor) {
  return Measure(what, reps, {Side{code, nullptr}, Side{floor, nullptr}});
}

[[noreturn]] void Fail(const std::string& why) {
  printf("kbench: FAILED: %s\n", why.c_str());
  fflush(stdout);
  ExitProcess(1);
}

// ---- Registry and files -------------------------------------------------------------------------

void SetValue(const std::string& key, const char* name, DWORD type, const void* data, DWORD size) {
  HKEY h;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h,
                      nullptr) != ERROR_SUCCESS)
    Fail("cannot create HKCU\\" + key);
  RegSetValueExA(h, name, 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(h);
}
void SetText(const std::string& key, const char* name, const std::string& v) {
  SetValue(key, name, REG_SZ, v.c_str(), static_cast<DWORD>(v.size() + 1));
}
void SetDword(const std::string& key, const char* name, DWORD v) {
  SetValue(key, name, REG_DWORD, &v, sizeof v);
}

std::string AppKey(int n) { return std::string(kPalmRoot) + "\\Application" + std::to_string(n); }

// Every numbered registration, also beyond a gap.
void RemoveRegistrations() {
  HKEY h;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kPalmRoot, 0, KEY_READ, &h) != ERROR_SUCCESS) return;
  std::vector<std::string> doomed;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD len = sizeof name;
    if (RegEnumKeyExA(h, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    std::string s = name;
    if (s.rfind("Application", 0) == 0 || s.rfind("InstallConduit", 0) == 0 ||
        s == "StandIn Faults")
      doomed.push_back(std::string(kPalmRoot) + "\\" + s);
  }
  RegCloseKey(h);
  for (const std::string& k : doomed) RegDeleteTreeA(HKEY_CURRENT_USER, k.c_str());
}

// A registry write under HKCU, untimed before a load: the stand-in Conduit Manager then reads
// its keys afresh, as after an install, instead of answering from what it read last time.
const char kTouchKey[] = "Software\\U.S. Robotics\\Pilot Desktop\\KBench";
void TouchRegistry() {
  static DWORD n = 0;
  SetDword(kTouchKey, "Touch", ++n);
}

std::string Creator(int i) {
  char c[8];
  snprintf(c, sizeof c, "B%03d", i);
  return c;
}

DWORD PackCreator(const std::string& c) {
  return (DWORD(static_cast<unsigned char>(c[0])) << 24) |
         (DWORD(static_cast<unsigned char>(c[1])) << 16) |
         (DWORD(static_cast<unsigned char>(c[2])) << 8) | DWORD(static_cast<unsigned char>(c[3]));
}

// n registrations the way the Conduit Manager keeps them, each its own library.
void Register(const std::vector<std::string>& libs, int n) {
  RemoveRegistrations();
  for (int i = 0; i < n; ++i) {
    const std::string key = AppKey(i);
    const std::string c = Creator(i);
    SetText(key, "Conduit", libs[i]);
    SetDword(key, "Creator", PackCreator(c));
    SetDword(key, "Type", 1);
    SetText(key, "Title", "Bench " + c);
    SetText(key, "Directory", "Bench" + c);
    SetText(key, "File", "bench" + c + ".pdb");
    SetText(key, "Remote", "Bench" + c + "DB");
    SetText(key, "Information", "");
    SetDword(key, "Priority", 2);
    SetDword(key, "Integrate", 0);
  }
}

std::string g_exeFolder, g_buildRoot, g_work;

std::string ExeFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  char folder[MAX_PATH];
  SplitProgramFolder(path, folder, sizeof folder);
  return folder;
}

void EmptyFolder(const std::string& folder) {
  WIN32_FIND_DATAA fd;
  HANDLE f = FindFirstFileA((folder + "*").c_str(), &fd);
  if (f == INVALID_HANDLE_VALUE) return;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((folder + fd.cFileName).c_str());
  } while (FindNextFileA(f, &fd));
  FindClose(f);
}

std::string ReadAll(const std::string& path) {
  std::string s;
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (f == INVALID_HANDLE_VALUE) return s;
  DWORD size = GetFileSize(f, nullptr), got = 0;
  s.resize(size);
  if (size && !ReadFile(f, &s[0], size, &got, nullptr)) got = 0;
  s.resize(got);
  CloseHandle(f);
  return s;
}

bool WriteAll(const std::string& path, const std::string& bytes) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) &&
            put == bytes.size();
  return CloseHandle(f) && ok;
}

size_t CountOf(const std::string& text, const char* what) {
  size_t n = 0, len = strlen(what);
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + len)) ++n;
  return n;
}

// ---- The floor of a catalogue load ---------------------------------------------------------------

template <typename Fn>
Fn As(FARPROC p) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(p));
}
using GetNameFn = long(__cdecl*)(char*, WORD);

struct BareConduit {
  HMODULE h;
  char name[64];
};

void BareLoad(const char* path, std::vector<BareConduit>& out) {
  BareConduit c{LoadLibraryA(path), {}};
  if (c.h) {
    FARPROC open = GetProcAddress(c.h, "OpenConduit");
    auto getName = As<GetNameFn>(GetProcAddress(c.h, "GetConduitName"));
    if (open && getName) getName(c.name, sizeof c.name);
  }
  out.push_back(c);
}

void FreeBare(std::vector<BareConduit>& mods) {
  for (const BareConduit& c : mods)
    if (c.h) FreeLibrary(c.h);
  mods.clear();
}

void ReadTextValue(HKEY h, const char* name, char* buf, DWORD cap) {
  DWORD type = 0, size = cap;
  if (RegQueryValueExA(h, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) != ERROR_SUCCESS)
    buf[0] = '\0';
  buf[cap - 1] = '\0';
}

DWORD ReadDwordValue(HKEY h, const char* name) {
  DWORD type = 0, v = 0, size = sizeof v;
  RegQueryValueExA(h, name, nullptr, &type, reinterpret_cast<BYTE*>(&v), &size);
  return v;
}

// What loading the registered conduits cannot do without: each registration key read once, each
// library loaded with its two look-ups and asked its name. Returns the number of registrations.
int FloorLoadRegistered(std::vector<BareConduit>& mods) {
  int n = 0;
  for (;; ++n) {
    HKEY h;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, AppKey(n).c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) break;
    char conduit[260], title[64], dir[32], file[32], info[64], remote[32];
    ReadDwordValue(h, "Creator");
    ReadTextValue(h, "Conduit", conduit, sizeof conduit);
    ReadDwordValue(h, "Integrate");
    ReadDwordValue(h, "Priority");
    ReadTextValue(h, "File", file, sizeof file);
    ReadTextValue(h, "Directory", dir, sizeof dir);
    ReadTextValue(h, "Information", info, sizeof info);
    ReadTextValue(h, "Remote", remote, sizeof remote);
    ReadTextValue(h, "Title", title, sizeof title);
    RegCloseKey(h);
    BareLoad(conduit, mods);
  }
  return n;
}

// The same library loads, with the very Conduit Manager calls Kestrin makes for each conduit:
// what is left above this is Kestrin's own work.
int ManagerLoadRegistered(std::vector<BareConduit>& mods) {
  int n = palm::CmGetConduitCount();
  for (int i = 0; i < n; ++i) {
    CondInfo w{};
    palm::CmGetConduitCreatorID(i, w.szCreatorID, 5);
    palm::CmGetCreatorName(w.szCreatorID, w.szConduit, sizeof w.szConduit);
    DWORD dw = 0;
    palm::CmConvertStringToCreatorID(w.szCreatorID, &dw);
    palm::CmGetCreatorIntegrate(w.szCreatorID, &dw);
    int pri = 0;
    palm::CmGetCreatorPriority(w.szCreatorID, &pri);
    palm::CmGetCreatorFile(w.szCreatorID, w.szFile, sizeof w.szFile);
    palm::CmGetCreatorDirectory(w.szCreatorID, w.szDirectory, sizeof w.szDirectory);
    palm::CmGetCreatorInfo(w.szCreatorID, w.szInfo, sizeof w.szInfo);
    palm::CmGetCreatorRemote(w.szCreatorID, w.szRemote, sizeof w.szRemote);
    palm::CmGetCreatorTitle(w.szCreatorID, w.szName, sizeof w.szName);
    BareLoad(w.szConduit, mods);
  }
  return n;
}

// The system catalogue's floor: the install conduit's key and the backup conduit's value read
// once, their libraries loaded.
void FloorLoadSystem(std::vector<BareConduit>& mods) {
  for (int n = 0;; ++n) {
    HKEY h;
    std::string key = std::string(kPalmRoot) + "\\InstallConduit" + std::to_string(n);
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) break;
    char conduit[260], creator[8], name[256];
    ReadTextValue(h, "Conduit", conduit, sizeof conduit);
    ReadTextValue(h, "Creator", creator, sizeof creator);
    ReadTextValue(h, "Name", name, sizeof name);
    RegCloseKey(h);
    BareLoad(conduit, mods);
  }
  HKEY h;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kCoreKey, 0, KEY_READ, &h) == ERROR_SUCCESS) {
    char backup[260];
    ReadTextValue(h, "BackupConduit", backup, sizeof backup);
    RegCloseKey(h);
    BareLoad(backup, mods);
  }
}

// ---- About the machine ----------------------------------------------------------------------------

std::string WineVersion() {
  HMODULE nt = GetModuleHandleA("ntdll.dll");
  FARPROC p = nt ? GetProcAddress(nt, "wine_get_version") : nullptr;
  if (!p) return "not Wine (ntdll has no wine_get_version)";
  return As<const char*(__cdecl*)()>(p)();
}

std::string Processor() {
  HKEY h;
  std::string s = "unknown";
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", 0,
                    KEY_READ, &h) != ERROR_SUCCESS)
    return s;
  char buf[256];
  ReadTextValue(h, "ProcessorNameString", buf, sizeof buf);
  RegCloseKey(h);
  if (buf[0]) s = buf;
  size_t first = s.find_first_not_of(' ');
  return first == std::string::npos ? s : s.substr(first);
}

void PrintMemory(const char* when) {
  PROCESS_MEMORY_COUNTERS pmc{};
  pmc.cb = sizeof pmc;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc)) {
    printf("Memory %s: GetProcessMemoryInfo failed (%lu)\n", when, GetLastError());
    return;
  }
  printf("Memory %s: peak working set %.1f MB, peak pagefile usage %.1f MB "
         "(now %.1f MB / %.1f MB)\n",
         when, pmc.PeakWorkingSetSize / 1048576.0, pmc.PeakPagefileUsage / 1048576.0,
         pmc.WorkingSetSize / 1048576.0, pmc.PagefileUsage / 1048576.0);
}

// ---- History ----------------------------------------------------------------------------------------

void PutInt(std::string& b, int v) {
  unsigned u = static_cast<unsigned>(v);
  for (int i = 0; i < 4; ++i) b += static_cast<char>((u >> (8 * i)) & 0xFF);
}
void PutString(std::string& b, const char* s) {
  PutInt(b, static_cast<int>(strlen(s)));
  b += s;
}

LogEntry HistoryEntry(int i) {
  LogEntry e;
  memset(&e, 0, sizeof e);
  snprintf(e.szFile, sizeof e.szFile, "C:\\Program Files (x86)\\Palm\\Conduits\\cond%05d.dll", i);
  snprintf(e.szName, sizeof e.szName, "Sample Conduit %05d", i);
  snprintf(e.szVersion, sizeof e.szVersion, "4.%d.0.%04d", i % 10, i % 10000);
  e.tTime = 1167609600 + i * 317;  // 2007 onwards, a few minutes apart
  e.nAction = 1 + i % 3;
  return e;
}

// All but the last entry written directly in the history's format; the last one appended by
// Kestrin's own AddEntry, which also proves the direct writer's bytes are its format.
void MakeHistory(const std::string& dataPath) {
  std::string b;
  b.reserve(static_cast<size_t>(kHistoryEntries) * 100);
  PutInt(b, kHistoryEntries - 1);
  for (int i = 0; i < kHistoryEntries - 1; ++i) {
    LogEntry e = HistoryEntry(i);
    PutString(b, e.szFile);
    PutString(b, e.szName);
    PutString(b, e.szVersion);
    PutInt(b, e.tTime);
    PutInt(b, e.nAction);
  }
  if (!WriteAll(dataPath, b)) Fail("cannot write " + dataPath);
  KestrinLog log;
  if (!log.AddEntry(HistoryEntry(kHistoryEntries - 1))) Fail("AddEntry failed on " + dataPath);
  std::string back = ReadAll(dataPath);
  int count = 0;
  if (back.size() >= 4) memcpy(&count, back.data(), 4);
  if (count != kHistoryEntries) Fail("the history holds " + std::to_string(count) + " entries");
}

// ---- Bare list view for the table floor -------------------------------------------------------------

struct RowText {
  std::string name, creator, file;
  int image;
  LPARAM param;
};

std::vector<RowText> TableRows(HWND lv) {
  std::vector<RowText> rows;
  int n = static_cast<int>(SendMessageA(lv, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    RowText r;
    char buf[3][600] = {};
    for (int sub = 0; sub < 3; ++sub) {
      LVITEMA it{};
      it.iSubItem = sub;
      it.pszText = buf[sub];
      it.cchTextMax = sizeof buf[sub];
      SendMessageA(lv, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&it));
    }
    LVITEMA it{};
    it.mask = LVIF_IMAGE | LVIF_PARAM;
    it.iItem = i;
    SendMessageA(lv, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
    r.name = buf[0];
    r.creator = buf[1];
    r.file = buf[2];
    r.image = it.iImage;
    r.param = it.lParam;
    rows.push_back(r);
  }
  return rows;
}

// Rows inserted the plain way: caption, picture and record, then the two other columns; the
// first row selected, then painted unless `paint` is false. The list view does not redraw until
// the last row is in: under Wine a visible list view otherwise redraws its frame at every row.
void BareFill(HWND lv, const std::vector<RowText>& rows, bool paint = true) {
  SendMessageA(lv, WM_SETREDRAW, FALSE, 0);
  SendMessageA(lv, LVM_DELETEALLITEMS, 0, 0);
  for (const RowText& r : rows) {
    LVITEMA it{};
    it.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    it.iItem = static_cast<int>(SendMessageA(lv, LVM_GETITEMCOUNT, 0, 0));
    it.pszText = const_cast<char*>(r.name.c_str());
    it.iImage = r.image;
    it.lParam = r.param;
    int idx = static_cast<int>(SendMessageA(lv, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it)));
    LVITEMA sub{};
    sub.iSubItem = 1;
    sub.pszText = const_cast<char*>(r.creator.c_str());
    SendMessageA(lv, LVM_SETITEMTEXTA, idx, reinterpret_cast<LPARAM>(&sub));
    sub.iSubItem = 2;
    sub.pszText = const_cast<char*>(r.file.c_str());
    SendMessageA(lv, LVM_SETITEMTEXTA, idx, reinterpret_cast<LPARAM>(&sub));
  }
  LVITEMA st{};
  st.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  st.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(lv, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&st));
  SendMessageA(lv, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(lv, nullptr, TRUE);
  if (paint) UpdateWindow(lv);
}

// A procedure that only passes messages on, installed the way the skin installs its own
// (SetWindowSubclass): what the subclassing alone costs.
LRESULT CALLBACK PassOn(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  return DefSubclassProc(h, msg, wp, lp);
}

// The same, installed by replacing the window procedure: no look-up of the subclass list.
WNDPROC g_passOnNext[2];
LRESULT CALLBACK PassOnList(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  return CallWindowProcA(g_passOnNext[0], h, msg, wp, lp);
}
LRESULT CALLBACK PassOnParent(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  return CallWindowProcA(g_passOnNext[1], h, msg, wp, lp);
}

// Seconds per message of 300 sent to a window that does nothing with them.
double PerMessage(HWND w) {
  return Time([w] {
           for (int i = 0; i < 300; ++i) SendMessageA(w, WM_NULL, 0, 0);
         }) / 300;
}

// A copy of a Kestrin table as a bare list view: same class, styles, size, columns, pictures and
// font, in a plain top-level window at the same place on the screen.
HWND MakeBareTable(HWND model, HWND* top) {
  static bool registered = false;
  HINSTANCE inst = GetModuleHandleA(nullptr);
  if (!registered) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = inst;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "KBenchBare";
    RegisterClassA(&wc);
    registered = true;
  }
  RECT r;
  GetWindowRect(model, &r);
  const DWORD style = WS_POPUP | WS_VISIBLE;
  *top = CreateWindowExA(WS_EX_TOOLWINDOW, "KBenchBare", "bare", style, r.left, r.top,
                         r.right - r.left, r.bottom - r.top, nullptr, nullptr, inst, nullptr);
  LONG lvStyle = GetWindowLongA(model, GWL_STYLE) & ~(WS_POPUP | WS_DISABLED);
  HWND lv = CreateWindowExA(GetWindowLongA(model, GWL_EXSTYLE), WC_LISTVIEWA, "",
                            static_cast<DWORD>(lvStyle) | WS_CHILD | WS_VISIBLE, 0, 0,
                            r.right - r.left, r.bottom - r.top, *top, nullptr, inst, nullptr);
  SendMessageA(lv, WM_SETFONT, SendMessageA(model, WM_GETFONT, 0, 0), FALSE);
  SendMessageA(lv, LVM_SETEXTENDEDLISTVIEWSTYLE, ~0u,
               SendMessageA(model, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
  SendMessageA(lv, LVM_SETIMAGELIST, LVSIL_SMALL,
               SendMessageA(model, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
  HWND header = reinterpret_cast<HWND>(SendMessageA(model, LVM_GETHEADER, 0, 0));
  int cols = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < cols; ++i) {
    char title[64] = {};
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    col.pszText = title;
    col.cchTextMax = sizeof title;
    SendMessageA(model, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
    SendMessageA(lv, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
  }
  return lv;
}

void Pump() {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) continue;
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}

// Puts a window on top and lets it settle, so the timed paint is the same for both sides.
void Front(HWND top) {
  SetWindowPos(top, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  Pump();
  UpdateWindow(top);
  Pump();
}

// ---- Why ------------------------------------------------------------------------------------------

std::vector<std::string> g_why;

void Why(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void Why(const char* fmt, ...) {
  char buf[1200];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
  g_why.push_back(buf);
}

double Ms(double s) { return s * 1000; }

// ---- Start-up steps ---------------------------------------------------------------------------

// One step of start-up: from one stamp to the next on each side (the n-th of a name stamped
// several times, the same n on both sides), from the process's start when `from` is null, to
// the moment the bench saw the window ready when `to` is null.
struct StartupStep {
  const char* what;
  const char* from;
  int fromNth;
  const char* to;
  int toNth;
  bool inFloor;  // false: the floor has no part for it
  const char* floorFrom;
  const char* floorTo;
};

const StartupStep kStartupSteps[] = {
    {"to WinMain", nullptr, 0, "winmain", 0, true, nullptr, "winmain"},
    {"set-up until the splash's timer (the floor: its window)", "winmain", 0, "timer", 0, true,
     "winmain", "timer"},
    {"the two ticks", "timer", 0, "tick", 1, true, "timer", "tick"},
    {"the catalogue load", "tick", 1, "loaded", 0, true, "tick", "loaded"},
    {"closing the splash, filling the tables, skin and fonts", "loaded", 0, "ready", 0, false,
     nullptr, nullptr},
    {"showing and the first paint", "ready", 0, "shown", 0, true, "loaded", "shown"},
    {"until the bench saw it ready", "shown", 0, nullptr, 0, true, "shown", nullptr},
};

struct StepFigures {
  const char* what;
  double code, floor;
};

// Seconds after the process's start at the n-th stamp of `name` (null: the start), or -1.
double StampAt(const StartupStamps& stamps, const char* name, int nth) {
  if (!name) return 0;
  for (const auto& s : stamps)
    if (s.first == name && nth-- == 0) return s.second;
  return -1;
}

// The median of a step over the runs that stamped both of its ends.
double StepMedian(const std::vector<StartupStamps>& runs, const std::vector<double>& seen,
                  const char* from, int fromNth, const char* to, int toNth) {
  std::vector<double> v;
  for (size_t r = 0; r < runs.size() && r < seen.size(); ++r) {
    const double a = StampAt(runs[r], from, fromNth);
    const double b = to ? StampAt(runs[r], to, toNth) : seen[r];
    if (a >= 0 && b >= 0) v.push_back(b - a);
  }
  return Median(v);
}

// Prints each step of start-up against its part of the floor.
std::vector<StepFigures> StartupBreakdown(const std::vector<StartupStamps>& code,
                                          const std::vector<double>& codeSeen,
                                          const std::vector<StartupStamps>& floor,
                                          const std::vector<double>& floorSeen) {
  std::vector<StepFigures> steps;
  auto stamped = [](const std::vector<StartupStamps>& runs) {
    return std::count_if(runs.begin(), runs.end(),
                         [](const StartupStamps& r) { return !r.empty(); });
  };
  if (stamped(code) == 0 || stamped(floor) == 0) {
    printf("    no breakdown: start-up stamps came from %d of %zu Kestrin runs and %d of %zu "
           "floor runs\n",
           static_cast<int>(stamped(code)), code.size(), static_cast<int>(stamped(floor)),
           floor.size());
    return steps;
  }
  std::string line;
  for (const StartupStep& s : kStartupSteps) {
    StepFigures f{s.what, StepMedian(code, codeSeen, s.from, s.fromNth, s.to, s.toNth), 0};
    if (s.inFloor)
      f.floor = StepMedian(floor, floorSeen, s.floorFrom, s.fromNth, s.floorTo, s.toNth);
    char buf[200];
    if (s.inFloor) {
      snprintf(buf, sizeof buf, "%s%s %.1f ms (floor %.1f ms)", line.empty() ? "" : ", ", s.what,
               Ms(f.code), Ms(f.floor));
    } else {
      snprintf(buf, sizeof buf, "%s%s %.1f ms (no part of the floor)", line.empty() ? "" : ", ",
               s.what, Ms(f.code));
    }
    line += buf;
    steps.push_back(f);
  }
  printf("    the steps against their parts of the floor (medians): %s\n", line.c_str());
  fflush(stdout);
  return steps;
}

}  // namespace

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);  // plain line ends in the committed output
  int repsSmall = 15, repsLarge = 5;
  std::string only = "abcdefg";
  auto runs = [&only](char w) { return only.find(w) != std::string::npos; };
  for (int i = 1; i < argc; ++i) {
    if (strcmp(argv[i], "--quick") == 0) repsSmall = repsLarge = 1;
    if (strcmp(argv[i], "--only") == 0 && i + 1 < argc) only = argv[++i];  // e.g. "cd"
  }

  printf("kbench: Kestrin's code against the floor, measured in one run\n");
  printf("Wine: %s\n", WineVersion().c_str());
  SYSTEM_INFO si;
  GetNativeSystemInfo(&si);
  printf("Processor: %s (%lu logical processors)\n", Processor().c_str(), si.dwNumberOfProcessors);
  printf("Build: %s, %d-bit\n", sizeof(void*) == 8 ? "x86_64" : "i686", int(sizeof(void*) * 8));
  printf("Figures: medians of %d runs (%d for the 300-conduit loads and Refresh), the sides taking "
         "turns at running first, after one warm-up run of each; every catalogue load and "
         "Refresh follows an untimed registry write, so the stand-in Conduit Manager reads its "
         "keys afresh\n\n",
         repsSmall, repsLarge);

  g_exeFolder = ExeFolder();
  g_buildRoot = g_exeFolder + "..\\";
  const std::string conduits = g_buildRoot + "conduits\\";
  g_work = g_exeFolder + "kbench-work\\";
  CreateDirectoryA(g_work.c_str(), nullptr);
  EmptyFolder(g_work);
  SetProgramFolderOverride(g_work.c_str());
  SetShellOpener([](const char*) {});
  std::vector<std::string> messages;
  kui::SetMessageAnswerer([&messages](const kui::MessageRequest& r) {
    messages.push_back(r.caption + ": " + r.text);
    return IDYES;
  });

  char palm[MAX_PATH] = {};
  if (GetPalmDesktopPath(palm, sizeof palm) != 0 || !palm[0])
    Fail("no Palm Desktop registered (HKCU Core DesktopPath); run scripts/bench.sh");
  if (!LoadPalmLibraries(kPalmAll)) Fail(std::string("the Palm libraries in ") + palm + " do not load");

  // N copies of one sample conduit under distinct names: distinct libraries to the loader.
  std::vector<std::string> libs;
  for (int i = 0; i < kLargeLoad; ++i) {
    char name[32];
    snprintf(name, sizeof name, "bench%03d.dll", i);
    libs.push_back(g_work + name);
    if (!CopyFileA((conduits + kSample).c_str(), libs.back().c_str(), FALSE))
      Fail("cannot copy " + conduits + kSample);
  }
  // The system catalogue as on a desktop: one install conduit and the backup conduit.
  SetText(kCoreKey, "BackupConduit", conduits + "backup.dll");

  printf("%-46s %13s %13s %7s\n", "workload", "Kestrin", "floor", "ratio");

  // (a) Catalogue load and free, against bare loads and the same registry reads.
  Figures loads[2];
  double sameCalls[2] = {0, 0};  // the same Conduit Manager calls with bare loads
  std::unique_ptr<CCondMgr> app300;
  for (int k = runs('a') ? 0 : 1; k < 2; ++k) {
    const int n = k == 0 ? kSmallLoad : kLargeLoad;
    Register(libs, n);
    std::string installKey = std::string(kPalmRoot) + "\\InstallConduit0";
    SetText(installKey, "Conduit", conduits + "instcond.dll");
    SetText(installKey, "Creator", "inst");
    SetText(installKey, "Name", "Install Handheld Files");

    auto code = [n] {
      CCondMgr m;
      m.Load(kLoadApplication);
      if (m.GetCount() != static_cast<uint32_t>(n)) Fail("catalogue of " + std::to_string(m.GetCount()));
      m.Clear();
    };
    auto floor = [n] {
      std::vector<BareConduit> mods;
      if (FloorLoadRegistered(mods) != n) Fail("floor saw another count");
      FreeBare(mods);
    };
    auto manager = [] {
      std::vector<BareConduit> mods;
      ManagerLoadRegistered(mods);
      FreeBare(mods);
    };
    char what[80];
    snprintf(what, sizeof what, "(a) catalogue load, %d conduits", n);
    // The third side makes the very Conduit Manager calls Kestrin makes, with bare loads: what
    // Kestrin adds to them is its own work.
    if (!runs('a')) break;
    std::vector<double> mgr;
    loads[k] = Measure(what, n == kLargeLoad ? repsLarge : repsSmall,
                       {Side{code, TouchRegistry}, Side{floor, TouchRegistry},
                        Side{manager, TouchRegistry}},
                       "the same Conduit Manager calls + bare loads", &mgr);
    sameCalls[k] = Median(mgr);
  }

  // Peak memory with 300 conduit libraries loaded.
  app300 = std::make_unique<CCondMgr>();
  if (runs('a') || runs('b')) {
    app300->Load(kLoadApplication);
    PrintMemory("after loading 300 conduits");
  }

  // Where the 300-conduit load goes: one Conduit Manager call at the first and at the last key,
  // and Find over the catalogue for a creator it does not hold, as during a load.
  double firstCall = 0, lastCall = 0, finds = 0;
  if (runs('a')) {
    char buf[64];
    const std::string first = Creator(0), last = Creator(kLargeLoad - 1);
    const int calls = 20;
    firstCall = Time([&] {
      for (int i = 0; i < calls; ++i) palm::CmGetCreatorTitle(first.c_str(), buf, sizeof buf);
    }) / calls;
    lastCall = Time([&] {
      for (int i = 0; i < calls; ++i) palm::CmGetCreatorTitle(last.c_str(), buf, sizeof buf);
    }) / calls;
    finds = Time([&] {
      for (const std::string& l : libs) app300->Find("none", l.c_str());
    });
    printf("    one Conduit Manager call: %.3f ms at Application0, %.3f ms at Application%d; "
           "%d Find calls on the full catalogue: %.1f ms\n",
           Ms(firstCall), Ms(lastCall), kLargeLoad - 1, kLargeLoad, Ms(finds));
  }
  fflush(stdout);
  if (loads[1].Ratio() > 1.5 || loads[0].Ratio() > 1.5) {
    Why("(a) The floor opens each registration key once and reads its values; the Conduit "
        "Manager's interface takes one call per value, each a registry read of its own in the "
        "stand-in after it checks whether the registry changed. One call costs %.3f ms at "
        "Application0 and %.3f ms at Application%d. The same calls with bare loads and no "
        "Kestrin code took %.1f ms of Kestrin's %.1f ms for 30 conduits and %.0f ms of %.0f ms "
        "for 300 (Kestrin / them %.2f and %.2f; Find over the whole catalogue %.1f ms for 300).",
        Ms(firstCall), Ms(lastCall), kLargeLoad - 1, Ms(sameCalls[0]), Ms(loads[0].Code()),
        Ms(sameCalls[1]), Ms(loads[1].Code()), loads[0].Code() / sameCalls[0],
        loads[1].Code() / sameCalls[1], Ms(finds));
  }

  // (b) The conduit report of 300 conduits, against reading the same version records and
  // writing the same bytes at once.
  if (runs('b')) {
    CCondMgr sys;
    sys.Load(kLoadSystem);
    const std::string report = g_work + kConduitReportFile;
    const std::string floorReport = g_work + "floor-report.html";
    if (!WriteConduitReport(report.c_str(), *app300, sys)) Fail("WriteConduitReport failed");
    const std::string bytes = ReadAll(report);
    if (CountOf(bytes, "<tr bgcolor=#FFFFFF") != static_cast<size_t>(kLargeLoad))
      Fail("the report lacks rows");
    std::vector<std::string> paths;
    for (CondInfo* p = app300->GetFirst(); p; p = app300->GetNext()) paths.push_back(p->szConduit);
    for (CondInfo* p = sys.GetFirst(); p; p = sys.GetNext()) paths.push_back(p->szConduit);
    auto versions = [&paths] {
      for (const std::string& p : paths) {
        DWORD handle = 0, size = GetFileVersionInfoSizeA(p.c_str(), &handle);
        if (!size) continue;
        std::vector<unsigned char> block(size);
        void* v = nullptr;
        UINT len = 0;
        char root[] = "\\";
        if (GetFileVersionInfoA(p.c_str(), 0, size, block.data()))
          VerQueryValueA(block.data(), root, &v, &len);
      }
    };
    Figures f = Measure(
        "(b) conduit report, 300 conduits", repsSmall,
        [&] {
          if (!WriteConduitReport(report.c_str(), *app300, sys)) Fail("WriteConduitReport failed");
        },
        [&] {
          versions();
          if (!WriteAll(floorReport, bytes)) Fail("cannot write " + floorReport);
        });
    std::vector<double> ver, write;
    for (int r = 0; r < repsSmall; ++r) {
      ver.push_back(Time(versions));
      write.push_back(Time([&] { WriteAll(floorReport, bytes); }));
    }
    printf("    of the floor: version records %.1f ms, writing %zu bytes %.1f ms\n",
           Ms(Median(ver)), bytes.size(), Ms(Median(write)));
    fflush(stdout);
    if (f.Ratio() > 1.5)
      Why("(b) The report's extra time over the floor is %.1f ms: building the page text and "
          "writing it beside the old report before replacing it (version records %.1f ms, the "
          "bare write %.1f ms).",
          Ms(f.Code() - f.Floor()), Ms(Median(ver)), Ms(Median(write)));
  }

  // (c) The history page of 100,000 entries, against reading the file and writing the same page
  // bytes at once.
  if (runs('c')) {
    const std::string data = g_work + "kestrinlog.dat";
    const std::string page = g_work + "kestrinlog.html";
    const std::string floorPage = g_work + "floor-page.html";
    MakeHistory(data);
    KestrinLog log;
    if (!ShowHistory(log)) Fail("ShowHistory failed");
    const std::string bytes = ReadAll(page);
    if (CountOf(bytes, "<tr bgcolor=#FFFFFF") != static_cast<size_t>(kHistoryEntries))
      Fail("the history page lacks rows");
    Figures f = Measure(
        "(c) history page, 100,000 entries", repsSmall,
        [&] {
          if (!ShowHistory(log)) Fail("ShowHistory failed");
        },
        [&] {
          std::string in = ReadAll(data);
          if (in.empty() || !WriteAll(floorPage, bytes)) Fail("floor of the history failed");
        });

    // Where the page's time goes, each step against its part of the floor: reading the entries
    // in pieces (the floor reads the bytes), the rows (no part of the floor; of them the time
    // stamps, one runtime conversion per 15-minute slot), writing the page (the floor writes the
    // same bytes).
    std::vector<double> text, write, read, floorRead, stamps, eachStamp, copy;
    std::vector<time_t> times;
    times.reserve(kHistoryEntries);
    for (int i = 0; i < kHistoryEntries; ++i) times.push_back(HistoryEntry(i).tTime);
    size_t sink = 0;
    for (int r = 0; r < repsSmall; ++r) {
      CxFile file;
      if (!file.Open(data.c_str(), "rb")) Fail("cannot open " + data);
      std::string html;
      text.push_back(Time([&] { html = HistoryPage(file, kx::Now()); }));
      file.Close();
      write.push_back(Time([&] {
        FILE* fp = fopen(floorPage.c_str(), "wb");
        if (!fp || fwrite(html.data(), 1, html.size(), fp) != html.size() || fclose(fp) != 0)
          Fail("cannot write " + floorPage);
      }));
      floorRead.push_back(Time([&] { sink += ReadAll(data).size(); }));
      read.push_back(Time([&] {
        CxFile in;
        if (!in.Open(data.c_str(), "rb") || fseek(in.m_fp, 4, SEEK_SET) != 0) Fail("cannot open " + data);
        HistoryReader reader(in.m_fp);
        LogEntry e;
        int n = 0;
        while (reader.Next(&e)) ++n;
        if (n != kHistoryEntries) Fail("the reader saw " + std::to_string(n) + " entries");
      }));
      stamps.push_back(Time([&] {
        kx::LocalStamps slots;
        char buf[kx::kTimeStampSize];
        for (time_t t : times) sink += slots.Stamp(t, buf);
      }));
      eachStamp.push_back(Time([&] {
        char buf[kx::kTimeStampSize];
        for (time_t t : times) sink += strlen(kx::LocalTimeStamp(t, buf, sizeof buf));
      }));
      // The page's bytes copied at once into new memory of their size: what any page built in
      // memory costs at least.
      copy.push_back(Time([&] {
        std::string s;
        s.reserve(html.size());
        s.append(html);
        sink += s.size();
      }));
    }
    const double tPage = Median(text), tWrite = Median(write), tRead = Median(read),
                 tFloorRead = Median(floorRead), tFloorWrite = f.Floor() - tFloorRead,
                 tStamp = Median(stamps), tEach = Median(eachStamp), tCopy = Median(copy),
                 tRows = tPage - tRead;
    printf("    the steps against their parts of the floor: reading the entries in pieces %.1f ms "
           "(the floor reads the bytes in %.1f ms), the rows %.1f ms (no part of the floor; of "
           "them the time stamps %.1f ms, where converting each entry would take %.1f ms; "
           "copying the page's %zu bytes at once into new memory takes %.1f ms), writing the "
           "page %.1f ms (the rest of the floor %.1f ms) (%zu)\n",
           Ms(tRead), Ms(tFloorRead), Ms(tRows), Ms(tStamp), Ms(tEach), bytes.size(), Ms(tCopy),
           Ms(tWrite), Ms(tFloorWrite), sink % 10);
    fflush(stdout);
    if (f.Ratio() > 1.5)
      Why("(c) The page is built in memory; the floor only reads and writes the bytes. Of "
          "Kestrin's %.0f ms: reading the entries in pieces %.0f ms (the floor's read %.0f ms, "
          "%+.0f ms); the rows %.0f ms, which have no part in the floor (their time stamps "
          "%.0f ms; only copying the page's bytes at once into new memory takes %.0f ms, %.2f "
          "times the floor); writing the page %.0f ms (the rest of the floor %.0f ms, %+.0f ms).",
          Ms(f.Code()), Ms(tRead), Ms(tFloorRead), Ms(tRead - tFloorRead), Ms(tRows), Ms(tStamp),
          Ms(tCopy), f.Floor() > 0 ? tCopy / f.Floor() : 0, Ms(tWrite), Ms(tFloorWrite),
          Ms(tWrite - tFloorWrite));
  }

  app300.reset();

  // (d) The application table of 300 rows on the real main window, and Refresh as a whole.
  if (runs('d')) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    TfmInit::ResetRunFlags();
    kui::SetNextModalAction(TfmInit::kClassName, [](kui::ModalWindow& w) {
      auto& splash = static_cast<TfmInit&>(w);
      splash.tmInitTimer();
      splash.tmInitTimer();
    });
    auto fm = std::make_unique<TfmMain>();
    if (!fm->Create()) Fail("the main window was not created");
    fm->Show(SW_SHOWNOACTIVATE);
    Pump();
    const int rows = static_cast<int>(SendMessageA(fm->slvApp, LVM_GETITEMCOUNT, 0, 0));
    if (rows != kLargeLoad) Fail("the application table holds " + std::to_string(rows) + " rows");
    const std::vector<RowText> appRows = TableRows(fm->slvApp);
    const std::vector<RowText> sysRows = TableRows(fm->slvSys);
    HWND bareTopApp, bareTopSys;
    HWND bareApp = MakeBareTable(fm->slvApp, &bareTopApp);
    HWND bareSys = MakeBareTable(fm->slvSys, &bareTopSys);
    Pump();

    auto frontMain = [&] { Front(fm->hwnd()); };
    auto frontBare = [&] {
      Front(bareTopSys);
      Front(bareTopApp);
    };
    Figures fill = Measure("(d) application table, 300 rows", repsSmall,
                           {Side{[&] {
                                   fm->FillAppList();
                                   UpdateWindow(fm->slvApp);
                                 },
                                 frontMain},
                            Side{[&] { BareFill(bareApp, appRows); }, frontBare}});
    // Where each side's time goes: putting the rows in, then painting the visible ones; of the
    // table's filling, reading the removed-conduit store it also lists.
    // Then the bare list view with it and its parent subclassed once each by a procedure that
    // passes everything on, and what one message costs to each window.
    std::vector<double> tableFill, tablePaint, store, bareFill, barePaint, subFill, procFill;
    std::vector<double> msgTable, msgMain, msgBare, msgSub;
    for (int r = 0; r < repsSmall; ++r) {
      frontMain();
      tableFill.push_back(Time([&] { fm->FillAppList(); }));
      tablePaint.push_back(Time([&] { UpdateWindow(fm->slvApp); }));
      store.push_back(Time([&] { fm->LoadRemovedList(); }));
      msgTable.push_back(PerMessage(fm->slvApp));
      msgMain.push_back(PerMessage(fm->hwnd()));
      frontBare();
      bareFill.push_back(Time([&] { BareFill(bareApp, appRows, false); }));
      barePaint.push_back(Time([&] { UpdateWindow(bareApp); }));
      msgBare.push_back(PerMessage(bareApp));
      SetWindowSubclass(bareApp, PassOn, 1, 0);
      SetWindowSubclass(bareTopApp, PassOn, 1, 0);
      subFill.push_back(Time([&] { BareFill(bareApp, appRows, false); }));
      msgSub.push_back(PerMessage(bareApp));
      RemoveWindowSubclass(bareApp, PassOn, 1);
      RemoveWindowSubclass(bareTopApp, PassOn, 1);
      g_passOnNext[0] = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
          bareApp, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PassOnList)));
      g_passOnNext[1] = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
          bareTopApp, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PassOnParent)));
      procFill.push_back(Time([&] { BareFill(bareApp, appRows, false); }));
      SetWindowLongPtrA(bareApp, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_passOnNext[0]));
      SetWindowLongPtrA(bareTopApp, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_passOnNext[1]));
      UpdateWindow(bareApp);
    }
    printf("    the table: rows in %.1f ms (of which reading the removed-conduit store %.1f ms), "
           "painting %.1f ms; the bare list view: rows in %.1f ms, painting %.1f ms\n"
           "    the bare list view with it and its parent subclassed by pass-through procedures: "
           "rows in %.1f ms through SetWindowSubclass, %.1f ms by replacing the window "
           "procedures\n"
           "    one message (WM_NULL): to the table %.1f us, to the main window %.1f us, to the "
           "bare list view %.1f us, to it subclassed %.1f us\n",
           Ms(Median(tableFill)), Ms(Median(store)), Ms(Median(tablePaint)),
           Ms(Median(bareFill)), Ms(Median(barePaint)), Ms(Median(subFill)), Ms(Median(procFill)),
           Ms(Median(msgTable)) * 1000, Ms(Median(msgMain)) * 1000, Ms(Median(msgBare)) * 1000,
           Ms(Median(msgSub)) * 1000);
    fflush(stdout);

    // Each Refresh starts with no conduit library loaded on either side: a library still held
    // by the other side would load by a mere count. Releasing is not timed on either side.
    std::vector<BareConduit> floorMods;
    auto nothingLoaded = [&] {
      fm->m_pAppCondMgr->Clear();
      fm->m_pSysCondMgr->Clear();
      fm->FillAppList();  // no row may point at a released record
      fm->FillSysList();
      FreeBare(floorMods);
      SendMessageA(bareApp, LVM_DELETEALLITEMS, 0, 0);
      SendMessageA(bareSys, LVM_DELETEALLITEMS, 0, 0);
    };
    Figures refresh = Measure("(d) Refresh as a whole, 300 conduits", repsLarge,
                              {Side{[&] {
                                      fm->sbtnRefreshClick();
                                      UpdateWindow(fm->slvApp);
                                      UpdateWindow(fm->slvSys);
                                    },
                                    [&] {
                                      nothingLoaded();
                                      TouchRegistry();
                                      frontMain();
                                    }},
                               Side{[&] {
                                      FloorLoadRegistered(floorMods);
                                      FloorLoadSystem(floorMods);
                                      BareFill(bareApp, appRows);
                                      BareFill(bareSys, sysRows);
                                    },
                                    [&] {
                                      nothingLoaded();
                                      TouchRegistry();
                                      frontBare();
                                    }}});
    FreeBare(floorMods);
    if (fill.Ratio() > 1.5)
      Why("(d) Both sides put the same rows in with redrawing off until the last one, then paint "
          "once (the table %.0f ms, the bare list view %.0f ms). The difference is in putting "
          "the rows in, %.0f ms against %.0f ms: the skin (src/ui/SkinControls) subclasses the "
          "table and the main window through SetWindowSubclass, and under Wine a message "
          "through such a subclass waits for the wineserver (Wine's comctl32 looks the subclass "
          "list up as a window property at every message): one message costs %.0f us to the "
          "table, %.0f us to the main window and %.0f us to the bare list view subclassed once, "
          "against %.1f us to the bare list view; a row is four messages to the table and "
          "notifications to its parent. With it and its parent subclassed by procedures that "
          "only pass messages on, the bare list view takes %.0f ms through SetWindowSubclass and "
          "%.0f ms when the window procedures are replaced instead.",
          Ms(Median(tablePaint)), Ms(Median(barePaint)), Ms(Median(tableFill)),
          Ms(Median(bareFill)), Ms(Median(msgTable)) * 1000, Ms(Median(msgMain)) * 1000,
          Ms(Median(msgSub)) * 1000, Ms(Median(msgBare)) * 1000, Ms(Median(subFill)),
          Ms(Median(procFill)));
    if (refresh.Ratio() > 1.5)
      Why("(d) Refresh runs both catalogue loads and both fills, so it carries the reasons of "
          "(a) and of the table: the 300-conduit load alone took %.0f ms and the table fill "
          "%.0f ms, of %.0f ms for Refresh (floor %.0f ms).",
          Ms(loads[1].Code()), Ms(fill.Code()), Ms(refresh.Code()), Ms(refresh.Floor()));
    DestroyWindow(bareTopApp);
    DestroyWindow(bareTopSys);
    fm.reset();
    Pump();
  }

  // (e) One entry appended to a history of 100,000 entries: AddEntry walks the entries, so its
  // floor reads the file's bytes once, appends the entry and raises the count, flushing each to
  // disk as AddEntry does.
  if (runs('e')) {
    const std::string data = g_work + "kestrinlog.dat";
    const std::string floorData = g_work + "floor-log.dat";
    MakeHistory(data);
    if (!CopyFileA(data.c_str(), floorData.c_str(), FALSE)) Fail("cannot copy " + data);
    KestrinLog log;
    int next = kHistoryEntries, floorNext = kHistoryEntries;
    Figures f = Measure(
        "(e) history append, 100,000 entries", repsSmall,
        [&] {
          if (!log.AddEntry(HistoryEntry(next++))) Fail("AddEntry failed");
        },
        [&] {
          const std::string in = ReadAll(floorData);
          if (in.size() < 4) Fail("cannot read " + floorData);
          const LogEntry e = HistoryEntry(floorNext++);
          std::string b;
          PutString(b, e.szFile);
          PutString(b, e.szName);
          PutString(b, e.szVersion);
          PutInt(b, e.tTime);
          PutInt(b, e.nAction);
          std::string count;
          PutInt(count, floorNext);
          FILE* fp = fopen(floorData.c_str(), "r+b");
          bool ok = fp && fseek(fp, static_cast<long>(in.size()), SEEK_SET) == 0 &&
                    fwrite(b.data(), 1, b.size(), fp) == b.size() && fflush(fp) == 0 &&
                    _commit(_fileno(fp)) == 0 && fseek(fp, 0, SEEK_SET) == 0 &&
                    fwrite(count.data(), 1, 4, fp) == 4 && fflush(fp) == 0 &&
                    _commit(_fileno(fp)) == 0;
          if (fp) ok = fclose(fp) == 0 && ok;
          if (!ok) Fail("floor of the append failed");
        });
    const std::string back = ReadAll(data);
    int count = 0;
    if (back.size() >= 4) memcpy(&count, back.data(), 4);
    if (count != next || back != ReadAll(floorData)) Fail("the append and its floor disagree");
    if (f.Ratio() > 1.5)
      Why("(e) The floor reads the bytes and appends; AddEntry also reads each of the %d entries "
          "to find where the whole ones end (%.1f ms over the floor).",
          count - 1, Ms(f.Code() - f.Floor()));
  }

  // (f) Memory and (g) start-up of kestrin.exe as a user runs it, from a program folder of its
  // own, against kfloor.exe: the same system DLLs, one window, the same libraries loaded bare.
  if (runs('f') || runs('g')) {
    const std::string prog = g_work + "kprog\\";
    CreateDirectoryA(prog.c_str(), nullptr);
    const std::string kexe = prog + "kestrin.exe", kfloor = g_exeFolder + "kfloor.exe";
    if (!CopyFileA((g_buildRoot + "bin\\kestrin.exe").c_str(), kexe.c_str(), FALSE))
      Fail("cannot copy " + g_buildRoot + "bin\\kestrin.exe");
    const char kMain[] = "Kestrin - Install/Uninstall Palm Conduits";
    std::vector<StepFigures> steps;
    auto pair = [&](const char* what, int n, int reps, bool memory) {
      Register(libs, n);
      std::vector<double> code, floor, codeMB, floorMB;
      std::vector<StartupStamps> codeStamps, floorStamps;
      // A start-up run stamps its steps into the file the environment names (the child
      // inherits it).
      const std::string stampFile = g_work + "stamps.txt";
      for (int r = 0; r < reps; ++r) {
        for (int k = 0; k < 2; ++k) {
          const bool kestrin = (r + k) % 2 == 0;
          DeleteFileA(stampFile.c_str());
          if (!memory) SetEnvironmentVariableA("KESTRIN_STARTUP_STAMPS", stampFile.c_str());
          const ChildRun run = kestrin ? RunChild(kexe, "", prog, kMain, n)
                                       : RunChild(kfloor, memory ? "memory" : "startup", g_work,
                                                  "kfloor ready", -1);
          if (!run.ok) Fail(std::string(what) + ": " + (kestrin ? "kestrin.exe" : "kfloor.exe") +
                            " did not come up");
          SetEnvironmentVariableA("KESTRIN_STARTUP_STAMPS", nullptr);
          (kestrin ? codeStamps : floorStamps).push_back(ReadStartupStamps(stampFile, run.started));
          (kestrin ? code : floor).push_back(run.seconds);
          (kestrin ? codeMB : floorMB).push_back(run.peakMB);
        }
      }
      Figures f;
      f.what = what;
      if (memory) {
        f.code = codeMB;
        f.floor = floorMB;
        printf("%-46s %10.1f MB %10.1f MB %7.2f\n", what, f.Code(), f.Floor(), f.Ratio());
        auto mb = [](std::vector<double> v) {  // Samples prints thousandths
          for (double& x : v) x /= 1000;
          return Samples(v);
        };
        printf("    samples (MB)  Kestrin: %s | floor: %s\n", mb(codeMB).c_str(),
               mb(floorMB).c_str());
      } else {
        f.code = code;
        f.floor = floor;
        printf("%-46s %10.1f ms %10.1f ms %7.2f\n", what, Ms(f.Code()), Ms(f.Floor()), f.Ratio());
        printf("    samples (ms)  Kestrin: %s | floor: %s\n", Samples(code).c_str(),
               Samples(floor).c_str());
      }
      fflush(stdout);
      g_results.push_back(f);
      if (!memory) steps = StartupBreakdown(codeStamps, code, floorStamps, floor);
      return f;
    };
    if (runs('f')) {
      const Figures f = pair("(f) peak working set, 300 conduits", kLargeLoad, 3, true);
      RemoveRegistrations();
      const ChildRun none = RunChild(kexe, "", prog, kMain, 0);
      if (!none.ok) Fail("kestrin.exe without conduits did not come up");
      printf("    Kestrin with no conduit registered: %.1f MB\n", none.peakMB);
      if (f.Ratio() > 1.2)
        Why("(f) Kestrin's working set is %.1f MB beyond the floor's %.1f MB; with no conduit "
            "registered it is %.1f MB.",
            f.Code() - f.Floor(), f.Floor(), none.peakMB);
    }
    if (runs('g')) {
      // Both include the two-second wait of the splash, which is behaviour, not cost.
      const Figures g = pair("(g) start-up, 30 conduits", kSmallLoad, 5, false);
      if (g.Ratio() > 1.3) {
        std::string parts;
        for (const StepFigures& s : steps) {
          char buf[160];
          snprintf(buf, sizeof buf, "%s%s %+.0f ms", parts.empty() ? "" : ", ", s.what,
                   Ms(s.code - s.floor));
          parts += buf;
        }
        Why("(g) Kestrin's start-up takes %.0f ms beyond the floor's %.0f ms (both with the "
            "splash's two ticks); step by step against the floor's part: %s.",
            Ms(g.Code() - g.Floor()), Ms(g.Floor()),
            parts.empty() ? "no step was stamped" : parts.c_str());
      }
    }
  }

  RemoveRegistrations();
  RegDeleteTreeA(HKEY_CURRENT_USER, kTouchKey);
  RegDeleteKeyA(HKEY_CURRENT_USER, kTouchKey);
  FreePalmLibraries(kPalmAll);
  EmptyFolder(g_work);
  RemoveDirectoryA(g_work.c_str());

  printf("\nRatios above 1.5:\n");
  if (g_why.empty()) printf("  none\n");
  for (const std::string& w : g_why) printf("  %s\n", w.c_str());
  for (const std::string& m : messages) printf("message shown: %s\n", m.c_str());
  fflush(stdout);
  return 0;
}
