#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "format/KxHtml.h"

namespace {

// The rules one character at a time, as plainly as they read: the fast versions must give the
// same bytes.
std::string EscapeByChar(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c; break;
    }
  }
  return out;
}

std::string FillByChar(const std::string& line, const std::vector<std::string>& args) {
  std::string out;
  size_t next = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '%' && i + 1 < line.size() && line[i + 1] == 's' && next < args.size()) {
      out += args[next++];
      ++i;
    } else {
      out += line[i];
    }
  }
  return out;
}

}  // namespace

TEST(KxHtml, EscapeAndFillCases) {
  EXPECT_EQ("", kx::HtmlEscape(nullptr));
  EXPECT_EQ("", kx::HtmlFill(nullptr, {"x"}));
  std::string out = "kept";
  kx::HtmlEscapeTo(out, nullptr);
  kx::HtmlFillEscapedTo(out, nullptr, {"x"});
  kx::HtmlFillEscapedTo(out, "<%s|%s>", {nullptr, "&"});  // a null text inserts nothing
  EXPECT_EQ("kept<|&amp;>", out);
  struct Case {
    const char* line;
    std::initializer_list<std::string> args;
    const char* want;
  } cases[] = {
      {"<td>%s</td>", {"a"}, "<td>a</td>"},
      {"%s%s", {"a", "b"}, "ab"},
      {"%s and %s", {"one"}, "one and %s"},         // a placeholder without an argument stays
      {"%s", {"a", "b"}, "a"},                      // an argument without a placeholder is dropped
      {"%%s %d 100%", {"x"}, "%x %d 100%"},         // only "%s" is a placeholder
      {"%s|%s", {"%s", "y"}, "%s|y"},               // inserted text is not filled again
      {"", {"x"}, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(c.want, kx::HtmlFill(c.line, c.args)) << c.line;
}

// Every text of up to five characters drawn from the special ones and a plain one, through each
// function (as line and as argument), against the rules above: runs at the start, the end and
// between specials are where copying in runs can go wrong.
TEST(KxHtml, SameBytesAsOneCharacterAtATime) {
  const char alphabet[] = {'a', '&', '<', '>', '"', '%', 's'};
  std::vector<std::string> texts{""};
  for (size_t from = 0, len = 1; len <= 5; ++len) {
    const size_t to = texts.size();
    for (size_t i = from; i < to; ++i)
      for (char c : alphabet) texts.push_back(texts[i] + c);
    from = to;
  }
  for (const std::string& t : texts) {
    ASSERT_EQ(EscapeByChar(t), kx::HtmlEscape(t.c_str())) << t;
    ASSERT_EQ(FillByChar(t, {"<1>", "2"}), kx::HtmlFill(t.c_str(), {"<1>", "2"})) << t;
    ASSERT_EQ(FillByChar("[%s]", {t}), kx::HtmlFill("[%s]", {t})) << t;
    // The appending forms keep what out held and escape what they insert.
    std::string out = "pre";
    kx::HtmlEscapeTo(out, t.c_str());
    ASSERT_EQ("pre" + EscapeByChar(t), out) << t;
    out = "pre";
    kx::HtmlFillEscapedTo(out, t.c_str(), {"<1>", "2"});
    ASSERT_EQ("pre" + FillByChar(t, {"&lt;1&gt;", "2"}), out) << t;
    out = "pre";
    kx::HtmlFillEscapedTo(out, "[%s]", {t.c_str()});
    ASSERT_EQ("pre[" + EscapeByChar(t) + "]", out) << t;
  }
}
