// dlgtool: answers the installer's and uninstaller's windows from outside, as a user's clicks
// would, for the installer test. The windows live in Wine's virtual desktop, where X tools
// cannot see them.
//
//   dlgtool msgbox <title> <seconds>      wait for a message box with that caption, print its text
//   dlgtool answer <title> <id>           press button <id> of that message box (1 OK, 6 Yes, 7 No)
//   dlgtool wizard <title> <seconds>      wait for the installer's wizard window with that title
//   dlgtool click <title> <id> <seconds>  press button <id> of the wizard once it is enabled
//   dlgtool finish <title> <seconds>      press the wizard's Close button once the work is done
//   dlgtool list                          print the visible top-level windows and their children
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool IsDialogClass(HWND hwnd) {
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  return strcmp(cls, "#32770") == 0;
}

BOOL CALLBACK FindChildDialog(HWND hwnd, LPARAM lp) {
  if (IsDialogClass(hwnd)) {
    *reinterpret_cast<bool*>(lp) = true;
    return FALSE;
  }
  return TRUE;
}

// The wizard holds its pages as a child dialog; a message box has none.
bool HasChildDialog(HWND hwnd) {
  bool found = false;
  EnumChildWindows(hwnd, FindChildDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

struct FindCtx {
  const char* title;
  bool wizard;
  HWND found;
};

BOOL CALLBACK FindTop(HWND hwnd, LPARAM lp) {
  auto* ctx = reinterpret_cast<FindCtx*>(lp);
  char text[512] = {};
  if (!IsWindowVisible(hwnd) || !IsDialogClass(hwnd)) return TRUE;
  // NSIS ends the wizard's caption with a space.
  int n = GetWindowTextA(hwnd, text, sizeof text);
  while (n > 0 && text[n - 1] == ' ') text[--n] = 0;
  if (n <= 0 || strcmp(text, ctx->title) != 0) return TRUE;
  bool isWizard = HasChildDialog(hwnd);
  bool isMsgBox = !isWizard && GetDlgItem(hwnd, 0xFFFF) != nullptr;
  if (ctx->wizard ? isWizard : isMsgBox) {
    ctx->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND Find(const char* title, bool wizard) {
  FindCtx ctx{title, wizard, nullptr};
  EnumWindows(FindTop, reinterpret_cast<LPARAM>(&ctx));
  return ctx.found;
}

HWND WaitFor(const char* title, bool wizard, double seconds) {
  DWORD end = GetTickCount() + static_cast<DWORD>(seconds * 1000);
  for (;;) {
    if (HWND h = Find(title, wizard)) return h;
    if (static_cast<LONG>(GetTickCount() - end) >= 0) return nullptr;
    Sleep(100);
  }
}

std::string ControlText(HWND hwnd) {
  char text[2048] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  std::string s;
  for (const char* p = text; *p; ++p)
    if (*p != '&') s += *p;
  return s;
}

// Presses an enabled button the way a click does: WM_COMMAND with BN_CLICKED to its dialog.
// A disabled button is refused (Wine would deliver the click anyway, unlike Windows).
bool Press(HWND dlg, int id) {
  HWND button = GetDlgItem(dlg, id);
  if (!button || !IsWindowEnabled(button) || !IsWindowVisible(button)) return false;
  return PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button)) != 0;
}

bool PressWhenEnabled(HWND dlg, int id, const char* wantText, double seconds) {
  DWORD end = GetTickCount() + static_cast<DWORD>(seconds * 1000);
  for (;;) {
    HWND button = GetDlgItem(dlg, id);
    bool ready = button && IsWindowEnabled(button) && IsWindowVisible(button) &&
                 (!wantText || ControlText(button) == wantText);
    if (ready) return Press(dlg, id);
    if (static_cast<LONG>(GetTickCount() - end) >= 0 || !IsWindow(dlg)) return false;
    Sleep(100);
  }
}

BOOL CALLBACK PrintChild(HWND hwnd, LPARAM) {
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  printf("  child %d [%s] \"%s\"%s\n", GetDlgCtrlID(hwnd), cls, ControlText(hwnd).c_str(),
         IsWindowEnabled(hwnd) ? "" : " (disabled)");
  return TRUE;
}

BOOL CALLBACK PrintTop(HWND hwnd, LPARAM) {
  if (!IsWindowVisible(hwnd)) return TRUE;
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  printf("[%s] \"%s\"\n", cls, ControlText(hwnd).c_str());
  EnumChildWindows(hwnd, PrintChild, 0);
  return TRUE;
}

int Usage() {
  fprintf(stderr,
          "usage: dlgtool msgbox <title> <s> | answer <title> <id> | wizard <title> <s> |"
          " click <title> <id> <s> | finish <title> <s> | list\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && strcmp(argv[1], "list") == 0) {
    EnumWindows(PrintTop, 0);
    return 0;
  }
  if (argc < 4) return Usage();
  std::string cmd = argv[1];
  const char* title = argv[2];
  if (cmd == "msgbox") {
    HWND h = WaitFor(title, false, atof(argv[3]));
    if (!h) return 1;
    printf("%s\n", ControlText(GetDlgItem(h, 0xFFFF)).c_str());
    return 0;
  }
  if (cmd == "answer") {
    HWND h = Find(title, false);
    return h && Press(h, atoi(argv[3])) ? 0 : 1;
  }
  if (cmd == "wizard") return WaitFor(title, true, atof(argv[3])) ? 0 : 1;
  if (cmd == "click" && argc > 4) {
    HWND h = WaitFor(title, true, atof(argv[4]));
    return h && PressWhenEnabled(h, atoi(argv[3]), nullptr, atof(argv[4])) ? 0 : 1;
  }
  if (cmd == "finish") {
    HWND h = WaitFor(title, true, atof(argv[3]));
    return h && PressWhenEnabled(h, IDOK, "Close", atof(argv[3])) ? 0 : 1;
  }
  return Usage();
}
