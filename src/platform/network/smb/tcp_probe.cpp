#include "platform/network/smb/tcp_probe.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

namespace w95 {

namespace {

struct AddrInfoDeleter {
  void operator()(addrinfo* info) const { freeaddrinfo(info); }
};

class Socket {
 public:
  explicit Socket(int fd) : fd_(fd) {}
  ~Socket() {
    if (fd_ >= 0) close(fd_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

bool ConnectsWithin(const addrinfo& address, std::chrono::milliseconds timeout) {
  Socket socket(::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address.ai_protocol));
  if (socket.fd() < 0) return false;
  if (connect(socket.fd(), address.ai_addr, address.ai_addrlen) == 0) return true;
  if (errno != EINPROGRESS) return false;
  pollfd wait{socket.fd(), POLLOUT, 0};
  int ready;
  do ready = poll(&wait, 1, static_cast<int>(timeout.count()));
  while (ready < 0 && errno == EINTR);
  if (ready <= 0) return false;
  int error = 0;
  socklen_t length = sizeof error;
  return getsockopt(socket.fd(), SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

}  // namespace

bool AcceptsConnections(const std::string& host, std::uint16_t port, std::chrono::milliseconds timeout) {
  if (host.empty() || port == 0) return false;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return false;
  std::unique_ptr<addrinfo, AddrInfoDeleter> addresses(found);
  for (addrinfo* address = found; address; address = address->ai_next)
    if (ConnectsWithin(*address, timeout)) return true;
  return false;
}

}  // namespace w95
