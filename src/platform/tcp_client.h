#pragma once

// A blocking TCP exchange for programs without an event loop: the command line's counterpart of
// the window's sckHTTP.

#include <functional>
#include <string>
#include <string_view>

namespace korrin::platform {

struct NetStatus {
    bool ok = true;
    bool connected = false;  // the connection was made, whether or not it broke later
    std::string reason;      // the system's words for what failed; empty when ok
};

// Connects to host (a name or a numeric address, tried in the order the resolver gives) on
// port, sends request whole, then hands every batch of bytes that arrives to onData, in order,
// until the peer closes the connection. An error after some batches were handed on is reported
// too, with connected set; those batches stay handed on. There is no time limit, as in the
// window.
NetStatus ExchangeOverTcp(const std::string& host, int port, std::string_view request,
                          const std::function<void(std::string_view)>& onData);

}  // namespace korrin::platform
