#include "Controls.h"

#include <commctrl.h>

#include "Dpi.h"

namespace kui {

HWND Children::Add(const char* cls, const char* text, DWORD style, const Box& at96, int id,
                   DWORD exStyle, HFONT font) const {
  HWND c = CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style,
                           Scale(at96.x), Scale(at96.y), Scale(at96.w), Scale(at96.h), m_parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
  SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font ? font : m_font), FALSE);
  return c;
}

void SetUpReportList(HWND lv, std::initializer_list<Column> columns) {
  SendMessageA(lv, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  int i = 0;
  for (const Column& c : columns) {
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    col.pszText = const_cast<char*>(c.title);
    col.cx = Scale(c.width);
    col.iSubItem = i;
    SendMessageA(lv, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&col));
    ++i;
  }
}

std::string WindowText(HWND h) {
  const int n = GetWindowTextLengthA(h);
  std::string s(static_cast<size_t>(n) + 1, '\0');
  const int got = GetWindowTextA(h, &s[0], n + 1);
  s.resize(static_cast<size_t>(got > 0 ? got : 0));
  return s;
}

bool IsChecked(HWND button) { return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void SetChecked(HWND button, bool on) {
  SendMessageA(button, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

HFONT CreateUiFont(const char* face, int points, int weight, bool underline) {
  return CreateFontA(PointsToHeight(points), 0, 0, 0, weight, FALSE, underline ? TRUE : FALSE,
                     FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, face);
}

HFONT CreateScaledFont(const LOGFONTA& at96) {
  LOGFONTA lf = at96;
  lf.lfHeight = Scale(lf.lfHeight);
  lf.lfWidth = Scale(lf.lfWidth);
  return CreateFontIndirectA(&lf);
}

bool GetUnscaledFont(HFONT font, LOGFONTA& at96) {
  if (!font || !GetObjectA(font, sizeof at96, &at96)) return false;
  at96.lfHeight = Unscale(at96.lfHeight);
  at96.lfWidth = Unscale(at96.lfWidth);
  return true;
}

std::string ListItemText(HWND lv, int item, int column) {
  char buf[600] = {};
  LVITEMA it{};
  it.iSubItem = column;
  it.pszText = buf;
  it.cchTextMax = sizeof buf;
  SendMessageA(lv, LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&it));
  return buf;
}

void PutBehind(std::initializer_list<HWND> windows) {
  for (HWND w : windows) {
    SetWindowPos(w, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

}  // namespace kui
