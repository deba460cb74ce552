#include "platform/tcp_client.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include "platform/win32/win32_util.h"

namespace korrin::platform {
namespace {

NetStatus Failed(bool connected, int error) {
    return {false, connected, win32::ErrorText(static_cast<DWORD>(error))};
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

}  // namespace

NetStatus ExchangeOverTcp(const std::string& host, int port, std::string_view request,
                          const std::function<void(std::string_view)>& onData) {
    if (const int error = StartWinsock(); error != 0) return Failed(false, error);

    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int resolved = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (resolved != 0) return Failed(false, resolved);

    SOCKET s = INVALID_SOCKET;
    int lastError = 0;
    for (const addrinfo* a = found; a != nullptr; a = a->ai_next) {
        s = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (s == INVALID_SOCKET) {
            lastError = ::WSAGetLastError();
            continue;
        }
        if (::connect(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) == 0) break;
        lastError = ::WSAGetLastError();
        ::closesocket(s);
        s = INVALID_SOCKET;
    }
    ::freeaddrinfo(found);
    if (s == INVALID_SOCKET) return Failed(false, lastError);
    const Socket socket(s);

    while (!request.empty()) {
        const int size = static_cast<int>(std::min<std::size_t>(request.size(), 1 << 30));
        const int sent = ::send(socket.get(), request.data(), size, 0);
        if (sent == SOCKET_ERROR) return Failed(true, ::WSAGetLastError());
        request.remove_prefix(static_cast<std::size_t>(sent));
    }

    char buffer[65536];
    for (;;) {
        const int n = ::recv(socket.get(), buffer, sizeof buffer, 0);
        if (n == 0) return {true, true, {}};
        if (n == SOCKET_ERROR) return Failed(true, ::WSAGetLastError());
        onData(std::string_view(buffer, static_cast<std::size_t>(n)));
    }
}

}  // namespace korrin::platform
