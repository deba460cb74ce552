#pragma once

// The window's TCP client on Winsock. Nothing blocks the window: the host name is looked up on
// a thread of its own, and the socket reports through window messages (WSAAsyncSelect), so that
// every event reaches the window model from the message loop, never from inside a call.

#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <functional>
#include <string>

#include "platform/tcp_connection.h"

namespace korrin::win32 {

class WinsockConnection : public platform::TcpConnection {
  public:
    struct Events {
        std::function<void()> connected;
        std::function<void(std::size_t bytesTotal)> dataArrival;
        std::function<void()> closed;  // by the server, after every byte was offered
        std::function<void(const std::string& reason)> error;
    };

    // Winsock must have been started (WSAStartup) and stay so while this lives.
    explicit WinsockConnection(Events events);
    ~WinsockConnection() override;
    WinsockConnection(const WinsockConnection&) = delete;
    WinsockConnection& operator=(const WinsockConnection&) = delete;

    void Connect(const std::string& host, int port) override;
    void SendData(std::string_view data) override;
    std::string GetData() override;
    void Close() override;
    std::string RemoteHost() const override { return remoteHost_; }

  private:
    static LRESULT CALLBACK MessageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnLookedUp(struct Lookup* lookup);
    void TryNextAddress(int lastError);
    void OnSocket(SOCKET socket, int event, int error);
    bool ReadSome();
    void Flush();
    // Reports a failure of the current connection, dropping it first.
    void Fail(const std::string& reason);

    Events events_;
    HWND messages_ = nullptr;
    std::string remoteHost_;
    unsigned generation_ = 0;  // which Connect a late message belongs to
    addrinfo* addresses_ = nullptr;
    addrinfo* nextAddress_ = nullptr;
    SOCKET socket_ = INVALID_SOCKET;
    bool connected_ = false;
    std::string received_;
    std::string unsent_;
};

}  // namespace korrin::win32
