#include "patch/value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "common/number.h"

namespace korrin::patch {
namespace {

using namespace std::string_literals;

TEST(NumberToBytes, LowByteThenHighByte) {
    struct Case {
        const char* text;  // read by the tool's number rule, as the value box is
        std::optional<Bytes> bytes;
    };
    const std::optional<Bytes> none;
    // 1000, 1e3, &HFF, 12abc, "", 65536, 300.5 and -1 are rows of tests/data/apply_table.txt.
    const Case cases[] = {
        {"255", "\xFF\x00"s},
        {"256", "\x00\x01"s},
        {"65535", "\xFF\xFF"},
        {"65791", "\xFF\xFF"},  // 256 * 256 + 255: above 65535, so v mod 256 and 255
        {"70000", "\x70\xFF"},
        {"301.5", "\x2E\x01"},
        {"255.5", "\x00\x01"s},  // -0.5 after one subtraction, rounded to 0
        {"254.5", "\xFE\x00"s},
        {"2.5", "\x02\x00"s},
        {"511.5", "\x00\x02"s},
        {"-0.5", "\x00\x00"s},
        {"1e20", "\x00\xFF"s},  // 1e20 is a multiple of 256, and exact in a double
        {"9007199254740994", "\x02\xFF"},
        {"1e300", "\x00\xFF"s},
        // No two-byte form: the low part rounds below 0.
        {"255.2", none},
        {"511.4", none},
        {"-0.6", none},
        {"1e999", none},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NumberToBytes(ReadNumber(c.text)), c.bytes) << '"' << c.text << '"';
    }
    EXPECT_EQ(NumberToBytes(-std::numeric_limits<double>::infinity()), std::nullopt);
    EXPECT_EQ(NumberToBytes(std::nan("")), std::nullopt);
}

}  // namespace
}  // namespace korrin::patch
