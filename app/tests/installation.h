#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/tests/app_fixture.h"
#include "core/platform.h"
#include "tests/support/test_platform.h"

namespace csv2sql::testing {

// Polls until the condition holds or 20 seconds have passed.
inline bool eventually(const std::function<bool()>& condition) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

// A copy of the real program in a fresh folder with a config.ini beside it, started in a process
// of its own, every wait bounded.
class Installation : public AppTest {
 protected:
  Installation() {
    std::filesystem::copy_file(platform::executablePath().parent_path() / CSV2SQL_PROGRAM_FILE,
                               program);
  }

  // Starts the program without the display variables (so any attempt at a window shows) and
  // with `setting` ("NAME=value") if any.
  void start(const std::string& argument, const std::string& setting = "") {
    process_.emplace(program, argument,
                     std::vector<std::string>{"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM",
                                              "CSV2SQL_TIMER_INTERVAL_MS"},
                     setting, folder / "output.txt");
  }
  // The exit status once the program has ended by itself, or nothing after 20 seconds.
  std::optional<int> waitForEnd() {
    std::optional<int> status;
    eventually([&] { return (status = process_->exitStatus()).has_value(); });
    return status;
  }
  void askToStop() { process_->askToStop(); }
  std::optional<int> statusNow() { return process_->exitStatus(); }
  std::string output() const { return readFile(folder / "output.txt"); }

  const std::filesystem::path program = folder / "csv2sql";

 private:
  std::optional<ChildProcess> process_;
};

}  // namespace csv2sql::testing
