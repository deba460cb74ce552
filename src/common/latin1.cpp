#include "common/latin1.h"

namespace korrin {

std::string Latin1ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out.push_back(c);
        } else {
            out.push_back(static_cast<char>(0xC0 | (b >> 6)));
            out.push_back(static_cast<char>(0x80 | (b & 0x3F)));
        }
    }
    return out;
}

namespace {

// Length and value of the well-formed UTF-8 sequence at the start of s, or length 0.
// Overlong forms, surrogates and values above U+10FFFF are not well formed.
struct Decoded {
    std::size_t length = 0;
    char32_t value = 0;
};

Decoded DecodeOne(std::string_view s) {
    const auto b0 = static_cast<unsigned char>(s[0]);
    std::size_t n = 0;
    char32_t value = 0;
    char32_t least = 0;
    if (b0 < 0x80) return {1, b0};
    if ((b0 & 0xE0) == 0xC0) {
        n = 2, value = b0 & 0x1F, least = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        n = 3, value = b0 & 0x0F, least = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        n = 4, value = b0 & 0x07, least = 0x10000;
    } else {
        return {};
    }
    if (s.size() < n) return {};
    for (std::size_t i = 1; i < n; ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if ((b & 0xC0) != 0x80) return {};
        value = (value << 6) | (b & 0x3F);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return {};
    return {n, value};
}

}  // namespace

std::string Utf8ToLatin1(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    while (!utf8.empty()) {
        const Decoded d = DecodeOne(utf8);
        if (d.length == 0) {
            out.push_back('?');
            utf8.remove_prefix(1);
            continue;
        }
        out.push_back(d.value <= 0xFF ? static_cast<char>(d.value) : '?');
        utf8.remove_prefix(d.length);
    }
    return out;
}

}  // namespace korrin
