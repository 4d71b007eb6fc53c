#include "Help.h"

#include <windows.h>

#include "misc/KxHandle.h"
#include "misc/WinUtil.h"

namespace kui {
namespace {

const unsigned kDisplayTopic = 0;  // HH_DISPLAY_TOPIC

void OpenWithHtmlHelp(const std::string& url) {
  // Loaded for the process's life once used: the help window lives in it.
  static HMODULE hhctrl = LoadLibraryA("hhctrl.ocx");
  if (!hhctrl) return;
  using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
  auto fn = reinterpret_cast<HtmlHelpFn>(
      reinterpret_cast<void*>(GetProcAddress(hhctrl, "HtmlHelpA")));
  if (fn) fn(GetDesktopWindow(), url.c_str(), kDisplayTopic, 0);
}

HelpOpener& Opener() {
  static HelpOpener opener = OpenWithHtmlHelp;
  return opener;
}

}  // namespace

std::string HelpTopicUrl(const char* topic) {
  char folder[MAX_PATH] = {};
  GetProgramFolder(nullptr, folder);
  return std::string(folder) + "kestrinhelp.chm::/" + topic + ".htm";
}

void OpenHelpTopic(const char* topic) {
  if (topic && *topic) Opener()(HelpTopicUrl(topic));
}

HelpOpener SetHelpOpener(HelpOpener opener) {
  HelpOpener old = std::move(Opener());
  Opener() = opener ? std::move(opener) : HelpOpener(OpenWithHtmlHelp);
  return old;
}

}  // namespace kui
