#pragma once

// Text from the network or a script, made fit for a message or a note: control characters would
// garble the line, and a broken server may send a "line" of megabytes.

#include <string>
#include <string_view>

namespace korrin::update {

inline std::string ShownText(std::string_view text) {
    constexpr std::size_t kMaxShown = 100;
    std::string shown(text.substr(0, kMaxShown));
    for (char& c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) c = '?';
    }
    if (text.size() > kMaxShown) shown += "...";
    return shown;
}

}  // namespace korrin::update
