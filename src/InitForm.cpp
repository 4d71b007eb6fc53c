#include "InitForm.h"

#include "MainForm.h"
#include "misc/StartupStamps.h"
#include "ui/Controls.h"
#include "ui/HighContrast.h"
#include "ui/Pictures.h"
#include "ui/resource.h"
#include "ui/ThemeManager.h"

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
  m_bmpPicture.reset(kui::LoadPicture(IDB_SPLASH));
  RegisterClassOnce(kClassName, nullptr);
  const DWORD style = WS_POPUP;
  RECT r = kui::CentredWindowRect(kui::Scale(kWidth), kui::Scale(kHeight), style, 0, false);
  if (!CreateWnd(WS_EX_TOOLWINDOW, kClassName, "Kestrin", style, r.left, r.top,
                 r.right - r.left, r.bottom - r.top, owner, nullptr)) {
    return false;
  }
  m_fontBold.reset(kui::CreateUiFont("Verdana", 10, FW_BOLD));
  const kui::Children child(hwnd(), m_fontBold.get());
  gbInit = child.Add("BUTTON", "", BS_GROUPBOX, {4, 0, kWidth - 8, kHeight - 4}, 0);
  imgPalm = child.Add("STATIC", "", SS_OWNERDRAW, {12, 14, 160, 160}, kIdPicture);
  lblLoading = child.Add("STATIC", "Loading Conduit Information", 0, {186, 66, 230, 20}, 0);
  lblWait = child.Add("STATIC", "Please wait ...", 0, {186, 96, 230, 20}, 0);
  // The splash's look is fixed: its group box is Deep Blue whatever the skin.
  kui::ThemeManager::ApplyFixedTheme(gbInit, kui::Theme::DeepBlue);
  // The group box is the background of the others: keep it at the bottom of the z-order.
  kui::PutBehind({gbInit});
  tmInit = SetTimer(hwnd(), kTimerId, kInterval, nullptr);
  kx::StartupStamp("timer");
  return true;
}

void TfmInit::tmInitTimer() {
  kx::StartupStamp("tick");
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
  kx::StartupStamp("loaded");
  EndModal(IDOK);
}

HBRUSH TfmInit::Background() const {
  return kui::HighContrast() ? GetSysColorBrush(COLOR_WINDOW) : m_brBack.get();
}

void TfmInit::DrawPicture(const DRAWITEMSTRUCT& di) {
  FillRect(di.hDC, &di.rcItem, Background());  // plain if the picture is missing
  kui::DrawPicture(di.hDC, di.rcItem, static_cast<HBITMAP>(m_bmpPicture.get()));
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
      FillRect(reinterpret_cast<HDC>(wp), &r, Background());
      return 1;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wp);
      const bool system = kui::HighContrast();
      SetTextColor(dc, system ? GetSysColor(COLOR_WINDOWTEXT) : RGB(255, 255, 255));
      SetBkColor(dc, system ? GetSysColor(COLOR_WINDOW) : kBlue);
      return reinterpret_cast<LRESULT>(Background());
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
