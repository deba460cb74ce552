#include "patch/occurrences.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>
#include <string>

namespace korrin::patch {
namespace {

using namespace std::string_literals;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(FindEvery, CountsEveryOccurrenceAndListsTheFirst) {
    struct Case {
        const char* name;
        std::string data, needle;
        std::size_t limit, count;
        std::vector<std::size_t> offsets;
    };
    const Case cases[] = {
        {"one", "\x11\x22\x33\x44", "\x22\x33", 8, 1, {1}},
        {"two", "\x22\x33\x00\x22\x33\x00"s, "\x22\x33", 8, 2, {0, 3}},
        {"overlapping ones count", "AAAA", "AA", 8, 3, {0, 1, 2}},
        {"the limit cuts the list, not the count", "ABABABAB", "AB", 2, 4, {0, 2}},
        {"none", "ABC", "CA", 8, 0, {}},
        {"at the very end", "xxAB", "AB", 8, 1, {2}},
        {"its anchor at the very start of the data",
         "AB................\x00\x00AB"s,
         "\x00\x00AB"s,
         8,
         1,
         {18}},
        {"longer than the data", "AB", "ABC", 8, 0, {}},
        {"empty needle occurs nowhere", "ABC", "", 8, 0, {}},
        {"zero bytes", "\x00\x00\x00"s, "\x00"s, 8, 3, {0, 1, 2}},
        {"empty data", "", "A", 8, 0, {}},
    };
    for (const Case& c : cases) {
        const std::vector<std::string_view> needles = {c.needle};
        const std::vector<Occurrences> found = FindEvery(c.data, needles, c.limit);
        ASSERT_EQ(found.size(), 1u) << c.name;
        EXPECT_EQ(found[0].count, c.count) << c.name;
        EXPECT_EQ(found[0].offsets, c.offsets) << c.name;
    }
}

// Occurrences by brute force, for data large enough to span many of the search's blocks.
Occurrences Reference(std::string_view data, std::string_view needle, std::size_t limit) {
    Occurrences o;
    for (std::size_t at = 0; !needle.empty() && at + needle.size() <= data.size(); ++at) {
        if (data.substr(at, needle.size()) != needle) continue;
        if (o.offsets.size() < limit) o.offsets.push_back(at);
        ++o.count;
    }
    return o;
}

TEST(FindEvery, AgreesWithBruteForceAcrossBlocks) {
    // A small alphabet makes short needles occur often, at block edges too.
    std::mt19937 random(7);
    std::string data(1 << 20, '\0');
    for (char& c : data) c = static_cast<char>('A' + random() % 4);
    const std::string straddling = "DCBADCBAD";
    data.replace(256 * 1024 - 4, straddling.size(), straddling);  // across the first block edge

    const std::vector<std::string> owned = {"ABCD", "DCBADCBAD", "A", "AAAAAAA", "", "ZZ"};
    const std::vector<std::string_view> needles(owned.begin(), owned.end());
    const std::vector<Occurrences> found = FindEvery(data, needles, 5);
    for (std::size_t i = 0; i < needles.size(); ++i) {
        const Occurrences expected = Reference(data, needles[i], 5);
        EXPECT_EQ(found[i].count, expected.count) << owned[i];
        EXPECT_EQ(found[i].offsets, expected.offsets) << owned[i];
    }
    EXPECT_GT(found[1].count, 0u);
}

TEST(FindEvery, AgreesWithBruteForceOnPaddingBytes) {
    // Zero and FF bytes everywhere: needles that begin with them are anchored further in, and
    // needles made of nothing else still have to be found.
    std::mt19937 random(3);
    const char alphabet[] = {'\x00', '\xFF', 'A', 'B'};
    std::string data(300 * 1000 + 7, '\0');
    for (char& c : data) c = alphabet[random() % 4];

    const std::vector<std::string> owned = {"\x00\x00\x41\x42"s, "\xFF\x00"s, "\x00\x00\x00"s,
                                            "A\x00\xFF"s, "\xFF"s};
    const std::vector<std::string_view> needles(owned.begin(), owned.end());
    const std::vector<Occurrences> found = FindEvery(data, needles, 3);
    for (std::size_t i = 0; i < needles.size(); ++i) {
        const Occurrences expected = Reference(data, needles[i], 3);
        EXPECT_EQ(found[i].count, expected.count) << i;
        EXPECT_EQ(found[i].offsets, expected.offsets) << i;
    }
}

TEST(FindEvery, NoNeedlesNoResults) {
    EXPECT_THAT(FindEvery("ABC", {}, 8), IsEmpty());
}

}  // namespace
}  // namespace korrin::patch
