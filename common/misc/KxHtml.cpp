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

const char kHtmlBody[] =
    "<body style=\"font-family:Verdana; font-size:9pt\">\r\n";
const char kHtmlTable[] =
    "<table border=0 cellpadding=0 cellspacing=1 bgcolor=#C0C0C0 style=\"font-family:verdana; "
    "font-size:10pt\">\r\n";
const char kHtmlHeaderRow[] =
    "<tr bgcolor=#F0F0FF height=22 colspan=2 align=center>\r\n"
    "<td width=240><b>Conduit Name</b></td>\r\n"
    "<td width=*><b>Detail Information</b></td></tr>\r\n";
const char kHtmlWhiteRow[] =
    "<tr bgcolor=#FFFFFF height=18 colspan=2 align=left style=\"padding-left:12; "
    "padding-right:12; padding-top:8; padding-bottom:8\">\r\n";
const char kHtmlTail[] =
    "</table><br></body>\r\n</html>\r\n";

}  // namespace kx
