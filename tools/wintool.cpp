// wintool: finds top-level windows by their exact title and reads list views, texts and control
// states from outside the process that owns them. Used by the screenshot and journey scripts,
// where the windows live in Wine's virtual desktop and X tools cannot see inside them.
//
//   wintool wait <title> <seconds>       exit 0 once a visible window with that title exists
//   wintool gone <title> <seconds>       exit 0 once no visible window has that title
//   wintool rows <title> <n>             print the rows of the n-th list view (0-based) in it,
//                                        one line each, columns separated by " | "
//   wintool rect <title>                 print "x y width height" of the window
//   wintool front <title>                bring the window to the front
//   wintool syschar <title> <letter>     post Alt+letter (a mnemonic) to the window
//   wintool click <title> <id>           post the click of the window's control with that id
//   wintool close <title>                post WM_CLOSE to the window
//   wintool minimize <title>             minimise the window
//   wintool iconic <title>               print "iconic" or "normal"
//   wintool dblclick <title> <n> <row>   select the row of the n-th list view and double-click it
//   wintool selected <title> <n>         print the indices of the selected rows of the n-th list view
//   wintool rowpoint <title> <n> <row>   print "x y", a screen point inside that row's first cell
//   wintool point <title> <id>           print "x y", the screen centre of the control with that id
//   wintool text <title> [id]            print the text of the window, or of its control with that
//                                        id (65535: the text of a message box)
//   wintool state <title> <id>           print "enabled|disabled checked|unchecked" of a control
//   wintool focus <title>                print "<class> <id>" of the control with the keyboard focus
//                                        in the window's thread
//   wintool active                       print the title of the foreground window
//   wintool tip                          print "x y width height" of a tooltip that shows
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct FindCtx {
  const char* title;
  HWND found;
};

BOOL CALLBACK FindTop(HWND hwnd, LPARAM lp) {
  auto* ctx = reinterpret_cast<FindCtx*>(lp);
  char text[512] = {};
  if (IsWindowVisible(hwnd) && GetWindowTextA(hwnd, text, sizeof text) > 0 &&
      strcmp(text, ctx->title) == 0) {
    ctx->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND FindVisible(const char* title) {
  FindCtx ctx{title, nullptr};
  EnumWindows(FindTop, reinterpret_cast<LPARAM>(&ctx));
  return ctx.found;
}

BOOL CALLBACK CollectLists(HWND hwnd, LPARAM lp) {
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (_stricmp(cls, WC_LISTVIEWA) == 0) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
  return TRUE;
}

HWND NthList(HWND top, int index) {
  std::vector<HWND> lists;
  EnumChildWindows(top, CollectLists, reinterpret_cast<LPARAM>(&lists));
  if (index < 0 || index >= static_cast<int>(lists.size())) {
    fprintf(stderr, "wintool: no list view %d (found %u)\n", index, unsigned(lists.size()));
    return nullptr;
  }
  return lists[index];
}

// Reads one cell through memory of the owning process: a list view writes into its own
// address space only.
class RemoteBuffer {
 public:
  RemoteBuffer(HANDLE process, size_t size) : m_process(process), m_size(size) {
    m_ptr = VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  }
  ~RemoteBuffer() {
    if (m_ptr) VirtualFreeEx(m_process, m_ptr, 0, MEM_RELEASE);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  char* ptr() const { return static_cast<char*>(m_ptr); }

 private:
  HANDLE m_process;
  size_t m_size;
  void* m_ptr = nullptr;
};

// The process that owns a list view, opened for its memory and closed with the object.
class ListProcess {
 public:
  explicit ListProcess(HWND lv) {
    DWORD pid = 0;
    GetWindowThreadProcessId(lv, &pid);
    m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!m_process) fprintf(stderr, "wintool: cannot open the window's process\n");
  }
  ~ListProcess() {
    if (m_process) CloseHandle(m_process);
  }
  ListProcess(const ListProcess&) = delete;
  ListProcess& operator=(const ListProcess&) = delete;
  HANDLE get() const { return m_process; }

 private:
  HANDLE m_process = nullptr;
};

int PrintRows(HWND top, int index) {
  HWND lv = NthList(top, index);
  if (!lv) return 1;
  ListProcess process(lv);
  if (!process.get()) return 1;
  HWND header = reinterpret_cast<HWND>(SendMessageA(lv, LVM_GETHEADER, 0, 0));
  int cols = header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
  int rows = static_cast<int>(SendMessageA(lv, LVM_GETITEMCOUNT, 0, 0));
  const size_t kText = 512;
  RemoteBuffer remote(process.get(), sizeof(LVITEMA) + kText);
  if (!remote.ptr()) return 1;
  for (int r = 0; r < rows; ++r) {
    std::string line;
    for (int c = 0; c < cols; ++c) {
      LVITEMA item{};
      item.iSubItem = c;
      item.pszText = remote.ptr() + sizeof(LVITEMA);
      item.cchTextMax = static_cast<int>(kText);
      SIZE_T done = 0;
      WriteProcessMemory(process.get(), remote.ptr(), &item, sizeof item, &done);
      SendMessageA(lv, LVM_GETITEMTEXTA, static_cast<WPARAM>(r), reinterpret_cast<LPARAM>(remote.ptr()));
      char text[kText] = {};
      ReadProcessMemory(process.get(), remote.ptr() + sizeof(LVITEMA), text, kText - 1, &done);
      if (c) line += " | ";
      line += text;
    }
    printf("%s\n", line.c_str());
  }
  return 0;
}

// The picture index of each row, one per line.
int PrintImages(HWND top, int index) {
  HWND lv = NthList(top, index);
  if (!lv) return 1;
  ListProcess process(lv);
  if (!process.get()) return 1;
  int rows = static_cast<int>(SendMessageA(lv, LVM_GETITEMCOUNT, 0, 0));
  RemoteBuffer remote(process.get(), sizeof(LVITEMA));
  if (!remote.ptr()) return 1;
  for (int r = 0; r < rows; ++r) {
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = r;
    SIZE_T done = 0;
    WriteProcessMemory(process.get(), remote.ptr(), &item, sizeof item, &done);
    SendMessageA(lv, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote.ptr()));
    ReadProcessMemory(process.get(), remote.ptr(), &item, sizeof item, &done);
    printf("%d\n", item.iImage);
  }
  return 0;
}

// The label rectangle of a row, in the list's client coordinates, through memory of the owning
// process; with select, the row is selected and focused first.
bool RemoteRow(HWND lv, int row, bool select, RECT& rect) {
  ListProcess process(lv);
  if (!process.get()) return false;
  RemoteBuffer remote(process.get(), sizeof(LVITEMA) + sizeof(RECT));
  bool ok = false;
  if (remote.ptr()) {
    SIZE_T done = 0;
    if (select) {
      LVITEMA state{};
      state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
      state.state = LVIS_SELECTED | LVIS_FOCUSED;
      WriteProcessMemory(process.get(), remote.ptr(), &state, sizeof state, &done);
      SendMessageA(lv, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.ptr()));
    }
    rect = RECT{};
    rect.left = LVIR_LABEL;
    char* remoteRect = remote.ptr() + sizeof(LVITEMA);
    WriteProcessMemory(process.get(), remoteRect, &rect, sizeof rect, &done);
    ok = SendMessageA(lv, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remoteRect)) &&
         ReadProcessMemory(process.get(), remoteRect, &rect, sizeof rect, &done);
  }
  if (!ok) fprintf(stderr, "wintool: no row %d\n", row);
  return ok;
}

// Selects the row, then posts the double-click at the row's place, as the mouse would give it.
int DoubleClickRow(HWND top, int index, int row) {
  HWND lv = NthList(top, index);
  RECT rect;
  if (!lv || !RemoteRow(lv, row, true, rect)) return 1;
  const LPARAM at = MAKELPARAM(rect.left + 4, (rect.top + rect.bottom) / 2);
  return PostMessageA(lv, WM_LBUTTONDBLCLK, MK_LBUTTON, at) ? 0 : 1;
}

int PrintSelected(HWND top, int index) {
  HWND lv = NthList(top, index);
  if (!lv) return 1;
  for (int r = -1; (r = static_cast<int>(SendMessageA(lv, LVM_GETNEXTITEM, static_cast<WPARAM>(r),
                                                      LVNI_SELECTED))) >= 0;) {
    printf("%d\n", r);
  }
  return 0;
}

// A point inside the row's label, on the screen: where a user's click selects it.
int PrintRowPoint(HWND top, int index, int row) {
  HWND lv = NthList(top, index);
  RECT rect;
  if (!lv || !RemoteRow(lv, row, false, rect)) return 1;
  POINT at{rect.left + 8, (rect.top + rect.bottom) / 2};
  ClientToScreen(lv, &at);
  printf("%ld %ld\n", at.x, at.y);
  return 0;
}

HWND Control(HWND top, const char* id) {
  HWND ctl = GetDlgItem(top, atoi(id));
  if (!ctl) fprintf(stderr, "wintool: no control %s\n", id);
  return ctl;
}

// WM_GETTEXT is carried across processes; GetWindowText of a foreign edit would not ask it.
int PrintText(HWND hwnd) {
  char text[4096] = {};
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                           SMTO_ABORTIFHUNG, 5000, &got)) {
    fprintf(stderr, "wintool: the window did not answer\n");
    return 1;
  }
  printf("%s\n", text);
  return 0;
}

int PrintFocus(HWND top) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info) || !info.hwndFocus) {
    fprintf(stderr, "wintool: no focus in the window's thread\n");
    return 1;
  }
  char cls[64] = {};
  GetClassNameA(info.hwndFocus, cls, sizeof cls);
  printf("%s %d\n", cls, GetDlgCtrlID(info.hwndFocus));
  return 0;
}

BOOL CALLBACK FindTip(HWND hwnd, LPARAM lp) {
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (_stricmp(cls, TOOLTIPS_CLASSA) != 0 || !IsWindowVisible(hwnd)) return TRUE;
  *reinterpret_cast<HWND*>(lp) = hwnd;
  return FALSE;
}

int PrintTip() {
  HWND tip = nullptr;
  EnumWindows(FindTip, reinterpret_cast<LPARAM>(&tip));
  if (!tip) return 1;
  RECT r;
  GetWindowRect(tip, &r);
  printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
  return 0;
}

int Usage() {
  fprintf(stderr,
          "usage: wintool wait|gone <title> <seconds> | rows|images|selected <title> <n> | rect|front|close|focus <title> |\n"
          "       syschar <title> <letter> | click|point|state <title> <id> | text <title> [id] |\n"
          "       dblclick|rowpoint <title> <n> <row> | active | tip\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && strcmp(argv[1], "active") == 0) {
    char text[512] = {};
    HWND fg = GetForegroundWindow();
    if (!fg) return 1;
    GetWindowTextA(fg, text, sizeof text);
    printf("%s\n", text);
    return 0;
  }
  if (argc == 2 && strcmp(argv[1], "tip") == 0) return PrintTip();
  if (argc < 3) return Usage();
  std::string cmd = argv[1];
  const char* title = argv[2];
  if (cmd == "wait" || cmd == "gone") {
    double seconds = argc > 3 ? atof(argv[3]) : 10;
    DWORD end = GetTickCount() + static_cast<DWORD>(seconds * 1000);
    for (;;) {
      bool present = FindVisible(title) != nullptr;
      if (present == (cmd == "wait")) return 0;
      if (static_cast<long>(GetTickCount() - end) >= 0) return 1;
      Sleep(100);
    }
  }
  HWND hwnd = FindVisible(title);
  if (!hwnd) {
    fprintf(stderr, "wintool: no visible window \"%s\"\n", title);
    return 1;
  }
  if (cmd == "rows") return PrintRows(hwnd, argc > 3 ? atoi(argv[3]) : 0);
  if (cmd == "images") return PrintImages(hwnd, argc > 3 ? atoi(argv[3]) : 0);
  if (cmd == "rect") {
    RECT r;
    GetWindowRect(hwnd, &r);
    printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    return 0;
  }
  if (cmd == "front") return SetForegroundWindow(hwnd) ? 0 : 1;
  if (cmd == "syschar" && argc > 3 && argv[3][0]) {
    // Bit 29: the Alt key is down, as for a typed mnemonic.
    return PostMessageA(hwnd, WM_SYSCHAR, static_cast<unsigned char>(argv[3][0]), 1 | (1 << 29)) ? 0 : 1;
  }
  if (cmd == "click" && argc > 3) {
    int id = atoi(argv[3]);
    HWND ctl = GetDlgItem(hwnd, id);
    return PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(ctl)) ? 0 : 1;
  }
  if (cmd == "close") return PostMessageA(hwnd, WM_CLOSE, 0, 0) ? 0 : 1;
  if (cmd == "minimize") return ShowWindowAsync(hwnd, SW_MINIMIZE) ? 0 : 1;
  if (cmd == "iconic") {
    printf("%s\n", IsIconic(hwnd) ? "iconic" : "normal");
    return 0;
  }
  if (cmd == "dblclick" && argc > 4) return DoubleClickRow(hwnd, atoi(argv[3]), atoi(argv[4]));
  if (cmd == "selected") return PrintSelected(hwnd, argc > 3 ? atoi(argv[3]) : 0);
  if (cmd == "rowpoint" && argc > 4) return PrintRowPoint(hwnd, atoi(argv[3]), atoi(argv[4]));
  if (cmd == "focus") return PrintFocus(hwnd);
  if (cmd == "text") {
    if (argc <= 3) return PrintText(hwnd);
    HWND ctl = Control(hwnd, argv[3]);
    return ctl ? PrintText(ctl) : 1;
  }
  if ((cmd == "point" || cmd == "state") && argc > 3) {
    HWND ctl = Control(hwnd, argv[3]);
    if (!ctl) return 1;
    if (cmd == "state") {
      const bool checked = SendMessageA(ctl, BM_GETCHECK, 0, 0) == BST_CHECKED;
      printf("%s %s\n", IsWindowEnabled(ctl) ? "enabled" : "disabled", checked ? "checked" : "unchecked");
      return 0;
    }
    RECT r;
    GetWindowRect(ctl, &r);
    printf("%ld %ld\n", (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    return 0;
  }
  return Usage();
}
