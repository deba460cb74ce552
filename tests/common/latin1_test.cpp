#include "common/latin1.h"

#include <gtest/gtest.h>

namespace korrin {
namespace {

TEST(Latin1, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    const std::string utf8 = Latin1ToUtf8(all);
    EXPECT_EQ(utf8.size(), 128u + 2 * 128u);
    EXPECT_EQ(Utf8ToLatin1(utf8), all);
}

TEST(Latin1, TypedTextBecomesTheWindowsBytes) {
    struct Case {
        const char* name;
        std::string utf8;
        std::string latin1;
    };
    const Case cases[] = {
        {"ascii", "abc", "abc"},
        {"e acute", "caf\xC3\xA9", "caf\xE9"},
        {"last latin-1 character", "\xC3\xBF", "\xFF"},
        {"euro sign is beyond latin-1", "\xE2\x82\xAC", "?"},
        {"emoji, four bytes", "\xF0\x9F\x98\x80!", "?!"},
        {"stray continuation byte", "a\x80z", "a?z"},
        {"lone lead byte", "a\xC3", "a?"},
        {"overlong slash", "\xC0\xAF", "??"},
        {"surrogate", "\xED\xA0\x80", "???"},
        {"zero byte", std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8ToLatin1(c.utf8), c.latin1) << c.name;
    }
}

}  // namespace
}  // namespace korrin
