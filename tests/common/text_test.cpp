#include "common/text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace korrin {
namespace {

struct LinesCase {
    const char* name;
    std::string text;
    std::vector<std::string> lines;
};

TEST(SplitLines, EndsLinesAtCrLfAndLoneCrOnly) {
    const LinesCase cases[] = {
        {"empty", "", {}},
        {"no end mark", "abc", {"abc"}},
        {"crlf", "a\r\nb\r\n", {"a", "b"}},
        {"lone cr", "a\rb", {"a", "b"}},
        {"lone lf stays", "a\nb\r\nc", {"a\nb", "c"}},
        {"lf only file is one line", "patch:x\ndescription:y\n", {"patch:x\ndescription:y\n"}},
        {"empty lines", "a\r\n\r\n\rb", {"a", "", "", "b"}},
        {"just crlf", "\r\n", {""}},
        {"cr then crlf", "a\r\r\n", {"a", ""}},
        {"blanks kept", " a \r\n", {" a "}},
        {"zero bytes", std::string("a\0b", 3), {std::string("a\0b", 3)}},
    };
    for (const LinesCase& c : cases) {
        EXPECT_EQ(SplitLines(c.text), c.lines) << c.name;
    }
}

TEST(SplitList, KeepsEmptyItemsAndTrimsNothing) {
    EXPECT_THAT(SplitList("", ','), IsEmpty());
    EXPECT_THAT(SplitList("A", ','), ElementsAre("A"));
    EXPECT_THAT(SplitList("A,,B", ','), ElementsAre("A", "", "B"));
    EXPECT_THAT(SplitList(",A,", ','), ElementsAre("", "A", ""));
    EXPECT_THAT(SplitList(" A | B ", '|'), ElementsAre(" A ", " B "));
    EXPECT_THAT(SplitList("|", '|'), ElementsAre("", ""));
}

TEST(WildcardMatch, StarsAndQuestionMarksWithLetterCase) {
    struct Case {
        const char* pattern;
        const char* name;
        bool match;
    };
    const Case cases[] = {
        {"*", "", true},
        {"*", "a.pat", true},
        {"*.pat", "a.pat", true},
        {"*.pat", "a.PAT", false},
        {"?.pat", "ab.pat", false},
        {"a*b*c", "aXbYbZc", true},
        {"a*b", "aXbYc", false},
        {"AAB*", "AAAB", false},
        {"*AAB", "AAAB", true},
        {"", "", true},
        {"", "a", false},
        {"a?", "a", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.match) << c.pattern << " ~ " << c.name;
    }
}

TEST(LowerCase, ChangesAsciiLettersOnly) {
    EXPECT_EQ(LowerCase("PaTcH:Ab\xC4"), "patch:ab\xC4");
}

}  // namespace
}  // namespace korrin
