#pragma once
// The theme manager of one window: a fixed list of component names and the theme they take.
// SetTheme paints exactly the listed components that exist: a top-level window gets the skinned
// frame (SkinFrame), a control the skinned look of its kind (SkinControl). A window whose look
// is fixed (the splash's group box, the backup detail window) calls SetTheme once with its
// theme, or ApplyFixedTheme, and never ApplySkin.

#include <windows.h>

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace kui {

enum class Theme { BlueGlass, DeepBlue, MacOS, WinXP, Protein };

const char* ThemeName(Theme t);

// One listed component of window W: its name and the member that holds its handle (null: the
// window itself). A window's table of these is both its manager's list and its registrations.
template <class W>
struct ThemedPart {
  const char* name;
  HWND W::*control;
};

class ThemeManager {
 public:
  ThemeManager(std::vector<std::string> components, Theme designTheme)
      : m_components(std::move(components)), m_theme(designTheme) {}
  // The list is the table's names, in table order.
  template <class W, std::size_t N>
  ThemeManager(const ThemedPart<W> (&parts)[N], Theme designTheme) : m_theme(designTheme) {
    for (const ThemedPart<W>& p : parts) m_components.push_back(p.name);
  }

  // The window makes its controls known by name; unknown names are skipped by SetTheme. A listed
  // component takes the manager's current (at first its design) theme at once.
  void RegisterComponent(const std::string& name, HWND hwnd);
  // Registers every part of the table with its handle in `w`, in table order.
  template <class W, std::size_t N>
  void RegisterParts(const W& w, const ThemedPart<W> (&parts)[N]) {
    for (const ThemedPart<W>& p : parts) {
      RegisterComponent(p.name, p.control ? w.*p.control : w.hwnd());
    }
  }

  // Gives every listed component that exists the theme and repaints it.
  void SetTheme(Theme t);
  Theme GetTheme() const { return m_theme; }

  const std::vector<std::string>& Components() const { return m_components; }
  // Names that received the theme at the last SetTheme, in list order.
  const std::vector<std::string>& Themed() const { return m_themed; }

  // The theme a component was given, read back from the window.
  static bool GetComponentTheme(HWND hwnd, Theme& t);

  // Gives one window (frame or control) a theme that no skin choice changes.
  static void ApplyFixedTheme(HWND hwnd, Theme t);

 private:
  std::vector<std::string> m_components;
  std::map<std::string, HWND> m_windows;
  std::vector<std::string> m_themed;
  Theme m_theme;
};

}  // namespace kui
