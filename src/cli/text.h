#pragma once

#include <string>
#include <string_view>

namespace korrin::cli {

// A text of a definition (one byte per character) for a line of terminal output: UTF-8, with
// control characters written as escapes ("\n", "\t", "\x01") so that an entry stays on its line
// even when a title swallowed the rest of a file whose lines end in LF alone.
std::string Printable(std::string_view latin1);

// Printable(latin1) in double quotes. Built by appending: GCC 12 at -O3 warns falsely
// (-Wrestrict) about "literal" + std::string&&.
std::string QuotedPrintable(std::string_view latin1);

// An offset into the target as hex editors show it, with its decimal value: "0x0000002A (42)".
std::string Offset(std::size_t offset);

}  // namespace korrin::cli
