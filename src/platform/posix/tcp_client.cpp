#include "platform/tcp_client.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace korrin::platform {
namespace {

Status Failed(int err) {
    return Status::Failed(std::strerror(err));
}

Status TimedOut() {
    return {ErrorCode::kTimedOut, "no answer in the time allowed"};
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

// Waits until fd is ready for events, for limit at most: 1 ready, 0 timed out, -1 an error in
// errno. Signals do not shorten the wait by much: it starts again with the full limit.
int WaitFor(int fd, short events, std::chrono::milliseconds limit) {
    pollfd p{fd, events, 0};
    for (;;) {
        const int ready = ::poll(&p, 1, static_cast<int>(limit.count()));
        if (ready >= 0) return ready > 0 ? 1 : 0;
        if (errno != EINTR) return -1;
    }
}

// Connects fd without blocking for longer than limit: an unreachable host would otherwise take
// the system's minutes.
Status ConnectWithin(int fd, const addrinfo& a, std::chrono::milliseconds limit) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) return Failed(errno);
    if (::connect(fd, a.ai_addr, a.ai_addrlen) != 0) {
        if (errno != EINPROGRESS && errno != EINTR) return Failed(errno);
        const int ready = WaitFor(fd, POLLOUT, limit);
        if (ready < 0) return Failed(errno);
        if (ready == 0) return TimedOut();
        int error = 0;
        socklen_t size = sizeof error;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) return Failed(errno);
        if (error != 0) return Failed(error);
    }
    if (::fcntl(fd, F_SETFL, flags) < 0) return Failed(errno);
    return Status::Ok();
}

}  // namespace

Status ExchangeOverTcp(const std::string& host, int port, std::string_view request,
                       std::chrono::milliseconds silenceLimit,
                       const std::function<void(std::string_view)>& onData, bool* connected) {
    *connected = false;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int resolved = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (resolved != 0) return Status::Failed(::gai_strerror(resolved));

    int fd = -1;
    Status status = Status::Failed("the resolver gave no address");
    for (const addrinfo* a = found; a != nullptr; a = a->ai_next) {
        fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) {
            status = Failed(errno);
            continue;
        }
        status = ConnectWithin(fd, *a, silenceLimit);
        if (status.ok()) break;
        ::close(fd);
        fd = -1;
    }
    ::freeaddrinfo(found);
    if (fd < 0) return status;
    const Socket socket(fd);
    *connected = true;

    while (!request.empty()) {
        // MSG_NOSIGNAL: a server that hangs up early is an error to report, not a signal.
        const ssize_t sent = ::send(socket.fd(), request.data(), request.size(), MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) continue;
            return Failed(errno);
        }
        request.remove_prefix(static_cast<std::size_t>(sent));
    }

    char buffer[65536];
    for (;;) {
        const int ready = WaitFor(socket.fd(), POLLIN, silenceLimit);
        if (ready < 0) return Failed(errno);
        if (ready == 0) return TimedOut();
        const ssize_t n = ::recv(socket.fd(), buffer, sizeof buffer, 0);
        if (n == 0) return Status::Ok();
        if (n < 0) {
            if (errno == EINTR) continue;
            return Failed(errno);
        }
        onData(std::string_view(buffer, static_cast<std::size_t>(n)));
    }
}

}  // namespace korrin::platform
