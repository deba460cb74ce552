#include "platform/tcp_client.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>

#include "platform/win32/win32_util.h"

namespace korrin::platform {
namespace {

Status Failed(int error) {
    return Status::Failed(win32::ErrorText(static_cast<DWORD>(error)));
}

Status TimedOut() {
    return {ErrorCode::kTimedOut, "no answer in the time allowed"};
}

class Socket {
  public:
    explicit Socket(SOCKET s) : s_(s) {}
    ~Socket() {
        if (s_ != INVALID_SOCKET) ::closesocket(s_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    SOCKET get() const { return s_; }

  private:
    SOCKET s_;
};

// Winsock is started once for the process and left running: the program ends soon after.
int StartWinsock() {
    static const int started = [] {
        WSADATA data{};
        return ::WSAStartup(MAKEWORD(2, 2), &data);
    }();
    return started;
}

// Waits until s is ready for events, for limit at most: 1 ready, 0 timed out, -1 an error in
// WSAGetLastError. A refused connection reports POLLERR or POLLHUP, which count as ready.
int WaitFor(SOCKET s, short events, std::chrono::milliseconds limit) {
    WSAPOLLFD p{s, events, 0};
    const int ready = ::WSAPoll(&p, 1, static_cast<INT>(limit.count()));
    if (ready == SOCKET_ERROR) return -1;
    return ready > 0 ? 1 : 0;
}

// Connects s without blocking for longer than limit: an unreachable host would otherwise take
// the system's minutes.
Status ConnectWithin(SOCKET s, const addrinfo& a, std::chrono::milliseconds limit) {
    u_long nonBlocking = 1;
    if (::ioctlsocket(s, FIONBIO, &nonBlocking) != 0) return Failed(::WSAGetLastError());
    if (::connect(s, a.ai_addr, static_cast<int>(a.ai_addrlen)) != 0) {
        const int error = ::WSAGetLastError();
        if (error != WSAEWOULDBLOCK && error != WSAEINPROGRESS) return Failed(error);
        const int ready = WaitFor(s, POLLOUT, limit);
        if (ready < 0) return Failed(::WSAGetLastError());
        if (ready == 0) return TimedOut();
        int soError = 0;
        int size = sizeof soError;
        if (::getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &size) != 0) {
            return Failed(::WSAGetLastError());
        }
        if (soError != 0) return Failed(soError);
    }
    nonBlocking = 0;
    if (::ioctlsocket(s, FIONBIO, &nonBlocking) != 0) return Failed(::WSAGetLastError());
    return Status::Ok();
}

}  // namespace

Status ExchangeOverTcp(const std::string& host, int port, std::string_view request,
                       std::chrono::milliseconds silenceLimit,
                       const std::function<void(std::string_view)>& onData, bool* connected) {
    *connected = false;
    if (const int error = StartWinsock(); error != 0) return Failed(error);

    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int resolved = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (resolved != 0) return Failed(resolved);

    SOCKET s = INVALID_SOCKET;
    Status status = Status::Failed("the resolver gave no address");
    for (const addrinfo* a = found; a != nullptr; a = a->ai_next) {
        s = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (s == INVALID_SOCKET) {
            status = Failed(::WSAGetLastError());
            continue;
        }
        status = ConnectWithin(s, *a, silenceLimit);
        if (status.ok()) break;
        ::closesocket(s);
        s = INVALID_SOCKET;
    }
    ::freeaddrinfo(found);
    if (s == INVALID_SOCKET) return status;
    const Socket socket(s);
    *connected = true;

    while (!request.empty()) {
        const int size = static_cast<int>(std::min<std::size_t>(request.size(), 1 << 30));
        const int sent = ::send(socket.get(), request.data(), size, 0);
        if (sent == SOCKET_ERROR) return Failed(::WSAGetLastError());
        request.remove_prefix(static_cast<std::size_t>(sent));
    }

    char buffer[65536];
    for (;;) {
        const int ready = WaitFor(socket.get(), POLLIN, silenceLimit);
        if (ready < 0) return Failed(::WSAGetLastError());
        if (ready == 0) return TimedOut();
        const int n = ::recv(socket.get(), buffer, sizeof buffer, 0);
        if (n == 0) return Status::Ok();
        if (n == SOCKET_ERROR) return Failed(::WSAGetLastError());
        onData(std::string_view(buffer, static_cast<std::size_t>(n)));
    }
}

}  // namespace korrin::platform
