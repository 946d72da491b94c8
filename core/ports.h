#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace csv2sql {

// Small interfaces that the hosts (window, headless) provide and tests fake.

// Message-box answer codes.
namespace answer {
constexpr int Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7;
}

// Message-box style bits: button set (low three bits), icon, default button.
namespace mb {
constexpr std::int32_t OkOnly = 0, OkCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4,
                       RetryCancel = 5;
constexpr std::int32_t Critical = 16, Question = 32, Exclamation = 48, Information = 64;
constexpr std::int32_t DefaultButton2 = 256, DefaultButton3 = 512;
}  // namespace mb

// The program's title, shown by message boxes that are given no caption of their own.
inline constexpr const char* kProgramTitle = "Tavrel Data Move Util";

struct MessageBoxRequest {
  std::string prompt;
  std::int32_t buttons = 0;
  std::optional<std::string> title;
};

class MessageBoxPort {
 public:
  virtual ~MessageBoxPort() = default;
  // Shows a modal box and returns the answer code of the pressed button.
  virtual int show(const MessageBoxRequest& request) = 0;
};

class EventLoopPort {
 public:
  virtual ~EventLoopPort() = default;
  // Lets the event loop run once: repaint, handle pending clicks and ticks.
  virtual void yield() = 0;
};

class UrlOpenerPort {
 public:
  virtual ~UrlOpenerPort() = default;
  virtual void open(const std::string& url) = 0;  // the result is not examined
};

}  // namespace csv2sql
