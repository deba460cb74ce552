#include "patch/hex_chunks.h"

#include "patch/hex.h"

namespace korrin::patch {

std::vector<HexChunk> HexChunks(std::string_view text) {
    std::vector<HexChunk> chunks;
    for (std::size_t at = 0; at < text.size(); at += 2) {
        const std::string_view chunk = text.substr(at, 2);
        // HexToBytes itself judges each chunk, so that this report can never disagree with it.
        chunks.push_back({at, chunk, HexToBytes(chunk).size() == 1});
    }
    return chunks;
}

}  // namespace korrin::patch
