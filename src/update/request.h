#pragma once

// The update address and the request for the description file. The address is a host, then a
// path that begins at the first "/"; the request is plain HTTP/1.0.

#include <string>
#include <string_view>

#include "common/status.h"

namespace korrin::update {

inline constexpr std::string_view kBadAddressMessage =
    "The update address is incorrectly inputted. Please correct the problem and try again";

// The request asks for HTTP/1.0, so the server closes the connection after its answer and the
// close marks the end of the response.
inline constexpr int kUpdatePort = 80;

// The description file: the name the request asks for and the name the body is stored under.
inline constexpr std::string_view kDescriptionFileName = "patch.dsc";

// What the update tells a user who wrote "https://": a plain HTTP/1.0 request is all it sends.
inline constexpr std::string_view kHttpsMessage =
    "The update speaks plain HTTP only, not HTTPS. Write the update address without "
    "\"https://\", as a host and a path, and make sure the server answers plain HTTP on its port";

struct UpdateAddress {
    std::string host;        // the host, a name or a numeric address; may be empty
    int port = kUpdatePort;  // from "host:port", else the update's port
    bool portWritten = false;
    std::string updatePath;  // from the first "/" on, ending in "/"

    // The "Host:" header's text: the host, and the port when the address named one.
    std::string HostHeader() const;
};

// Reads an update address as a user writes one: blanks around it are dropped, a leading
// "http://" is taken off, "host:port" sets the port, and a path gets the "/" at its end that the
// file name needs. An address with no "/" at all is refused with kBadAddressMessage, one that
// begins with "https://" with kHttpsMessage, a port that is no number from 1 to 65535 with a
// message that says so; the status's reason is then the message to show.
Status ReadUpdateAddress(std::string_view address, UpdateAddress* out);

// The whole request, byte for byte. The file name is appended to updatePath directly, which is why
// ReadUpdateAddress ends every path in "/".
std::string BuildRequest(std::string_view updatePath, std::string_view host);

}  // namespace korrin::update
