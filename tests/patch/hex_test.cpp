#include "patch/hex.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace korrin::patch {
namespace {

TEST(HexToBytes, KeepsOnlyUpperCasePairsOnTheEvenGrid) {
    struct Case {
        std::string text;
        Bytes bytes;
    };
    using namespace std::string_literals;
    // Lower case, blanks, lone digits and 0x are in tests/data/cli/lint.expected ("stands for").
    const Case cases[] = {
        {"4D5A90", "\x4D\x5A\x90"},
        {"00FF00", "\x00\xFF\x00"s},
        {"", ""},
        {"F", ""},
        {"x4D", ""},  // one character off the grid, nothing pairs up
        {"4D\r\n5A", "\x4D\x5A"},
        {"4D,5A", "\x4D"},  // a list's separator is no hex digit either
        {"4DaF5A", "\x4D\x5A"},
        {"4D5A\t", "\x4D\x5A"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HexToBytes(c.text), c.bytes) << '"' << c.text << '"';
    }
}

TEST(HexToBytes, EveryByteValueRoundTripsThroughItsTwoDigitForm) {
    for (int value = 0; value < 256; ++value) {
        char form[3];
        std::snprintf(form, sizeof form, "%02X", value);
        EXPECT_EQ(HexToBytes(form), Bytes(1, static_cast<char>(value))) << form;
    }
}

TEST(DecimalListToBytes, OneBytePerElement) {
    using namespace std::string_literals;
    const std::pair<std::string, Bytes> cases[] = {
        {"", ""},
        {"77", "M"},
        {"77 90 144", "\x4D\x5A\x90"},
        {"0 255 0", "\x00\xFF\x00"s},
        {"256 1", "\x01"},     // no byte has this value
        {"1  2", "\x01\x02"},  // an empty element is no number
        {"x 3 -4 5a", "\x03"},
    };
    for (const auto& [list, bytes] : cases) {
        EXPECT_EQ(DecimalListToBytes(list), bytes) << '"' << list << '"';
    }
}

}  // namespace
}  // namespace korrin::patch
