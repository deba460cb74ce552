#pragma once

// The window's TCP client, as an event-driven connection: the operations are here; the events
// (connected, data arrived, closed by the server, failed) are delivered by whoever owns the
// connection to the window's sckHTTP_ handlers, from its event loop, never from inside one of
// these calls.

#include <string>
#include <string_view>

namespace korrin::platform {

class TcpConnection {
  public:
    virtual ~TcpConnection() = default;

    // Starts a connection to host (one byte per character) and returns at once. An empty host
    // is refused through the error event.
    virtual void Connect(const std::string& host, int port) = 0;
    // Sends every byte, in order.
    virtual void SendData(std::string_view data) = 0;
    // Takes every byte that has arrived and has not been taken yet.
    virtual std::string GetData() = 0;
    // Drops the current connection, open or pending, with no further event for it and without
    // any of its data. Does nothing when there is none.
    virtual void Close() = 0;
    // The host given to the last Connect.
    virtual std::string RemoteHost() const = 0;
};

}  // namespace korrin::platform
