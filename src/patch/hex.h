#pragma once

// The hexadecimal form in which definitions write signatures and option bytes. There is no way
// back from bytes to text: the tool never writes a definition.

#include <string_view>

#include "patch/bytes.h"

namespace korrin::patch {

// Decodes text two characters at a time from its first character. A pair counts only as two
// upper-case hexadecimal digits ("0A", never "0a"); any other pair, and an odd last character,
// is dropped without a word, and the walk stays on its even grid: "4D 5A" gives only 4D.
// Never fails; unreadable text gives fewer bytes, possibly none.
Bytes HexToBytes(std::string_view text);

// The second stage of HexToBytes: byte values in decimal, separated by single blanks ("77 90"),
// to the bytes they stand for. An element that is no decimal number from 0 to 255 is dropped.
Bytes DecimalListToBytes(std::string_view list);

}  // namespace korrin::patch
