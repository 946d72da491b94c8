#pragma once

#include <string>

// The test support's calls into the operating system, in one file so that another platform
// swaps only test_platform.cpp.
namespace csv2sql::testing {

// A TCP port on 127.0.0.1 that takes connections and never says a word: a server that hangs
// after connect. The kernel completes each connection from the listen queue, so no thread is
// needed. Stops listening when destroyed.
class LoopbackListener {
 public:
  LoopbackListener();  // throws std::runtime_error when no port can be had
  ~LoopbackListener();
  LoopbackListener(const LoopbackListener&) = delete;
  LoopbackListener& operator=(const LoopbackListener&) = delete;

  int port() const { return port_; }

 private:
  long long socket_ = -1;
  int port_ = 0;
};

// A port on 127.0.0.1 with nothing listening: one the system just gave out and took back.
int closedLoopbackPort();

// Sets an environment variable of this process.
void setEnvironment(const char* name, const std::string& value);

}  // namespace csv2sql::testing
