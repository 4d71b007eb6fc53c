// Stand-in HotSync programming interface (HSAPI.DLL).
#include "StandIn.h"

KS_UNUSED(HsGetApiVersion)
KS_UNUSED(HsGetSyncStatus)
KS_UNUSED(HsCheckApiStatus)

// Asks the running stand-in HotSync Manager for its Custom dialog. The program opens
// hotsync.exe just before this call without waiting, so when no window exists yet the request
// is left in a named event that a starting HotSync Manager honours; the answer is then -1.
KS_ENTRY HsDisplayCustomDlg(void) {
  KS_FAULT();
  HWND w = FindWindowA(KS_HOTSYNC_CLASS, nullptr);
  if (w) return PostMessageA(w, KS_WM_SHOWCUSTOM, 0, 0) ? 0 : -1;
  // Kept open until this process ends, so the request outlives the call.
  static HANDLE pending = CreateEventA(nullptr, TRUE, FALSE, KS_PENDING_EVENT);
  if (!pending) return -1;
  SetEvent(pending);
  // The window may have appeared after the first look and before the event was set.
  w = FindWindowA(KS_HOTSYNC_CLASS, nullptr);
  if (w) {
    ResetEvent(pending);
    PostMessageA(w, KS_WM_SHOWCUSTOM, 0, 0);
    return 0;
  }
  return -1;
}

KS_UNUSED(HsDisplayLog)
KS_UNUSED(HsDisplayFileLink)
KS_UNUSED(HsResetComm)
KS_UNUSED(HsSetCommStatus)
KS_UNUSED(HsGetCommStatus)
KS_UNUSED(HsSetAppStatus)
KS_UNUSED(HsRefreshConduitInfo)
