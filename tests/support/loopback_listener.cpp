#include "tests/support/loopback_listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace csv2sql::testing {
namespace {

[[noreturn]] void fail(const char* call) {
  throw std::runtime_error(std::string("loopback listener: ") + call + ": " + std::strerror(errno));
}

}  // namespace

LoopbackListener::LoopbackListener() {
  socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
  if (socket_ < 0) fail("socket");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;  // any free port
  socklen_t length = sizeof address;
  if (::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(socket_, 16) != 0 ||
      ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    const int saved = errno;
    ::close(socket_);
    errno = saved;
    fail("bind/listen");
  }
  port_ = ntohs(address.sin_port);
}

LoopbackListener::~LoopbackListener() {
  ::close(socket_);
}

int closedLoopbackPort() {
  return LoopbackListener().port();
}

}  // namespace csv2sql::testing
