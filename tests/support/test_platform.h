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

// A program started in a process of its own, standard output and error both into `output`, with
// this process's environment less the variables named in `unset` and plus `setting`
// ("NAME=value", none when empty). Ended by force when destroyed while it still runs.
// std::runtime_error when it cannot be started, or on a system where the tests start none.
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

// Freezes and thaws another process (a server's backend); false where it cannot be done.
bool pauseProcess(int id);
bool resumeProcess(int id);

// Sets a variable of this process's environment, or removes it when there is no value.
void setVariable(const std::string& name, const std::optional<std::string>& value);

}  // namespace csv2sql::testing
