#pragma once

// The single-byte code page in which the tool's texts are bytes: Latin-1, so that every byte of a
// definition, a response or a script comes back unchanged.

#include <QString>
#include <string>

namespace korrin::platform {

// One byte per character; a character the code page lacks becomes "?", one per character
// (a character outside the basic plane is one "?", not two).
inline std::string ToCodePage(const QString& text) {
    std::string bytes;
    for (const char32_t c : text.toUcs4()) bytes.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
    return bytes;
}

inline QString FromCodePage(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace korrin::platform
