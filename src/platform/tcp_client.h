#pragma once

// A blocking TCP exchange for programs without an event loop: the command line's counterpart of
// the window's sckHTTP.

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "common/status.h"

namespace korrin::platform {

// Connects to host (a name or a numeric address, tried in the order the resolver gives) on
// port, sends request whole, then hands every batch of bytes that arrives to onData, in order,
// until the peer closes the connection. *connected tells whether the connection was made, so
// that a caller can tell a connection that failed from one that broke: an error after some
// batches were handed on is reported too, and those batches stay handed on. Connecting, and
// each wait for the next batch, may last silenceLimit at most; then the connection is closed
// and the status is kTimedOut.
Status ExchangeOverTcp(const std::string& host, int port, std::string_view request,
                       std::chrono::milliseconds silenceLimit,
                       const std::function<void(std::string_view)>& onData, bool* connected);

}  // namespace korrin::platform
