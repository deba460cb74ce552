#include "update/request.h"

namespace korrin::update {

std::optional<UpdateAddress> SplitUpdateAddress(std::string_view address) {
    const std::size_t slash = address.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    return UpdateAddress{std::string(address.substr(0, slash)), std::string(address.substr(slash))};
}

std::string BuildRequest(std::string_view updatePath, std::string_view host) {
    std::string request = "GET ";
    request += updatePath;
    request += kDescriptionFileName;
    request += " HTTP/1.0\r\nHost: ";
    request += host;
    request += "\r\n\r\n";
    return request;
}

}  // namespace korrin::update
