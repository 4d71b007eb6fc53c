#pragma once
// Child controls and report lists laid out at 96 DPI: the one place where a window's control
// rectangles, list columns and fonts are scaled to the layout DPI.

#include <windows.h>

#include <initializer_list>
#include <string>

namespace kui {

// A place at 96 DPI: left, top, width, height in the parent's client area.
struct Box {
  int x, y, w, h;
};

// Makes the child controls of one window, each with the window's font unless told otherwise.
class Children {
 public:
  Children(HWND parent, HFONT font) : m_parent(parent), m_font(font) {}
  // WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS and `style`, at `at96` scaled.
  HWND Add(const char* cls, const char* text, DWORD style, const Box& at96, int id,
           DWORD exStyle = 0, HFONT font = nullptr) const;

 private:
  HWND m_parent;
  HFONT m_font;
};

// A column of a report list: its title and its width at 96 DPI.
struct Column {
  const char* title;
  int width;
};
// Whole-row selection and the columns, left to right.
void SetUpReportList(HWND lv, std::initializer_list<Column> columns);

// The text of a window, whole.
std::string WindowText(HWND h);
// A check box or radio button: checked, or checks / clears it.
bool IsChecked(HWND button);
void SetChecked(HWND button, bool on);

// The text of a list view's item in a column (up to 599 characters).
std::string ListItemText(HWND lv, int item, int column);
// Puts the windows (group boxes) behind every other child, so they paint behind their contents.
void PutBehind(std::initializer_list<HWND> windows);

// A font of the windows by its point size at the layout DPI; the caller deletes it.
HFONT CreateUiFont(const char* face, int points, int weight = FW_NORMAL, bool underline = false);
// A font whose LOGFONT height is at 96 DPI (the stored table font), at the layout DPI.
HFONT CreateScaledFont(const LOGFONTA& at96);
// The LOGFONT of a font made by CreateScaledFont, with its height back at 96 DPI.
bool GetUnscaledFont(HFONT font, LOGFONTA& at96);

}  // namespace kui
