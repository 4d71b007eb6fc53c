#pragma once
// The one way the program tells the user something: every message box goes through ShowMessage.
// Tests replace the answerer to script the replies and read back what was shown.

#include <windows.h>

#include <functional>
#include <string>

namespace kui {

struct MessageRequest {
  HWND owner;
  std::string text;
  std::string caption;
  UINT icon;     // MB_ICONERROR, MB_ICONINFORMATION, MB_ICONQUESTION
  UINT buttons;  // MB_OK, MB_YESNO
};

// Returns IDOK, IDYES or IDNO.
using MessageAnswerer = std::function<int(const MessageRequest&)>;

int ShowMessage(HWND owner, const char* text, const char* caption, UINT icon, UINT buttons = MB_OK);

// Replaces the answerer (an empty one restores the real message box); returns the old one.
MessageAnswerer SetMessageAnswerer(MessageAnswerer answerer);

}  // namespace kui
