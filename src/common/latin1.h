#pragma once

// Definitions, scripts and typed values are one byte per character, which is Latin-1 when shown
// in a window or written to a UTF-8 terminal. These carry text across that border both ways,
// with the window's own rules (QString::fromLatin1 and toLatin1), so both fronts see the same
// characters and write the same bytes.

#include <string>
#include <string_view>

namespace korrin {

// Each byte becomes the character of the same number, encoded in UTF-8.
std::string Latin1ToUtf8(std::string_view bytes);

// Each character of utf8 becomes the byte of the same number. A character above U+00FF, and
// each byte that does not belong to a well-formed UTF-8 sequence, becomes "?".
std::string Utf8ToLatin1(std::string_view utf8);

}  // namespace korrin
