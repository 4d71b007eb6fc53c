#include "IniText.h"

#include <strings.h>

#include "format/KxText.h"

namespace {

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && Blank(s[b])) ++b;
  while (e > b && Blank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

}  // namespace

IniText::IniText(const char* text, size_t size) {
  size_t pos = 0;
  while (pos < size) {
    size_t end = pos;
    while (end < size && text[end] != '\n') ++end;
    // Text past a zero byte is not part of the line, as in a C string.
    std::string raw(text + pos, end - pos);
    raw = raw.substr(0, raw.find('\0'));
    const std::string line = Trim(raw);
    pos = end + 1;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      const size_t close = line.find(']');
      m_sections.push_back({Trim(line.substr(1, close == std::string::npos ? std::string::npos
                                                                            : close - 1)),
                            {}});
      continue;
    }
    if (m_sections.empty()) continue;  // keys before any section belong to none
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string value = Trim(line.substr(eq + 1));
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
      value = value.substr(1, value.size() - 2);
    m_sections.back().keys.emplace_back(Trim(line.substr(0, eq)), value);
  }
}

void IniText::Get(const char* section, const char* key, char* buf, size_t cap) const {
  if (!buf || cap == 0) return;
  for (const Section& s : m_sections) {
    if (strcasecmp(s.name.c_str(), section) != 0) continue;
    for (const auto& kv : s.keys) {
      if (strcasecmp(kv.first.c_str(), key) == 0) {
        kx::CopyText(buf, cap, kv.second.c_str());
        return;
      }
    }
    break;
  }
  buf[0] = '\0';
}
