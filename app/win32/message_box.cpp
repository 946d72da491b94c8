#include "app/win32/message_box.h"

#include "app/win32/wide_text.h"
#include "log/messages.h"

namespace csv2sql {

namespace {
// The button set, the icon and the default button; the program asks for nothing else.
constexpr UINT kStyleBits = 0x7 | 0x70 | 0x300;
}  // namespace

std::wstring messageText(const std::string& prompt) {
  std::string text;
  for (std::size_t i = 0; i < prompt.size(); ++i) {
    if (prompt[i] != '\r') {
      text += prompt[i];
    } else if (i + 1 == prompt.size() || prompt[i + 1] != '\n') {
      text += '\n';
    }
  }
  return widen(text);
}

int Win32MessageBox::show(const MessageBoxRequest& request) {
  const UINT style = (static_cast<UINT>(request.buttons) & kStyleBits) | MB_SETFOREGROUND;
  const int answer =
      MessageBoxW(IsWindow(owner_) ? owner_ : nullptr, messageText(request.prompt).c_str(),
                  widen(request.title.value_or(kProgramTitle)).c_str(), style);
  // Closed without a button (or not shown at all): the default button's answer.
  return answer > 0 ? answer : defaultButtonAnswer(request.buttons);
}

}  // namespace csv2sql
