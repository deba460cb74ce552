#pragma once

// The pairs that HexToBytes reads a text in, each with whether it gives a byte: what a
// definition's author needs to see when a signature decodes to fewer bytes than written.

#include <cstddef>
#include <string_view>
#include <vector>

namespace korrin::patch {

struct HexChunk {
    std::size_t at = 0;     // from 0, in the text
    std::string_view text;  // two characters, or the one left at the end of an odd text
    bool kept = false;      // it gives a byte; otherwise HexToBytes drops it
};

// Every chunk of text in order; the chunks of text that are kept, decoded, are HexToBytes(text).
// The views point into text.
std::vector<HexChunk> HexChunks(std::string_view text);

}  // namespace korrin::patch
