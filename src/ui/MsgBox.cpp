#include "MsgBox.h"

#include <utility>

namespace kui {
namespace {

int RealMessageBox(const MessageRequest& r) {
  return MessageBoxA(r.owner, r.text.c_str(), r.caption.c_str(), r.icon | r.buttons);
}

MessageAnswerer& Answerer() {
  static MessageAnswerer answerer = RealMessageBox;
  return answerer;
}

}  // namespace

int ShowMessage(HWND owner, const char* text, const char* caption, UINT icon, UINT buttons) {
  MessageRequest r{owner, text ? text : "", caption ? caption : "", icon, buttons};
  return Answerer()(r);
}

MessageAnswerer SetMessageAnswerer(MessageAnswerer answerer) {
  MessageAnswerer old = std::move(Answerer());
  Answerer() = answerer ? std::move(answerer) : MessageAnswerer(RealMessageBox);
  return old;
}

}  // namespace kui
