#pragma once
// The skeleton every modal dialog shares: the window of its caption and 96-DPI client size, the
// controls hook and FormCreate after it, OK and Cancel, the dialog font (Verdana 8) and the
// focus given on activation. A dialog adds only its own controls and handlers.

#include <windows.h>

#include "Controls.h"
#include "GdiHandle.h"
#include "Modal.h"

namespace kui {

class ModalDialog : public ModalWindow {
 public:
  ~ModalDialog() override;

  // Creates the hidden dialog and its controls, then runs FormCreate.
  bool Create(HWND owner);
  virtual void FormCreate() {}

 protected:
  ModalDialog(const char* caption, int clientWidth, int clientHeight,
              FocusReturn focus = FocusReturn::Default);

  virtual void CreateControls() = 0;
  // The control the focus goes to on activation (nullptr: none is given).
  virtual HWND DefaultFocus() const = 0;
  // IDOK: the OK button or Enter.
  virtual void OnOK() { EndModal(IDOK); }
  // IDCANCEL: the Cancel button, Escape or the close box.
  virtual void OnCancel() { EndModal(IDCANCEL); }
  // Another button clicked, or a command without a control.
  virtual void OnClick(int /*id*/) {}
  // Any other notification of a control.
  virtual void OnControlCode(int /*id*/, int /*code*/) {}

  // The child-control maker with the dialog font.
  Children Child() const { return Children(hwnd(), m_font.get()); }
  // "&OK" (IDOK) at the 96-DPI point and "&Cancel" (IDCANCEL) beside it, each 80 x 27.
  void AddOkCancel(int x, int y, bool okIsDefault, HWND& ok, HWND& cancel) const;

  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  const char* m_caption;
  int m_clientWidth, m_clientHeight;
  FocusReturn m_focus;
  HWND m_lastFocus = nullptr;
  kx::UniqueFont m_font;
};

}  // namespace kui
