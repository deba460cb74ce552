#include "update/request.h"

#include "common/text.h"

namespace korrin::update {
namespace {

constexpr std::string_view kHttp = "http://";
constexpr std::string_view kHttps = "https://";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool StartsWithAnyCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && LowerCase(text.substr(0, prefix.size())) == prefix;
}

}  // namespace

std::string UpdateAddress::HostHeader() const {
    const std::string name = host.find(':') == std::string::npos ? host : "[" + host + "]";
    return portWritten ? name + ":" + std::to_string(port) : name;
}

Status ReadUpdateAddress(std::string_view address, UpdateAddress* out) {
    while (!address.empty() && IsBlank(address.front())) address.remove_prefix(1);
    while (!address.empty() && IsBlank(address.back())) address.remove_suffix(1);
    if (StartsWithAnyCase(address, kHttps)) return Status::Failed(std::string(kHttpsMessage));
    if (StartsWithAnyCase(address, kHttp)) address.remove_prefix(kHttp.size());

    const std::size_t slash = address.find('/');
    if (slash == std::string_view::npos) return Status::Failed(std::string(kBadAddressMessage));
    UpdateAddress read;
    read.host = address.substr(0, slash);
    read.updatePath = address.substr(slash);
    if (read.updatePath.back() != '/') read.updatePath += '/';

    // A colon in a bracketed IPv6 address is no port separator; the last one after "]" is.
    const std::size_t colon = read.host.rfind(':');
    const std::size_t bracket = read.host.rfind(']');
    if (colon != std::string::npos && (bracket == std::string::npos || colon > bracket)) {
        const std::string digits = read.host.substr(colon + 1);
        const bool number = !digits.empty() && digits.size() <= 5 &&
                            digits.find_first_not_of("0123456789") == std::string::npos;
        const int port = number ? std::stoi(digits) : 0;
        if (port < 1 || port > 65535) {
            return Status::Failed("The port \"" + digits +
                                  "\" of the update address is not a number from 1 to 65535");
        }
        read.host.resize(colon);
        if (read.host.size() >= 2 && read.host.front() == '[' && read.host.back() == ']') {
            read.host = read.host.substr(1, read.host.size() - 2);
        }
        read.port = port;
        read.portWritten = true;
    }
    *out = std::move(read);
    return Status::Ok();
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
