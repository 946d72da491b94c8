#include "tests/support/test_platform.h"

#ifdef _WIN32
#include <winsock2.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

#include <stdexcept>
#include <string>

namespace csv2sql::testing {

namespace {

#ifdef _WIN32
using Socket = SOCKET;
using Length = int;

Socket openSocket() {
  WSADATA data;
  // Every WSAStartup is matched by the WSACleanup of closeSocket.
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return INVALID_SOCKET;
  return ::socket(AF_INET, SOCK_STREAM, 0);
}

void closeSocket(Socket socket) {
  if (socket != INVALID_SOCKET) ::closesocket(socket);
  WSACleanup();
}

std::string lastError() {
  return "Windows sockets error " + std::to_string(WSAGetLastError());
}
#else
using Socket = int;
using Length = socklen_t;
constexpr Socket INVALID_SOCKET = -1;

Socket openSocket() {
  return ::socket(AF_INET, SOCK_STREAM, 0);
}

void closeSocket(Socket socket) {
  if (socket >= 0) ::close(socket);
}

std::string lastError() {
  return std::strerror(errno);
}
#endif

}  // namespace

LoopbackListener::LoopbackListener() : socket_(static_cast<int>(openSocket())) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);  // port 0: any free one
  Length length = sizeof address;
  auto* const any = reinterpret_cast<sockaddr*>(&address);
  const auto socket = static_cast<Socket>(socket_);
  if (socket == INVALID_SOCKET || ::bind(socket, any, length) != 0 || ::listen(socket, 16) != 0 ||
      ::getsockname(socket, any, &length) != 0) {
    const std::string reason = lastError();
    closeSocket(socket);
    throw std::runtime_error("test platform: no loopback listener: " + reason);
  }
  port_ = ntohs(address.sin_port);
}

LoopbackListener::~LoopbackListener() {
  closeSocket(static_cast<Socket>(socket_));
}

}  // namespace csv2sql::testing
