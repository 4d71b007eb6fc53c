#pragma once
// A tip on each row of a report list view, shown when the mouse rests on the row. Wine's list
// view has no info tips of its own, so the table gets a tooltip control of its own with one
// tool over its whole client area; the mouse messages reach it through the table's subclass
// chain (TTM_RELAYEVENT) and the text comes from the owner when the tip is about to show.

#include <windows.h>

#include <functional>
#include <string>

namespace kui {

class RowTips {
 public:
  // The text for a row; empty shows no tip.
  using TextOf = std::function<std::string(int row)>;

  RowTips() = default;
  ~RowTips();
  RowTips(const RowTips&) = delete;
  RowTips& operator=(const RowTips&) = delete;

  bool Attach(HWND list, TextOf text);
  void Detach();

  HWND Tooltip() const { return m_tip; }
  // The row the mouse rests on (-1 for none) and the text last handed to the tooltip.
  int Row() const { return m_row; }
  const std::string& Text() const { return m_text; }

 private:
  static LRESULT CALLBACK ListProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                   DWORD_PTR ref);
  LRESULT OnMessage(HWND h, UINT msg, WPARAM wp, LPARAM lp);
  void Track(LPARAM lp);
  void FitTool();
  void Fetch();

  HWND m_list = nullptr;
  HWND m_tip = nullptr;
  TextOf m_textOf;
  int m_row = -1;
  std::string m_text;
  std::wstring m_wideText;
};

}  // namespace kui
