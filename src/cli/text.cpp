#include "cli/text.h"

#include <cstdio>

#include "common/latin1.h"

namespace korrin::cli {

std::string Printable(std::string_view latin1) {
    std::string escaped;
    escaped.reserve(latin1.size());
    for (const char c : latin1) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b != 0x7F) {
            escaped.push_back(c);
        } else if (c == '\n') {
            escaped += "\\n";
        } else if (c == '\r') {
            escaped += "\\r";
        } else if (c == '\t') {
            escaped += "\\t";
        } else {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02X", b);
            escaped += code;
        }
    }
    return Latin1ToUtf8(escaped);
}

std::string QuotedPrintable(std::string_view latin1) {
    std::string quoted(1, '"');
    quoted += Printable(latin1);
    quoted += '"';
    return quoted;
}

std::string Offset(std::size_t offset) {
    char text[48];
    std::snprintf(text, sizeof text, "0x%08zX (%zu)", offset, offset);
    return text;
}

}  // namespace korrin::cli
