#pragma once

// What the user is told when the connection to the update server fails, in the window and on
// the command line alike. host is the address's host as typed; reason is the network layer's.

#include <string>
#include <string_view>

namespace korrin::update {

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
