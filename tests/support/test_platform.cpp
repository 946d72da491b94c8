#include "tests/support/test_platform.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace csv2sql::testing {
namespace {

[[noreturn]] void fail(const char* call) {
  throw std::runtime_error(std::string("test platform: ") + call + ": " + std::strerror(errno));
}

}  // namespace

LoopbackListener::LoopbackListener() {
  const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
  if (socket < 0) fail("socket");
  socket_ = socket;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;  // any free port
  socklen_t length = sizeof address;
  if (::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(socket, 16) != 0 ||
      ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    const int saved = errno;
    ::close(socket);
    errno = saved;
    fail("bind/listen");
  }
  port_ = ntohs(address.sin_port);
}

LoopbackListener::~LoopbackListener() {
  ::close(static_cast<int>(socket_));
}

int closedLoopbackPort() {
  return LoopbackListener().port();
}

void setEnvironment(const char* name, const std::string& value) {
  if (::setenv(name, value.c_str(), 1) != 0) fail("setenv");
}

}  // namespace csv2sql::testing
