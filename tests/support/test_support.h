#pragma once

#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/ports.h"
#include "form/session.h"

namespace csv2sql::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Writes bytes to a file exactly as given (no line-end translation).
void writeFile(const std::filesystem::path& path, const std::string& bytes);
std::string readFile(const std::filesystem::path& path);
// Splits a file's text at CR LF.
std::vector<std::string> readLines(const std::filesystem::path& path);

class FakeClock final : public Clock {
 public:
  explicit FakeClock(DateTime start = DateTime::fromParts(2026, 12, 5, 8, 15, 41)) : now_(start) {}
  DateTime now() const override { return now_; }
  void set(DateTime value) { now_ = value; }
  void advanceSeconds(double seconds) {
    now_ = now_.addMicroseconds(static_cast<std::int64_t>(seconds * 1e6));
  }

 private:
  DateTime now_;
};

// Records every box and answers with a scripted code (the default button's when none).
class FakeMessageBox final : public MessageBoxPort {
 public:
  int show(const MessageBoxRequest& request) override;
  std::vector<MessageBoxRequest> shown;
  int nextAnswer = 0;  // 0: answer OK
};

class FakeEventLoop final : public EventLoopPort {
 public:
  void yield() override {
    ++yields;
    if (onYield) onYield();
  }
  int yields = 0;
  std::function<void()> onYield;
};

class FakeUrlOpener final : public UrlOpenerPort {
 public:
  void open(const std::string& url) override { opened.push_back(url); }
  std::vector<std::string> opened;
};

// An installation: a session whose program folder is a fresh temporary folder and whose ports
// are fakes.
struct TestSession {
  TestSession();
  // Writes config.ini beside the program; without lines the controls keep their first contents.
  void writeConfig(const std::string& lines = "") const;
  TempDir folder;
  FakeClock clock;
  FakeMessageBox messageBox;
  FakeEventLoop eventLoop;
  FakeUrlOpener urlOpener;
  std::ostringstream errors;
  Session session;
};

}  // namespace csv2sql::testing
