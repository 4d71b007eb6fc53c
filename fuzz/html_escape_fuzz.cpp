// HTML escaping of texts taken from conduit libraries: an escaped text holds no raw < > & or ",
// and unescapes to the input; the filling of a page line escapes the same way.
#include <cstring>
#include <string>

#include "format/KxHtml.h"
#include "FuzzSupport.h"

using namespace kfuzz;

namespace {

// The four entities HtmlEscape writes, read back; anything else after '&' is a finding.
bool Unescape(const std::string& s, std::string& out) {
  static const struct {
    const char* entity;
    char c;
  } kEntities[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}};
  out.clear();
  for (size_t i = 0; i < s.size();) {
    if (s[i] != '&') {
      out += s[i++];
      continue;
    }
    bool known = false;
    for (const auto& e : kEntities) {
      if (s.compare(i, strlen(e.entity), e.entity) == 0) {
        out += e.c;
        i += strlen(e.entity);
        known = true;
        break;
      }
    }
    if (!known) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A text as a C string: up to its first zero.
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string input = text.substr(0, text.find('\0'));

  const std::string escaped = kx::HtmlEscape(input.c_str());
  Check(escaped.find_first_of("<>\"") == std::string::npos, "no raw < > or \" is left");
  std::string back;
  Check(Unescape(escaped, back), "every & starts one of the four entities");
  Check(back == input, "the escaped text unescapes to the input");

  std::string appended = "x";
  kx::HtmlEscapeTo(appended, input.c_str());
  Check(appended == "x" + escaped, "appending escapes the same way");

  std::string line;
  kx::HtmlFillEscapedTo(line, "<td>%s</td><td>%s</td>", {input.c_str(), input.c_str()});
  Check(line == "<td>" + escaped + "</td><td>" + escaped + "</td>", "a filled line escapes");
  Check(kx::HtmlEscape(nullptr).empty(), "a null text is empty");
  return 0;
}
