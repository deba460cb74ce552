#include "patch/search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace korrin::patch {
namespace {

using namespace std::string_literals;

std::size_t Reference(std::string_view data, std::string_view needle, std::size_t from = 0,
                      std::size_t to = kNotFound) {
    if (needle.empty() || from > data.size()) return kNotFound;
    const auto it = std::search(data.begin() + static_cast<std::ptrdiff_t>(from), data.end(),
                                needle.begin(), needle.end());
    const auto at = static_cast<std::size_t>(it - data.begin());
    return it == data.end() || at >= to ? kNotFound : at;
}

TEST(FindFirst, FirstOccurrenceStartingInTheRange) {
    struct Case {
        std::string data, needle;
        std::size_t from, to, found;
    };
    const Case cases[] = {
        {"\x11\x22\x33\x44\x55", "\x22\x33", 0, kNotFound, 1},
        {"\x22\x33\x00\x22\x33\x00"s, "\x22\x33", 1, kNotFound, 3},
        {"\x22\x33\x00\x22\x33\x00"s, "\x22\x33", 1, 3, kNotFound},
        {"\x22\x33\x00\x22\x33\x00"s, "\x22\x33", 1, 4, 3},
        {"AAAB", "AAB", 0, kNotFound, 1},
        {"ABC", "ABCD", 0, kNotFound, kNotFound},
        {"ABC", "", 0, kNotFound, kNotFound},
        {"ABC", "A", 5, kNotFound, kNotFound},
        {"\x00\x00\x00\x01"s, "\x00\x01"s, 0, kNotFound, 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindFirst(c.data, c.needle, c.from, c.to), c.found)
            << c.needle.size() << "-byte needle from " << c.from;
    }
}

// Few byte values, so that nearly every position is a candidate that only a full comparison
// can turn down: where a search that skips too far, or not far enough, shows.
std::string NearMisses(std::mt19937& random, std::size_t size) {
    const char alphabet[] = {'\x00', '\x8B', '\x4D', '\x5A'};
    std::uniform_int_distribution<int> pick(0, 3);
    std::string data(size, '\0');
    for (char& c : data) c = alphabet[pick(random)];
    return data;
}

TEST(FindFirst, AgreesWithAPlainSearchOnNearMisses) {
    std::mt19937 random(7);
    const std::string data = NearMisses(random, 4096);
    std::uniform_int_distribution<std::size_t> at(0, data.size() - 1), length(1, 12);
    for (int round = 0; round < 2000; ++round) {
        const std::size_t start = at(random);
        std::string needle = data.substr(start, length(random));
        if (round % 3 == 0) needle.back() ^= 1;  // a needle that likely occurs nowhere
        const std::size_t from = round % 2 ? at(random) : 0;
        ASSERT_EQ(FindFirst(data, needle, from), Reference(data, needle, from))
            << "round " << round;
    }
}

// Data made of one byte repeated with a different one now and then (AAAB, AAAAAAB, ...), and
// needles cut from it: each candidate matches all but its last bytes, so a search that skips
// past a match after a partial one shows. Needles at the very start, at the very end and longer
// than the data are among them. Fixed seed, so that a failure repeats.
TEST(FindFirst, AgreesWithAPlainSearchOnRepeatedPrefixes) {
    std::mt19937 random(13);
    for (int round = 0; round < 300; ++round) {
        std::string data;
        while (data.size() < 64 + random() % 512) {
            data.append(1 + random() % 9, 'A');
            data.push_back(random() % 4 == 0 ? 'C' : 'B');
        }
        std::vector<std::string> needles = {
            data.substr(0, 1 + random() % 8),                       // at offset 0
            data.substr(data.size() - 1 - random() % 8),            // ending at the last byte
            data + "A",                                             // longer than the data
            std::string(1 + random() % 10, 'A') + "B",              // repeated prefix
            std::string("B").append(1 + random() % 10, 'A') + "C",  // across two runs
            data.substr(random() % data.size(), 1 + random() % 16),
        };
        std::vector<std::string_view> views(needles.begin(), needles.end());
        const std::vector<std::size_t> each = FindFirstEach(data, views);
        for (std::size_t i = 0; i < needles.size(); ++i) {
            const std::size_t from = random() % (data.size() + 2);
            ASSERT_EQ(FindFirst(data, needles[i]), Reference(data, needles[i]))
                << "round " << round << ", needle " << i;
            ASSERT_EQ(FindFirst(data, needles[i], from), Reference(data, needles[i], from))
                << "round " << round << ", needle " << i << " from " << from;
            ASSERT_EQ(each[i], Reference(data, needles[i]))
                << "round " << round << ", needle " << i;
        }
    }
}

TEST(FindFirstEach, SameAsOneSearchPerNeedleAcrossBlockBorders) {
    std::mt19937 random(11);
    std::string data = NearMisses(random, 3 * 256 * 1024 + 100);
    // Needles that occur only once, planted across the borders of the blocks in which the
    // search goes through the data, and right at its end.
    const std::size_t block = 256 * 1024;
    const std::vector<std::string> planted = {"\x01\x02\x03\x04", "\x05\x06\x07",
                                              "\x08\x09\x0A\x0B\x0C", "\x0D\x0E"};
    const std::size_t places[] = {block - 2, 2 * block - 1, 3 * block - 4, data.size() - 2};
    for (std::size_t i = 0; i < planted.size(); ++i)
        data.replace(places[i], planted[i].size(), planted[i]);
    std::vector<std::string> needles = planted;
    needles.push_back("");                         // never found
    needles.push_back(data.substr(block + 5, 9));  // found somewhere, maybe earlier
    needles.push_back("\x0D\x0E\x0F");             // would run past the end
    needles.push_back(data.substr(0, 3));

    std::vector<std::string_view> views(needles.begin(), needles.end());
    const std::vector<std::size_t> found = FindFirstEach(data, views);
    ASSERT_EQ(found.size(), needles.size());
    for (std::size_t i = 0; i < needles.size(); ++i) {
        EXPECT_EQ(found[i], Reference(data, needles[i])) << "needle " << i;
    }
    for (std::size_t i = 0; i < planted.size(); ++i) EXPECT_EQ(found[i], places[i]);
}

}  // namespace
}  // namespace korrin::patch
