#include "platform/tcp_client.h"

#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace korrin::platform {
namespace {

NetStatus Failed(bool connected, int err) {
    return {false, connected, std::strerror(err)};
}

class Socket {
  public:
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket() {
        if (fd_ >= 0) ::close(fd_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return fd_; }

  private:
    int fd_;
};

}  // namespace

NetStatus ExchangeOverTcp(const std::string& host, int port, std::string_view request,
                          const std::function<void(std::string_view)>& onData) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int resolved = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (resolved != 0) {
        return {false, false, ::gai_strerror(resolved)};
    }

    int fd = -1;
    int lastError = 0;
    for (const addrinfo* a = found; a != nullptr; a = a->ai_next) {
        fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        int connected;
        do {
            connected = ::connect(fd, a->ai_addr, a->ai_addrlen);
        } while (connected != 0 && errno == EINTR);
        if (connected == 0) break;
        lastError = errno;
        ::close(fd);
        fd = -1;
    }
    ::freeaddrinfo(found);
    if (fd < 0) return Failed(false, lastError);
    const Socket socket(fd);

    while (!request.empty()) {
        // MSG_NOSIGNAL: a server that hangs up early is an error to report, not a signal.
        const ssize_t sent = ::send(socket.fd(), request.data(), request.size(), MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) continue;
            return Failed(true, errno);
        }
        request.remove_prefix(static_cast<std::size_t>(sent));
    }

    char buffer[65536];
    for (;;) {
        const ssize_t n = ::recv(socket.fd(), buffer, sizeof buffer, 0);
        if (n == 0) return {true, true, {}};
        if (n < 0) {
            if (errno == EINTR) continue;
            return Failed(true, errno);
        }
        onData(std::string_view(buffer, static_cast<std::size_t>(n)));
    }
}

}  // namespace korrin::platform
