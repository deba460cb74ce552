#pragma once

// What the user is told when the connection to the update server fails, in the window and on
// the command line alike. host is the address's host as typed; reason is the network layer's.

#include <string>
#include <string_view>

namespace korrin::update {

// How long an update waits for the server to connect or to send its next bytes before it gives
// up: a server that accepts and then says nothing would otherwise hold the update forever.
inline constexpr int kSilenceLimitSeconds = 30;

// The server was silent for seconds: the connection was closed and nothing was run.
inline std::string TimedOutMessage(std::string_view host, int seconds) {
    return "The update server \"" + std::string(host) + "\" sent nothing for " +
           std::to_string(seconds) + (seconds == 1 ? " second" : " seconds") +
           ". The connection was closed and no update was made.";
}

// The connection could not be made: nothing was sent.
inline std::string ConnectFailedMessage(std::string_view host, std::string_view reason) {
    return "Cannot connect to the update server \"" + std::string(host) +
           "\": " + std::string(reason) + ". Check the update address and try again.";
}

// The connection broke after it was made: what had arrived is dropped unused.
inline std::string ConnectionBrokeMessage(std::string_view host, std::string_view reason) {
    return "The connection to the update server \"" + std::string(host) +
           "\" broke: " + std::string(reason) + ". No update was made.";
}

}  // namespace korrin::update
