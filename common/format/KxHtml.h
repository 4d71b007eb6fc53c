#pragma once
// Shared pieces of the program's HTML pages (the history and the conduit report).

#include <ctime>
#include <initializer_list>
#include <string>

namespace kx {

// Escapes & < > and " so that names, paths and versions taken from conduit libraries show as
// text and never run as markup in a local page. A null text gives an empty one.
std::string HtmlEscape(const char* psz);
// The same, appended to out.
void HtmlEscapeTo(std::string& out, const char* psz);

// Puts the arguments, in order, where the line has "%s"; the rest of the line is copied as it
// is, so a page line can be written exactly as its literal reads.
std::string HtmlFill(const char* pszLine, std::initializer_list<std::string> args);

// Appends HtmlFill(pszLine, {HtmlEscape(text), ...}) to out without a string per text: for pages
// of many rows, where making and freeing those strings costs more than copying the text.
void HtmlFillEscapedTo(std::string& out, const char* pszLine,
                       std::initializer_list<const char*> texts);

// The calendar-time text of t in local time, with its trailing line feed ("Tue Mar 06 14:05:09
// 2007\n"); empty when the runtime cannot convert t.
std::string HtmlTimeStamp(time_t t);

// Lines both pages share, byte for byte: the body, the table, its header row, a white row's
// opening, a grey row's (system conduits) and the tail.
extern const char kHtmlBody[];
extern const char kHtmlTable[];
extern const char kHtmlHeaderRow[];
extern const char kHtmlWhiteRow[];
extern const char kHtmlGreyRow[];
extern const char kHtmlTail[];

}  // namespace kx
