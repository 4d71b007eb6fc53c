#pragma once
// Modal windows: one ShowModal path for every dialog of the program. A test registers what to do
// with the next dialog of a class before the command that opens it, so no modal loop blocks it.

#include <functional>
#include <string>

#include "Window.h"

namespace kui {

class ModalWindow : public Window {
 public:
  // Window class name of this dialog: the key of the test hook.
  virtual const char* ClassName() const = 0;

  // Disables the owner, shows the window and runs its loop until EndModal; the caller destroys
  // the window afterwards. Returns the modal result.
  int ShowModal(HWND owner);
  void EndModal(int result);
  bool IsModalEnded() const { return m_bEnded; }

 private:
  bool m_bEnded = false;
  int m_nResult = 0;
};

// Runs once, on the next ShowModal of a window of class `cls`, after the window is shown and
// before its loop. If the action ends the dialog the loop never runs.
using ModalAction = std::function<void(ModalWindow&)>;
void SetNextModalAction(const std::string& cls, ModalAction action);
void ClearModalActions();

}  // namespace kui
