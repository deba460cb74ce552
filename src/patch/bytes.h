#pragma once

// Byte strings of the patch subsystem: signatures and the bytes written after them. They are
// held in std::string, one byte per char, zero bytes included, like every 8-bit text of the
// core, so that a definition's text and the bytes it stands for need no conversion.

#include <string>

namespace korrin::patch {

using Bytes = std::string;

}  // namespace korrin::patch
