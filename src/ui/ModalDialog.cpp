#include "ModalDialog.h"

namespace kui {

ModalDialog::ModalDialog(const char* caption, int clientWidth, int clientHeight,
                         FocusReturn focus)
    : m_caption(caption), m_clientWidth(clientWidth), m_clientHeight(clientHeight),
      m_focus(focus) {}

ModalDialog::~ModalDialog() = default;

bool ModalDialog::Create(HWND owner) {
  if (!CreateDialogWnd(ClassName(), m_caption, m_clientWidth, m_clientHeight, owner)) {
    return false;
  }
  m_font.reset(CreateUiFont("Verdana", 8));
  CreateControls();
  FormCreate();
  return true;
}

LRESULT ModalDialog::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND: {
      const int id = LOWORD(wp), code = HIWORD(wp);
      if (lp && code != BN_CLICKED) {
        OnControlCode(id, code);
      } else if (id == IDOK) {
        OnOK();
      } else if (id == IDCANCEL) {
        OnCancel();
      } else {
        OnClick(id);
      }
      return 0;
    }
    case WM_ACTIVATE:
      if (ReturnFocus(hwnd(), wp, m_focus, m_lastFocus,
                      LOWORD(wp) == WA_INACTIVE ? nullptr : DefaultFocus())) {
        return 0;
      }
      break;
    case WM_CLOSE:
      OnCancel();
      return 0;
    default:
      break;
  }
  return DefProc(msg, wp, lp);
}

void ModalDialog::AddOkCancel(int x, int y, bool okIsDefault, HWND& ok, HWND& cancel) const {
  const Children child = Child();
  ok = child.Add("BUTTON", "&OK", WS_TABSTOP | (okIsDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
                 {x, y, 80, 27}, IDOK);
  cancel = child.Add("BUTTON", "&Cancel", WS_TABSTOP | BS_PUSHBUTTON, {x + 88, y, 80, 27},
                     IDCANCEL);
}

}  // namespace kui
