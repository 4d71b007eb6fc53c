#pragma once
// The system file-open and font dialogs, each behind a replaceable function so tests answer them
// without a modal loop, like the message seam.

#include <windows.h>

#include <commdlg.h>

#include <functional>
#include <string>

namespace kui {

struct OpenFileRequest {
  HWND owner;
  std::string title;   // dialog caption
  std::string filter;  // pairs separated by '|' ("Conduits (*.dll)|*.dll|All files|*.*")
  std::string initialDir;
  int filterIndex = 1;  // the selected filter, counted from 1
  // OFN_ conditions: by default the path and the file must exist.
  DWORD flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
};
// Fills `path` and returns true when the user picked a file.
using OpenFilePicker = std::function<bool(const OpenFileRequest&, std::string& path)>;
bool PickOpenFile(const OpenFileRequest& request, std::string& path);
OpenFilePicker SetOpenFilePicker(OpenFilePicker picker);  // empty restores the real dialog

// The font dialog works on a LOGFONT and a COLORREF, starting from the values passed in.
using FontPicker = std::function<bool(HWND owner, LOGFONTA& font, COLORREF& color)>;
bool PickFont(HWND owner, LOGFONTA& font, COLORREF& color);
FontPicker SetFontPicker(FontPicker picker);  // empty restores the real dialog

}  // namespace kui
