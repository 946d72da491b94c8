#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "app/host.h"
#include "core/ports.h"

namespace csv2sql {

// The host of the starts that never show a window ("1" and the service start); needs no
// display. A message box is written to the session's error stream and answered with its
// default button at once. SIGTERM and SIGINT ask the program to end cleanly: a run in progress
// is asked to stop after its current file, and the loop then returns 0.
class HeadlessHost final : public Host,
                           private MessageBoxPort,
                           private EventLoopPort,
                           private UrlOpenerPort {
 public:
  // tickInterval, when given, replaces Timer1's own interval (the process tests' seam).
  explicit HeadlessHost(std::optional<std::int32_t> tickInterval = std::nullopt);
  // Puts back the signal handlers that were there before.
  ~HeadlessHost() override;
  HeadlessHost(const HeadlessHost&) = delete;
  HeadlessHost& operator=(const HeadlessHost&) = delete;

  // Also installs the SIGTERM and SIGINT handlers, so a "1" run stops cleanly as well.
  void installPorts(Session& session, FrmMain& form) override;
  void attach(Program& program) override;
  // Asks the program to end cleanly, as SIGTERM does (a Windows service's stop request).
  static void requestStop();

  // This host has no window, so showWindow is ignored: it ticks Timer1 until a stop signal
  // (status 0) or until automatic runs go off after a failed run without a retry delay (status 1,
  // so that a service manager can start the program again).
  int run(bool showWindow) override;

 private:
  using SteadyClock = std::chrono::steady_clock;

  int show(const MessageBoxRequest& request) override;
  void yield() override;
  void open(const std::string& url) override;

  std::ostream& out() const;
  // Timer1 was enabled or its interval changed: its next tick is one interval from now.
  void rearm();

  std::optional<std::int32_t> tickInterval_;
  Session* session_ = nullptr;
  Program* program_ = nullptr;
  SteadyClock::time_point nextTick_ = SteadyClock::time_point::max();
  void (*previousTerm_)(int) = nullptr;
  void (*previousInt_)(int) = nullptr;
  bool handlersInstalled_ = false;
};

}  // namespace csv2sql
