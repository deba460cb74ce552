#include "common/number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace korrin {
namespace {

TEST(ReadNumber, LenientPrefixRule) {
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"", 0},          {"abc", 0},       {"1000", 1000},   {"12abc", 12}, {"1e3", 1000},
        {"1D3", 1000},    {"2.5E-1", 0.25}, {"1e", 1},        {"1e+", 1},    {" 1 2\t3\n", 123},
        {"-7", -7},       {"+7", 7},        {"--7", 0},       {".5", 0.5},   {"5.", 5},
        {".", 0},         {"1.2.3", 1.2},   {"300.5", 300.5}, {"&HFF", 255}, {"&hff", 255},
        {"&O17", 15},     {"&H", 0},        {"&HG1", 0},      {"&", 0},      {"&X1", 0},
        {"65536", 65536}, {"1,000", 1},     {"\r5", 0},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(ReadNumber(c.text), c.value) << '"' << c.text << '"';
    }
    EXPECT_TRUE(std::isinf(ReadNumber("1e999")));
    EXPECT_EQ(ReadNumber("1e-999"), 0.0);
}

// Out of a double's range, the place of the first significant digit decides between infinity
// and 0, not the exponent's sign alone.
TEST(ReadNumber, OutOfRangeByItsMagnitude) {
    const std::string zeros(400, '0');
    EXPECT_TRUE(std::isinf(ReadNumber("1" + zeros)));
    EXPECT_TRUE(std::isinf(ReadNumber("1" + zeros + "e-5")));
    EXPECT_TRUE(std::isinf(ReadNumber("-1" + zeros + "D-50")));
    EXPECT_LT(ReadNumber("-1" + zeros), 0);
    EXPECT_EQ(ReadNumber("0." + zeros + "1"), 0.0);
    EXPECT_EQ(ReadNumber(zeros + "." + zeros + "1e+30"), 0.0);
    EXPECT_EQ(ReadNumber("0.0001e-99999999999999999999"), 0.0);
    EXPECT_TRUE(std::isinf(ReadNumber("0.001e99999999999999999999")));
    EXPECT_EQ(ReadNumber("1" + zeros + "e-400"), 1.0);
}

}  // namespace
}  // namespace korrin
