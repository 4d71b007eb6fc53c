#pragma once
// The help file at a topic: F1 in any window opens "kestrinhelp.chm::/<topic>.htm" from the
// program folder through HTML Help. Tests replace what the request is handed to.

#include <functional>
#include <string>

namespace kui {

// "<program folder>kestrinhelp.chm::/<topic>.htm"
std::string HelpTopicUrl(const char* topic);
// Opens the help file at the topic (HtmlHelp, bound at run time: hhctrl.ocx may be missing).
void OpenHelpTopic(const char* topic);

// Replaces what OpenHelpTopic hands its URL to (an empty one restores HTML Help); returns the
// previous one.
using HelpOpener = std::function<void(const std::string&)>;
HelpOpener SetHelpOpener(HelpOpener opener);

}  // namespace kui
