#include "tests/support/test_platform.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace csv2sql::testing {

LoopbackListener::LoopbackListener() : socket_(::socket(AF_INET, SOCK_STREAM, 0)) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);  // port 0: any free one
  socklen_t length = sizeof address;
  auto* const any = reinterpret_cast<sockaddr*>(&address);
  if (socket_ < 0 || ::bind(socket_, any, length) != 0 || ::listen(socket_, 16) != 0 ||
      ::getsockname(socket_, any, &length) != 0) {
    const std::string reason = std::strerror(errno);
    if (socket_ >= 0) ::close(socket_);
    throw std::runtime_error("test platform: no loopback listener: " + reason);
  }
  port_ = ntohs(address.sin_port);
}

LoopbackListener::~LoopbackListener() {
  ::close(socket_);
}

}  // namespace csv2sql::testing
