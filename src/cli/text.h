#pragma once

#include <string>
#include <string_view>

namespace korrin::cli {

// A text of a definition (one byte per character) for a line of terminal output: UTF-8, with
// control characters written as escapes ("\n", "\t", "\x01") so that an entry stays on its line
// even when a title swallowed the rest of a file whose lines end in LF alone.
std::string Printable(std::string_view latin1);

// Bytes as upper-case hexadecimal pairs with a blank between them, the way definitions write
// them apart from the blank: "0F 8C 51".
std::string HexPairs(std::string_view bytes);

// An offset into the target as hex editors show it, with its decimal value: "0x0000002A (42)".
std::string Offset(std::size_t offset);

}  // namespace korrin::cli
