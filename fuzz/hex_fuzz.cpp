// The hex codec on any text: the output is exactly the values of the well-formed upper-case
// pairs on the even grid, the chunks shown to a definition's author are those pairs, and the
// decimal list between the two stages carries every byte value through unchanged.

#include <cstdint>
#include <string>
#include <string_view>

#include "check.h"
#include "patch/hex.h"
#include "patch/hex_chunks.h"

using namespace korrin;

namespace {

int UpperHexDigit(char c) {
    constexpr std::string_view kDigits = "0123456789ABCDEF";
    const std::size_t at = kDigits.find(c);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    std::string expected;
    for (std::size_t at = 0; at + 1 < text.size(); at += 2) {
        const int high = UpperHexDigit(text[at]), low = UpperHexDigit(text[at + 1]);
        if (high >= 0 && low >= 0) expected.push_back(static_cast<char>(high * 16 + low));
    }
    KORRIN_FUZZ_CHECK(patch::HexToBytes(text) == expected, text);

    // The chunks walk the text on its even grid, and the kept ones are what HexToBytes decodes.
    std::string kept;
    std::size_t next = 0;
    for (const patch::HexChunk& chunk : patch::HexChunks(text)) {
        KORRIN_FUZZ_CHECK(chunk.at == next && chunk.text == text.substr(next, 2), text);
        next += 2;
        const bool pair = chunk.text.size() == 2 && UpperHexDigit(chunk.text[0]) >= 0 &&
                          UpperHexDigit(chunk.text[1]) >= 0;
        KORRIN_FUZZ_CHECK(chunk.kept == pair, text);
        if (chunk.kept) kept += chunk.text;
    }
    KORRIN_FUZZ_CHECK(next >= text.size() && next <= text.size() + 1, text);
    KORRIN_FUZZ_CHECK(patch::HexToBytes(kept) == expected, text);

    // The input's bytes as a decimal list come back as the same bytes.
    std::string list;
    for (const char c : text) {
        if (!list.empty()) list.push_back(' ');
        list += std::to_string(static_cast<unsigned char>(c));
    }
    KORRIN_FUZZ_CHECK(patch::DecimalListToBytes(list) == text, text);

    // Any other text as a decimal list: never more bytes than elements.
    KORRIN_FUZZ_CHECK(patch::DecimalListToBytes(text).size() <= text.size() / 2 + 1, text);
    return 0;
}
