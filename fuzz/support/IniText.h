#pragma once
// A small reader of the private-profile format for the native build, where
// GetPrivateProfileString is not there: "[section]" lines, then "key=value" lines; section and
// key names match without regard to case, the first match wins; names and values lose their
// surrounding blanks, and a value quoted at both ends loses its quotes.

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

class IniText {
 public:
  IniText(const char* text, size_t size);

  // GetPrivateProfileString's contract: the value cut to cap-1 characters and terminated; ""
  // for a missing key.
  void Get(const char* section, const char* key, char* buf, size_t cap) const;

 private:
  struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> keys;
  };
  std::vector<Section> m_sections;
};
