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
        bool holdsNumber;  // rather than reading as 0 for want of one
    };
    const Case cases[] = {
        {"", 0, false},           {"abc", 0, false},   {"1000", 1000, true},
        {"12abc", 12, true},      {"1e3", 1000, true}, {"1D3", 1000, true},
        {"2.5E-1", 0.25, true},   {"1e", 1, true},     {"1e+", 1, true},
        {" 1 2\t3\n", 123, true}, {"-7", -7, true},    {"+7", 7, true},
        {"--7", 0, false},        {".5", 0.5, true},   {"-.5", -0.5, true},
        {"5.", 5, true},          {".", 0, false},     {"1.2.3", 1.2, true},
        {"300.5", 300.5, true},   {"&HFF", 255, true}, {"&hff", 255, true},
        {"&O17", 15, true},       {"&H", 0, false},    {"&HG1", 0, false},
        {"&O8", 0, false},        {"&", 0, false},     {"&X1", 0, false},
        {"65536", 65536, true},   {"1,000", 1, true},  {"\r5", 0, false},
        {"0", 0, true},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(ReadNumber(c.text), c.value) << '"' << c.text << '"';
        EXPECT_EQ(BeginsWithNumber(c.text), c.holdsNumber) << '"' << c.text << '"';
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
