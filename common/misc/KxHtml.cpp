#include "KxHtml.h"

#include "KxClock.h"

namespace kx {

std::string HtmlEscape(const char* psz) {
  std::string out;
  if (!psz) return out;
  for (; *psz; ++psz) {
    switch (*psz) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += *psz; break;
    }
  }
  return out;
}

std::string HtmlFill(const char* pszLine, std::initializer_list<std::string> args) {
  std::string out;
  auto arg = args.begin();
  for (const char* p = pszLine; *p; ++p) {
    if (p[0] == '%' && p[1] == 's' && arg != args.end()) {
      out += *arg++;
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

std::string HtmlTimeStamp(time_t t) {
  char sz[kTimeStampSize];
  return LocalTimeStamp(t, sz, sizeof sz);
}

}  // namespace kx
