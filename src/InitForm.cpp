#include "InitForm.h"

#include "MainForm.h"
#include "ThemeManager.h"

TfmInit* fmInit = nullptr;
const char TfmInit::kClassName[] = "TfmInit";

namespace {

const int kWidth = 425, kHeight = 187;
const COLORREF kBlue = 13408563;  // red 0x33, green 0x99, blue 0xCC
const UINT_PTR kTimerId = 1;
const int kIdPicture = 10;

bool g_bTicked = false;  // first tick seen
bool g_bLoaded = false;  // catalogues loaded

}  // namespace

void TfmInit::ResetRunFlags() {
  g_bTicked = false;
  g_bLoaded = false;
}

TfmInit::TfmInit() { fmInit = this; }

TfmInit::~TfmInit() {
  if (hwnd() && tmInit) KillTimer(hwnd(), kTimerId);
  if (fmInit == this) fmInit = nullptr;
}

bool TfmInit::Create(HWND owner) {
  m_brBack.reset(CreateSolidBrush(kBlue));
  RegisterClassOnce(kClassName, nullptr);
  const DWORD style = WS_POPUP;
  RECT r = kui::CentredWindowRect(kui::Scale(kWidth), kui::Scale(kHeight), style, 0, false);
  if (!CreateWnd(WS_EX_TOOLWINDOW, kClassName, "Kestrin", style, r.left, r.top,
                 r.right - r.left, r.bottom - r.top, owner, nullptr)) {
    return false;
  }
  m_fontBold.reset(CreateFontA(-kui::Scale(13), 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                               0, 0, "Verdana"));
  HINSTANCE inst = GetModuleHandleA(nullptr);
  using kui::Scale;
  gbInit = CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, Scale(4),
                           Scale(0), Scale(kWidth - 8), Scale(kHeight - 4), hwnd(), nullptr, inst,
                           nullptr);
  imgPalm = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, Scale(12),
                            Scale(14), Scale(160), Scale(160), hwnd(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdPicture)), inst,
                            nullptr);
  lblLoading = CreateWindowExA(0, "STATIC", "Loading Conduit Information", WS_CHILD | WS_VISIBLE,
                               Scale(186), Scale(66), Scale(230), Scale(20), hwnd(), nullptr,
                               inst, nullptr);
  lblWait = CreateWindowExA(0, "STATIC", "Please wait ...", WS_CHILD | WS_VISIBLE, Scale(186),
                            Scale(96), Scale(230), Scale(20), hwnd(), nullptr, inst, nullptr);
  for (HWND h : {gbInit, lblLoading, lblWait}) {
    SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(m_fontBold.get()), FALSE);
  }
  // The splash's look is fixed: its group box is Deep Blue whatever the skin.
  kui::ThemeManager::ApplyFixedTheme(gbInit, kui::Theme::DeepBlue);
  // The group box is the background of the others: keep it at the bottom of the z-order.
  SetWindowPos(gbInit, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  tmInit = SetTimer(hwnd(), kTimerId, kInterval, nullptr);
  return true;
}

void TfmInit::tmInitTimer() {
  if (!g_bTicked) {
    g_bTicked = true;
    return;
  }
  if (g_bLoaded) return;
  g_bLoaded = true;
  if (tmInit) {
    KillTimer(hwnd(), kTimerId);
    tmInit = 0;
  }
  fmMain->LoadConduitInfo();
  EndModal(IDOK);
}

void TfmInit::DrawPicture(const DRAWITEMSTRUCT& di) {
  // A handheld: dark case, light screen, four buttons.
  HDC dc = di.hDC;
  RECT r = di.rcItem;
  FillRect(dc, &r, m_brBack.get());
  int w = r.right - r.left, h = r.bottom - r.top;
  kx::UniqueGdiObject body(CreateSolidBrush(RGB(0x30, 0x38, 0x48)));
  kx::UniqueGdiObject screen(CreateSolidBrush(RGB(0xC8, 0xD8, 0xB0)));
  kx::UniqueGdiObject knob(CreateSolidBrush(RGB(0x90, 0xA0, 0xB8)));
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
  HGDIOBJ oldBrush = SelectObject(dc, body.get());
  RoundRect(dc, r.left + w / 5, r.top + h / 16, r.right - w / 5, r.bottom - h / 16, w / 8, w / 8);
  SelectObject(dc, screen.get());
  Rectangle(dc, r.left + w * 3 / 10, r.top + h / 6, r.right - w * 3 / 10, r.top + h * 3 / 5);
  SelectObject(dc, knob.get());
  for (int i = 0; i < 4; ++i) {
    int cx = r.left + w * 3 / 10 + i * (w * 2 / 5) / 3;
    Ellipse(dc, cx - w / 30, r.top + h * 7 / 10, cx + w / 30, r.top + h * 7 / 10 + w / 15);
  }
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
}

LRESULT TfmInit::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_TIMER:
      if (wp == kTimerId) {
        tmInitTimer();
        return 0;
      }
      break;
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(hwnd(), &r);
      FillRect(reinterpret_cast<HDC>(wp), &r, m_brBack.get());
      return 1;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wp);
      SetTextColor(dc, RGB(255, 255, 255));
      SetBkColor(dc, kBlue);
      return reinterpret_cast<LRESULT>(m_brBack.get());
    }
    case WM_DRAWITEM: {
      auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
      if (di->CtlID == static_cast<UINT>(kIdPicture)) {
        DrawPicture(*di);
        return TRUE;
      }
      break;
    }
    case WM_CLOSE:
      return 0;  // only the load closes the splash
    default:
      break;
  }
  return DefProc(msg, wp, lp);
}
