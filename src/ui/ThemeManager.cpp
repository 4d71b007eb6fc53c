#include "ThemeManager.h"

#include "SkinControls.h"
#include "SkinFrame.h"

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

void ThemeManager::RegisterComponent(const std::string& name, HWND hwnd) {
  m_windows[name] = hwnd;
  for (const std::string& listed : m_components) {
    if (listed == name) ApplyFixedTheme(hwnd, m_theme);
  }
}

void ThemeManager::SetTheme(Theme t) {
  m_theme = t;
  m_themed.clear();
  for (const std::string& name : m_components) {
    auto it = m_windows.find(name);
    if (it == m_windows.end() || !IsWindow(it->second)) continue;
    ApplyFixedTheme(it->second, t);
    m_themed.push_back(name);
  }
}

void ThemeManager::ApplyFixedTheme(HWND hwnd, Theme t) {
  if (!hwnd || !IsWindow(hwnd)) return;
  // Stored as theme + 1 so that "no property" stays distinguishable.
  SetPropA(hwnd, kThemeProp, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(static_cast<int>(t) + 1)));
  if (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) {
    SkinControl(hwnd, t);
  } else {
    SkinFrame::Attach(hwnd, t);
  }
}

bool ThemeManager::GetComponentTheme(HWND hwnd, Theme& t) {
  INT_PTR v = reinterpret_cast<INT_PTR>(GetPropA(hwnd, kThemeProp));
  if (v <= 0) return false;
  t = static_cast<Theme>(v - 1);
  return true;
}

}  // namespace kui
