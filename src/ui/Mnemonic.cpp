#include "Mnemonic.h"

#include <cctype>
#include <vector>

namespace kui {
namespace {

char MnemonicOf(HWND ctl) {
  char text[128];
  if (!GetWindowTextA(ctl, text, sizeof text)) return 0;
  return MnemonicChar(text);
}

bool IsButton(HWND ctl) {
  LRESULT code = SendMessageA(ctl, WM_GETDLGCODE, 0, 0);
  if (!(code & DLGC_BUTTON)) return false;
  return (GetWindowLongA(ctl, GWL_STYLE) & BS_TYPEMASK) != BS_GROUPBOX;
}

}  // namespace

char MnemonicChar(const char* caption) {
  if (!caption) return 0;
  for (const char* p = caption; *p; ++p) {
    if (*p != '&') continue;
    if (p[1] == '&') {
      ++p;
      continue;
    }
    return static_cast<char>(toupper(static_cast<unsigned char>(p[1])));
  }
  return 0;
}

bool HandleMnemonic(HWND window, const MSG& msg) {
  if (msg.message != WM_SYSCHAR && msg.message != WM_CHAR) return false;
  if (msg.hwnd != window && !IsChild(window, msg.hwnd)) return false;
  if (msg.message == WM_CHAR) {
    // Plain letters are mnemonics only where the focused control takes no characters.
    LRESULT code = SendMessageA(msg.hwnd, WM_GETDLGCODE, msg.wParam, 0);
    if (code & (DLGC_WANTCHARS | DLGC_WANTALLKEYS | DLGC_HASSETSEL)) return false;
    if (!IsButton(msg.hwnd)) return false;
  }
  char want = static_cast<char>(toupper(static_cast<int>(msg.wParam & 0xFF)));
  if (!want) return false;

  std::vector<HWND> matches;  // in tab (z) order
  for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (!IsWindowVisible(c) || !IsWindowEnabled(c) || !IsButton(c)) continue;
    if (MnemonicOf(c) == want) matches.push_back(c);
  }
  if (matches.empty()) return false;
  if (matches.size() == 1) {
    SendMessageA(matches.front(), BM_CLICK, 0, 0);
    return true;
  }
  HWND focus = GetFocus();
  size_t next = 0;
  for (size_t i = 0; i < matches.size(); ++i) {
    if (matches[i] == focus) next = (i + 1) % matches.size();
  }
  SetFocus(matches[next]);
  return true;
}

}  // namespace kui

namespace kui {

bool DialogKeys(HWND window, MSG& msg) {
  if (!window) return false;
  // F1 asks the loop's window for help, whichever control has the focus.
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_F1 &&
      (msg.hwnd == window || IsChild(window, msg.hwnd))) {
    SendMessageA(window, WM_HELP, 0, 0);
    return true;
  }
  return HandleMnemonic(window, msg) || IsDialogMessageA(window, &msg);
}

}  // namespace kui
