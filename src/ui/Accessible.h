#pragma once
// What a screen reader learns of the skinned controls: they paint themselves, so they answer
// WM_GETOBJECT (OBJID_CLIENT) with an IAccessible of their own that reads the control's live
// state (role, name, state, keyboard shortcut, default action, place on the screen).

#include <windows.h>

#include <oleacc.h>

#include <string>

namespace kui {

// The name a caption is read as: without its '&' markers ("&&" is one '&'), spaces trimmed.
std::string AccessibleName(const char* caption);
// "Alt+X" for a caption whose mnemonic is X; empty for none.
std::string KeyboardShortcut(const char* caption);

// The answer to WM_GETOBJECT of a skinned control of MSAA role `role` (ROLE_SYSTEM_*): an
// LRESULT for OBJID_CLIENT; `handled` false for any other object (the control's own answer
// stands then).
LRESULT AnswerGetObject(HWND ctl, WPARAM wp, LPARAM lp, long role, bool& handled);

// A positive object id of the program's own (positive ids are the server's to define): the
// same object as OBJID_CLIENT, handed to a caller of the control's own thread as a pointer, with
// no marshalling. Wine 8 cannot marshal an IAccessible of the program's (LresultFromObject
// fails there with E_NOINTERFACE); the tests reach the objects this way.
const LPARAM kInThreadObjectId = 0x4B53;
// The object a skinned control gives for kInThreadObjectId (the caller releases it), or null for
// a control that gives none.
IAccessible* InThreadAccessible(HWND ctl);

// The MSAA role a skinned button of this style is drawn as.
long ButtonRole(HWND button);

// COM on the calling thread for as long as it lives (the objects above are marshalled).
class ComApartment {
 public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool m_ok;
};

}  // namespace kui
