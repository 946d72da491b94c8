#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/ports.h"
#include "core/session.h"

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

// Files as bytes, exactly as given (no line-end translation); readLines splits at CR LF.
void writeFile(const std::filesystem::path& path, const std::string& bytes);
std::string readFile(const std::filesystem::path& path);
// UTF-8 text as UTF-16 with its byte order mark, little or big endian.
std::string asUtf16(const std::string& utf8, bool littleEndian);
std::vector<std::string> readLines(const std::filesystem::path& path);

// A name of its own ("<stem>_<random>"), as tests and test binaries share a server.
std::string uniqueName(const std::string& stem);

// Makes a symbolic link, or skips the test where the system has none (Wine).
#define CSV2SQL_SYMLINK_OR_SKIP(target, link)                                         \
  do {                                                                                \
    std::error_code made;                                                             \
    std::filesystem::create_symlink(target, link, made);                              \
    if (made) GTEST_SKIP() << "no symbolic links on this system: " << made.message(); \
  } while (false)

struct FakeClock final : Clock {
  DateTime now() const override { return now_; }
  void set(DateTime value) { now_ = value; }
  void advanceSeconds(double seconds) { now_ = now_.addMicroseconds(std::int64_t(seconds * 1e6)); }
  DateTime now_ = DateTime::fromParts(2026, 12, 5, 8, 15, 41);
};

// Records every box and answers with a scripted code (0: the default button's, OK).
struct FakeMessageBox final : MessageBoxPort {
  int show(const MessageBoxRequest& request) override {
    shown.push_back(request);
    return nextAnswer != 0 ? nextAnswer : answer::Ok;
  }
  std::vector<MessageBoxRequest> shown;
  int nextAnswer = 0;
};

struct FakeEventLoop final : EventLoopPort {
  void yield() override {
    ++yields;
    if (onYield) onYield();
  }
  int yields = 0;
  std::function<void()> onYield;
};

struct FakeUrlOpener final : UrlOpenerPort {
  void open(const std::string& url) override { opened.push_back(url); }
  std::vector<std::string> opened;
};

// An installation: a session in a fresh program folder, its ports fakes.
struct TestSession {
  TestSession();
  // Writes config.ini beside the program; without lines the controls keep their first contents.
  void writeConfig(const std::string& lines = "") const {
    writeFile(folder.path() / "config.ini", lines);
  }
  TempDir folder;
  FakeClock clock;
  FakeMessageBox messageBox;
  FakeEventLoop eventLoop;
  FakeUrlOpener urlOpener;
  std::ostringstream errors;
  Session session;
};

}  // namespace csv2sql::testing
