#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// The test support's calls into the operating system: another platform swaps this file's .cpp.
namespace csv2sql::testing {

// A TCP port on 127.0.0.1 that takes connections (from the kernel's listen queue) and never
// says a word, until destroyed; std::runtime_error when no port can be had.
class LoopbackListener {
 public:
  LoopbackListener();
  ~LoopbackListener();
  LoopbackListener(const LoopbackListener&) = delete;
  LoopbackListener& operator=(const LoopbackListener&) = delete;
  int port() const { return port_; }

 private:
  int socket_;
  int port_ = 0;
};

// A port on 127.0.0.1 with nothing listening: one the system just gave out and took back.
inline int closedLoopbackPort() {
  return LoopbackListener().port();
}

#ifndef _WIN32
// Only the tests that start the program use these, and they need SQLite, which the Windows
// build leaves out.

// A program started in a process of its own, standard output and error both into `output`, with
// this process's environment less the variables named in `unset` and plus `setting`
// ("NAME=value", none when empty). Ended by force when destroyed while it still runs.
// std::runtime_error when it cannot be started.
class ChildProcess {
 public:
  ChildProcess(const std::filesystem::path& program, const std::string& argument,
               const std::vector<std::string>& unset, const std::string& setting,
               const std::filesystem::path& output);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The exit status once the program has ended (1000 + the signal that ended it), else nothing.
  std::optional<int> exitStatus();
  // What a service manager sends to stop it (SIGTERM).
  void askToStop();

 private:
  int id_ = 0;
};

// Freezes and thaws another process (a server's backend); false when the system refuses.
bool pauseProcess(int id);
bool resumeProcess(int id);
#endif

// Sets a variable of this process's environment, or removes it when there is no value.
void setVariable(const std::string& name, const std::optional<std::string>& value);

}  // namespace csv2sql::testing
