#include "Modal.h"

#include "Mnemonic.h"

#include <map>
#include <utility>

namespace kui {
namespace {

std::map<std::string, ModalAction>& Actions() {
  static std::map<std::string, ModalAction> actions;
  return actions;
}

}  // namespace

void SetNextModalAction(const std::string& cls, ModalAction action) {
  Actions()[cls] = std::move(action);
}

void ClearModalActions() { Actions().clear(); }

void ModalWindow::EndModal(int result) {
  m_nResult = result;
  m_bEnded = true;
}

int ModalWindow::ShowModal(HWND owner) {
  m_bEnded = false;
  m_nResult = 0;
  HWND focusBefore = GetFocus();
  bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  ShowWindow(hwnd(), SW_SHOW);
  UpdateWindow(hwnd());

  auto it = Actions().find(ClassName());
  if (it != Actions().end()) {
    ModalAction action = std::move(it->second);
    Actions().erase(it);
    action(*this);
  }

  MSG msg;
  while (!m_bEnded && hwnd()) {
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));  // leave it to the outer loop
      break;
    }
    if (!DialogKeys(hwnd(), msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }

  // Re-enable the owner before hiding, so activation goes back to it.
  if (ownerWasEnabled) EnableWindow(owner, TRUE);
  if (hwnd()) ShowWindow(hwnd(), SW_HIDE);
  // Back to the control that opened the dialog, as the dialog manager does.
  if (focusBefore && IsWindow(focusBefore) && IsWindowEnabled(focusBefore)) SetFocus(focusBefore);
  return m_nResult;
}

}  // namespace kui
