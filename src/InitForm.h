#pragma once
// The splash window shown while the catalogues load: its timer loads them on its second tick.

#include <windows.h>

#include "ui/GdiHandle.h"
#include "ui/Modal.h"

struct BrushTraits {
  static HBRUSH Invalid() { return nullptr; }
  static void Close(HBRUSH h) { DeleteObject(h); }
};

class TfmInit : public kui::ModalWindow {
 public:
  static const char kClassName[];  // "TfmInit"
  static const UINT kInterval = 1000;

  TfmInit();
  ~TfmInit() override;
  const char* ClassName() const override { return kClassName; }

  // Creates the hidden window and starts tmInit.
  bool Create(HWND owner);
  // One tick of tmInit: the first only marks a full interval on screen, the second loads the
  // catalogues through fmMain and closes the splash, any later one does nothing.
  void tmInitTimer();

  // The tick and load flags live for the whole run; tests that start the program several times
  // in one process begin each start with fresh flags.
  static void ResetRunFlags();

  HWND gbInit = nullptr, imgPalm = nullptr, lblLoading = nullptr, lblWait = nullptr;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  // The splash blue, or the window colour under high contrast.
  HBRUSH Background() const;
  void DrawPicture(const DRAWITEMSTRUCT& di);
  UINT_PTR tmInit = 0;
  kx::UniqueFont m_fontBold;
  kx::UniqueGdiObject m_bmpPicture;
  kx::UniqueHandle<HBRUSH, BrushTraits> m_brBack;
};

extern TfmInit* fmInit;
