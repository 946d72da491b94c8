#pragma once

#include <windows.h>

#include "core/ports.h"

namespace csv2sql {

// The window's message box: Windows' own MessageBox, whose style bits and answer codes are the
// ones the program uses, titled with the request's title or else the program's.
class Win32MessageBox final : public MessageBoxPort {
 public:
  // The box is shown over owner (null: over no window).
  explicit Win32MessageBox(HWND owner = nullptr) : owner_(owner) {}
  int show(const MessageBoxRequest& request) override;

 private:
  HWND owner_;
};

// The box's text: a carriage return, alone or before a line feed, breaks the line.
std::wstring messageText(const std::string& prompt);

}  // namespace csv2sql
