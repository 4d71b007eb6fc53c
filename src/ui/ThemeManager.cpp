#include "ThemeManager.h"

namespace kui {
namespace {
const char kThemeProp[] = "KestrinTheme";
}

const char* ThemeName(Theme t) {
  switch (t) {
    case Theme::BlueGlass: return "BlueGlass";
    case Theme::DeepBlue: return "DeepBlue";
    case Theme::MacOS: return "MacOS";
    case Theme::WinXP: return "WinXP";
    case Theme::Protein: return "Protein";
  }
  return "";
}

void ThemeManager::SetTheme(Theme t) {
  m_theme = t;
  m_themed.clear();
  for (const std::string& name : m_components) {
    auto it = m_windows.find(name);
    if (it == m_windows.end() || !IsWindow(it->second)) continue;
    // Stored as theme + 1 so that "no property" stays distinguishable.
    SetPropA(it->second, kThemeProp,
             reinterpret_cast<HANDLE>(static_cast<INT_PTR>(static_cast<int>(t) + 1)));
    InvalidateRect(it->second, nullptr, TRUE);
    m_themed.push_back(name);
  }
}

bool ThemeManager::GetComponentTheme(HWND hwnd, Theme& t) {
  INT_PTR v = reinterpret_cast<INT_PTR>(GetPropA(hwnd, kThemeProp));
  if (v <= 0) return false;
  t = static_cast<Theme>(v - 1);
  return true;
}

}  // namespace kui
