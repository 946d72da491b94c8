#pragma once

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

}  // namespace csv2sql::testing
