#include "RowTips.h"

#include <commctrl.h>
#include <windowsx.h>

#include "Dpi.h"
#include "Subclass.h"

namespace kui {
namespace {

const UINT_PTR kRowTipsId = 0x5254;  // "RT"
const UINT_PTR kToolId = 1;
const int kTipWidth = 420;  // at 96 DPI; long paths wrap

bool IsMouseMessage(UINT msg) {
  switch (msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN: case WM_LBUTTONUP:
    case WM_RBUTTONDOWN: case WM_RBUTTONUP:
    case WM_MBUTTONDOWN: case WM_MBUTTONUP:
      return true;
    default:
      return false;
  }
}

TTTOOLINFOA Tool(HWND list) {
  TTTOOLINFOA ti{};
  ti.cbSize = TTTOOLINFOA_V2_SIZE;
  ti.hwnd = list;
  ti.uId = kToolId;
  return ti;
}

}  // namespace

RowTips::~RowTips() { Detach(); }

bool RowTips::Attach(HWND list, TextOf text) {
  Detach();
  m_tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                          WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, GetAncestor(list, GA_ROOT), nullptr,
                          nullptr, nullptr);
  if (!m_tip) return false;
  m_list = list;
  m_textOf = std::move(text);
  // Relayed, not TTF_SUBCLASS: the tooltip's own subclassing would sit outside the chain that
  // the skin and the keys already use.
  TTTOOLINFOA ti = Tool(list);
  ti.uFlags = 0;
  ti.lpszText = LPSTR_TEXTCALLBACKA;
  GetClientRect(list, &ti.rect);
  SendMessageA(m_tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
  SendMessageA(m_tip, TTM_SETMAXTIPWIDTH, 0, Scale(kTipWidth));
  SendMessageA(m_tip, TTM_SETDELAYTIME, TTDT_AUTOPOP, 30000);  // long texts take a while to read
  if (!SetSubclass(list, ListProc, kRowTipsId, reinterpret_cast<DWORD_PTR>(this))) {
    Detach();
    return false;
  }
  return true;
}

void RowTips::Detach() {
  if (m_list) RemoveSubclass(m_list, ListProc, kRowTipsId);
  if (m_tip) DestroyWindow(m_tip);
  m_list = m_tip = nullptr;
  m_row = -1;
  m_text.clear();
}

void RowTips::FitTool() {
  TTTOOLINFOA ti = Tool(m_list);
  GetClientRect(m_list, &ti.rect);
  SendMessageA(m_tip, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&ti));
}

// A new row under the mouse takes the tip down, so the next rest shows the new row's text.
void RowTips::Track(LPARAM lp) {
  LVHITTESTINFO hit{};
  hit.pt = POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  int row = static_cast<int>(SendMessageA(m_list, LVM_SUBITEMHITTEST, 0,
                                          reinterpret_cast<LPARAM>(&hit)));
  if (row >= 0 && !(hit.flags & LVHT_ONITEM)) row = -1;
  if (row == m_row) return;
  m_row = row;
  SendMessageA(m_tip, TTM_POP, 0, 0);
}

// The strings stay until the next question: the tooltip reads them after the answer.
void RowTips::Fetch() {
  m_text = m_row >= 0 && m_textOf ? m_textOf(m_row) : std::string();
  m_wideText.assign(m_text.size(), L'\0');
  const int n = MultiByteToWideChar(CP_ACP, 0, m_text.data(), static_cast<int>(m_text.size()),
                                    &m_wideText[0], static_cast<int>(m_wideText.size()));
  m_wideText.resize(n > 0 ? static_cast<size_t>(n) : 0);
}

LRESULT RowTips::OnMessage(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (IsMouseMessage(msg)) {
    if (msg == WM_MOUSEMOVE) Track(lp);
    MSG m{h, msg, wp, lp, static_cast<DWORD>(GetMessageTime()), {}};
    const DWORD pos = GetMessagePos();
    m.pt = POINT{GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
    SendMessageA(m_tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&m));
  } else if (msg == WM_MOUSELEAVE) {
    m_row = -1;
  } else if (msg == WM_SIZE) {
    FitTool();
  } else if (msg == WM_NOTIFY) {
    auto* nm = reinterpret_cast<NMHDR*>(lp);
    // The tooltip asks in the format the table answers its WM_NOTIFYFORMAT with.
    if (nm->hwndFrom == m_tip && nm->code == TTN_GETDISPINFOA) {
      auto* di = reinterpret_cast<NMTTDISPINFOA*>(lp);
      Fetch();
      di->lpszText = const_cast<char*>(m_text.c_str());
      di->szText[0] = '\0';
      di->hinst = nullptr;
      return 0;
    }
    if (nm->hwndFrom == m_tip && nm->code == TTN_GETDISPINFOW) {
      auto* di = reinterpret_cast<NMTTDISPINFOW*>(lp);
      Fetch();
      di->lpszText = const_cast<wchar_t*>(m_wideText.c_str());
      di->szText[0] = L'\0';
      di->hinst = nullptr;
      return 0;
    }
  } else if (msg == WM_NCDESTROY) {
    const LRESULT r = DefSubclass(h, msg, wp, lp);
    if (m_tip) DestroyWindow(m_tip);
    m_list = m_tip = nullptr;
    return r;
  }
  return DefSubclass(h, msg, wp, lp);
}

LRESULT CALLBACK RowTips::ListProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                   DWORD_PTR ref) {
  return reinterpret_cast<RowTips*>(ref)->OnMessage(h, msg, wp, lp);
}

}  // namespace kui
