#include "patch/hex_chunks.h"

#include <gtest/gtest.h>

#include <random>

#include "patch/hex.h"

namespace korrin::patch {
namespace {

// "text+" for a kept chunk, "text-" for a dropped one.
std::string Marks(std::string_view text) {
    std::string marks;
    for (const HexChunk& c : HexChunks(text)) {
        if (!marks.empty()) marks += ' ';
        marks += std::string(c.text) + (c.kept ? '+' : '-');
    }
    return marks;
}

TEST(HexChunks, WalksInPairsFromTheStart) {
    EXPECT_EQ(Marks("4D5A90"), "4D+ 5A+ 90+");
    EXPECT_EQ(Marks("4d5A"), "4d- 5A+");
    EXPECT_EQ(Marks("4D5"), "4D+ 5-");
    EXPECT_EQ(Marks("4D 5A"), "4D+  5- A-");
    EXPECT_EQ(Marks("0x0F"), "0x- 0F+");
    EXPECT_EQ(Marks(""), "");
}

TEST(HexChunks, KeptChunksAreExactlyWhatHexToBytesDecodes) {
    std::mt19937 random(11);
    const std::string alphabet = "0123456789ABCDEFabcdef xG|,";
    for (int round = 0; round < 2000; ++round) {
        std::string text(random() % 12, ' ');
        for (char& c : text) c = alphabet[random() % alphabet.size()];
        std::string kept;
        for (const HexChunk& c : HexChunks(text)) {
            EXPECT_EQ(text.substr(c.at, c.text.size()), c.text);
            if (c.kept) kept += HexToBytes(c.text);
        }
        EXPECT_EQ(kept, HexToBytes(text)) << text;
    }
}

}  // namespace
}  // namespace korrin::patch
