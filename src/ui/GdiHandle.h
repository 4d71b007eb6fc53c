#pragma once
// Owners of GDI objects and image lists: one owner per handle, movable, never copied.

#include <windows.h>

#include <commctrl.h>

#include "format/KxUnique.h"

namespace kx {

struct GdiTraits {
  static HGDIOBJ Invalid() { return nullptr; }
  static void Close(HGDIOBJ h) { DeleteObject(h); }
};
struct FontTraits {
  static HFONT Invalid() { return nullptr; }
  static void Close(HFONT h) { DeleteObject(h); }
};
struct ImageListTraits {
  static HIMAGELIST Invalid() { return nullptr; }
  static void Close(HIMAGELIST h) { ImageList_Destroy(h); }
};

using UniqueGdiObject = UniqueHandle<HGDIOBJ, GdiTraits>;
using UniqueFont = UniqueHandle<HFONT, FontTraits>;
using UniqueImageList = UniqueHandle<HIMAGELIST, ImageListTraits>;

}  // namespace kx
