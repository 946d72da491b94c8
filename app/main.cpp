#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "app/entry.h"
#include "app/headless_host.h"
#include "app/schedule_seam.h"
#include "core/clock.h"
#include "core/platform.h"
#if defined(CSV2SQL_WIN32_HOST)
#include "app/win32/service.h"
#include "app/win32/window_host.h"
#elif !defined(CSV2SQL_HEADLESS_ONLY) && !defined(CSV2SQL_WINDOW_PROGRAM)
#include "app/ui/window_host.h"
#endif

namespace {

constexpr const char* kNoWindow = "csv2sql: no display is available to show the window.\n";

// The window host, or nothing when no window can be shown here.
std::unique_ptr<csv2sql::Host> windowHost(int& argc, char** argv, csv2sql::Session& session) {
#if defined(CSV2SQL_WIN32_HOST)
  (void)argc, (void)argv, (void)session;
  return csv2sql::makeWin32Host();
#elif defined(CSV2SQL_HEADLESS_ONLY) || defined(CSV2SQL_WINDOW_PROGRAM)
  // This program has no window host.
  (void)argc, (void)argv, (void)session;
  return nullptr;
#else
  if (!csv2sql::platform::hasDisplay()) return nullptr;
  return csv2sql::makeWindowHost(argc, argv, session);
#endif
}

}  // namespace

int main(int argc, char** argv) {
  using namespace csv2sql;
  if (const auto status = runCommand(argc, argv, std::cout, std::cerr)) return *status;
#ifdef CSV2SQL_WIN32_HOST
  if (const auto status = runServiceCommand(argc, argv, std::cout, std::cerr)) return *status;
#endif
  auto session = std::make_unique<Session>();
  session->programFolder = platform::executablePath().parent_path();
  session->errorStream = &std::cerr;
  session->outputStream = &std::cout;
  const SystemClock systemClock;
  const auto seamInterval = timerIntervalSeam();
  std::optional<FastClock> fastClock;
  if (seamInterval) fastClock.emplace(systemClock, 60000.0 / *seamInterval);
  session->clock = fastClock ? static_cast<const Clock*>(&*fastClock) : &systemClock;

  const std::string text = argumentText(argc, argv);
  auto form = std::make_unique<FrmMain>();
  if (startsWithoutWindow(text)) {
    HeadlessHost host(seamInterval);
#ifdef CSV2SQL_WIN32_HOST
    // Started by the service control manager: the same start, stopped by its stop request.
    if (isServiceStart(text)) {
      const auto status = runAsService([&] { return runProgram(*session, *form, text, host); },
                                       &HeadlessHost::requestStop);
      if (status) return *status;
    }
#endif
    return runProgram(*session, *form, text, host);
  }
#ifdef CSV2SQL_WINDOW_PROGRAM
  // The window and the libraries it needs are in a program of their own beside this one, so
  // that the starts without a window, run unattended again and again, load none of them.
  if (platform::hasDisplay()) {
    const auto windowProgram = session->programFolder / CSV2SQL_WINDOW_PROGRAM;
    const std::error_code error = platform::runInstead(windowProgram, argv);
    std::cerr << "csv2sql: the window program " << windowProgram.string()
              << " cannot be started: " << error.message() << "\n";
    return 2;
  }
#endif
  const auto host = windowHost(argc, argv, *session);
  if (!host) {
    std::cerr << kNoWindow << csv2sql::kStartsWithoutWindow;
    return 2;
  }
  return runProgram(*session, *form, text, *host);
}
