#include "CommonDialogs.h"

#include <commdlg.h>

#include <utility>
#include <vector>

namespace kui {
namespace {

bool RealOpenFile(const OpenFileRequest& r, std::string& path) {
  // The dialog wants NUL-separated pairs ending in two NULs.
  std::vector<char> filter(r.filter.begin(), r.filter.end());
  for (char& c : filter) {
    if (c == '|') c = '\0';
  }
  filter.push_back('\0');
  filter.push_back('\0');
  char file[MAX_PATH] = {};
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = r.owner;
  ofn.lpstrFilter = filter.data();
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrTitle = r.title.empty() ? nullptr : r.title.c_str();
  ofn.lpstrInitialDir = r.initialDir.empty() ? nullptr : r.initialDir.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(r.filterIndex);
  ofn.Flags = r.flags | OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameA(&ofn)) return false;
  path = file;
  return true;
}

bool RealFont(HWND owner, LOGFONTA& font, COLORREF& color) {
  LOGFONTA lf = font;
  CHOOSEFONTA cf{};
  cf.lStructSize = sizeof cf;
  cf.hwndOwner = owner;
  cf.lpLogFont = &lf;
  cf.rgbColors = color;
  cf.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
  if (!ChooseFontA(&cf)) return false;
  font = lf;
  color = cf.rgbColors;
  return true;
}

OpenFilePicker& FilePicker() {
  static OpenFilePicker picker = RealOpenFile;
  return picker;
}
FontPicker& FontPick() {
  static FontPicker picker = RealFont;
  return picker;
}

}  // namespace

bool PickOpenFile(const OpenFileRequest& request, std::string& path) {
  return FilePicker()(request, path);
}

OpenFilePicker SetOpenFilePicker(OpenFilePicker picker) {
  OpenFilePicker old = std::move(FilePicker());
  FilePicker() = picker ? std::move(picker) : OpenFilePicker(RealOpenFile);
  return old;
}

bool PickFont(HWND owner, LOGFONTA& font, COLORREF& color) { return FontPick()(owner, font, color); }

FontPicker SetFontPicker(FontPicker picker) {
  FontPicker old = std::move(FontPick());
  FontPick() = picker ? std::move(picker) : FontPicker(RealFont);
  return old;
}

}  // namespace kui
