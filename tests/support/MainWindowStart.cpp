#include "MainWindowStart.h"

#include "InitForm.h"
#include "ui/Modal.h"

namespace ktest {

bool StartMainWindow(std::unique_ptr<TfmMain>& fm) {
  kui::SetNextModalAction(TfmInit::kClassName, [](kui::ModalWindow& w) {
    auto& splash = static_cast<TfmInit&>(w);
    splash.tmInitTimer();
    splash.tmInitTimer();
  });
  fm = std::make_unique<TfmMain>();
  if (!fm->Create()) return false;
  fm->Show(SW_SHOWNOACTIVATE);
  return true;
}

void DrainQuit() {
  MSG m;
  while (PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

}  // namespace ktest
