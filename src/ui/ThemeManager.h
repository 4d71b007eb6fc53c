#pragma once
// The theme manager of one window: a fixed list of component names and the theme they take.
// The skinned painting comes later; for now it records the theme and which components exist,
// so the skin choice already reaches exactly the listed components.

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace kui {

enum class Theme { BlueGlass, DeepBlue, MacOS, WinXP, Protein };

const char* ThemeName(Theme t);

class ThemeManager {
 public:
  ThemeManager(std::vector<std::string> components, Theme designTheme)
      : m_components(std::move(components)), m_theme(designTheme) {}

  // The window makes its controls known by name; unknown names are skipped by SetTheme.
  void RegisterComponent(const std::string& name, HWND hwnd) { m_windows[name] = hwnd; }

  // Gives every listed component that exists the theme and repaints it.
  void SetTheme(Theme t);
  Theme GetTheme() const { return m_theme; }

  const std::vector<std::string>& Components() const { return m_components; }
  // Names that received the theme at the last SetTheme, in list order.
  const std::vector<std::string>& Themed() const { return m_themed; }

  // The theme a component was given, read back from the window (the painter's later source).
  static bool GetComponentTheme(HWND hwnd, Theme& t);

 private:
  std::vector<std::string> m_components;
  std::map<std::string, HWND> m_windows;
  std::vector<std::string> m_themed;
  Theme m_theme;
};

}  // namespace kui
