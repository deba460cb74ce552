#pragma once

// The update address and the request for the description file. The address is written without a
// scheme: a host, then a path that begins at the first "/".

#include <optional>
#include <string>
#include <string_view>

namespace korrin::update {

inline constexpr std::string_view kBadAddressMessage =
    "The update address is incorrectly inputted. Please correct the problem and try again";

// The request asks for HTTP/1.0, so the server closes the connection after its answer and the
// close marks the end of the response.
inline constexpr int kUpdatePort = 80;

// The description file: the name the request asks for and the name the body is stored under.
inline constexpr std::string_view kDescriptionFileName = "patch.dsc";

struct UpdateAddress {
    std::string host;        // everything before the first "/"; may be empty
    std::string updatePath;  // from the first "/" to the end, that "/" included
};

// Splits the address exactly as typed: nothing is trimmed and letter case is kept, so blanks end
// up in the host or the path. None when the address holds no "/"; the caller then shows
// kBadAddressMessage and touches no connection.
std::optional<UpdateAddress> SplitUpdateAddress(std::string_view address);

// The whole request, byte for byte. The file name is appended to updatePath directly, which is why
// a working address ends in "/".
std::string BuildRequest(std::string_view updatePath, std::string_view host);

}  // namespace korrin::update
