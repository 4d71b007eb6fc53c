#include "KxHtml.h"

#include <cstring>

#include "KxClock.h"

namespace kx {

namespace {

// Copies the line into out with each "%s" replaced by put(next argument) while arguments last.
// One pass, plain runs copied whole: a page of 100,000 rows makes this a hot loop.
template <typename It, typename Put>
void FillTo(std::string& out, const char* pszLine, It arg, It end, Put put) {
  if (!pszLine) return;
  const char* run = pszLine;
  const char* p = pszLine;
  for (; *p; ++p) {
    if (p[0] == '%' && p[1] == 's' && arg != end) {
      out.append(run, static_cast<size_t>(p - run));
      put(*arg++);
      ++p;
      run = p + 1;
    }
  }
  out.append(run, static_cast<size_t>(p - run));
}

}  // namespace

void HtmlEscapeTo(std::string& out, const char* psz) {
  if (!psz) return;
  const char* run = psz;
  const char* p = psz;
  for (; *p; ++p) {
    const char* entity;
    switch (*p) {
      case '&': entity = "&amp;"; break;
      case '<': entity = "&lt;"; break;
      case '>': entity = "&gt;"; break;
      case '"': entity = "&quot;"; break;
      default: continue;
    }
    out.append(run, static_cast<size_t>(p - run));
    out.append(entity);
    run = p + 1;
  }
  out.append(run, static_cast<size_t>(p - run));
}

std::string HtmlEscape(const char* psz) {
  std::string out;
  if (!psz) return out;
  out.reserve(strlen(psz));  // most texts have nothing to escape
  HtmlEscapeTo(out, psz);
  return out;
}

std::string HtmlFill(const char* pszLine, std::initializer_list<std::string> args) {
  std::string out;
  if (!pszLine) return out;
  size_t total = strlen(pszLine);
  for (const std::string& a : args) total += a.size();
  out.reserve(total);
  FillTo(out, pszLine, args.begin(), args.end(), [&out](const std::string& a) { out += a; });
  return out;
}

void HtmlFillEscapedTo(std::string& out, const char* pszLine,
                       std::initializer_list<const char*> texts) {
  FillTo(out, pszLine, texts.begin(), texts.end(), [&out](const char* t) { HtmlEscapeTo(out, t); });
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
const char kHtmlGreyRow[] =
    "<tr bgcolor=#F0F0F0 height=18 colspan=2 align=left style=\"padding-left:12; "
    "padding-right:12; padding-top:8; padding-bottom:8\">\r\n";
const char kHtmlTail[] =
    "</table><br></body>\r\n</html>\r\n";

}  // namespace kx
