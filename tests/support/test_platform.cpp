#include "tests/support/test_platform.h"

#ifdef _WIN32
#include <winsock2.h>

#include <cstdlib>
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#endif

#include <stdexcept>

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

#ifdef _WIN32
void setVariable(const std::string& name, const std::optional<std::string>& value) {
  // An empty value removes the variable on Windows, as no value does elsewhere.
  _putenv_s(name.c_str(), value ? value->c_str() : "");
}
#else
// Through env(1), which execs the program in the same process, so that the child changes no
// environment between fork and exec.
ChildProcess::ChildProcess(const std::filesystem::path& program, const std::string& argument,
                           const std::vector<std::string>& unset, const std::string& setting,
                           const std::filesystem::path& output) {
  std::vector<std::string> words = {"env"};
  for (const std::string& name : unset) words.push_back("--unset=" + name);
  if (!setting.empty()) words.push_back(setting);
  words.insert(words.end(), {program.string(), argument});
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (out < 0) throw std::runtime_error("test platform: no output file: " + lastError());
  id_ = ::fork();
  if (id_ == 0) {
    ::dup2(out, 1);
    ::dup2(out, 2);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  const std::string reason = lastError();
  ::close(out);
  if (id_ < 0) throw std::runtime_error("test platform: no child process: " + reason);
}

ChildProcess::~ChildProcess() {
  if (id_ > 0) {
    ::kill(id_, SIGKILL);
    ::waitpid(id_, nullptr, 0);
  }
}

std::optional<int> ChildProcess::exitStatus() {
  int status = 0;
  if (id_ <= 0 || ::waitpid(id_, &status, WNOHANG) != id_) return {};
  id_ = 0;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
}

void ChildProcess::askToStop() {
  ::kill(id_, SIGTERM);
}

bool pauseProcess(int id) {
  return ::kill(id, SIGSTOP) == 0;
}

bool resumeProcess(int id) {
  return ::kill(id, SIGCONT) == 0;
}

void setVariable(const std::string& name, const std::optional<std::string>& value) {
  value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
}
#endif

}  // namespace csv2sql::testing
