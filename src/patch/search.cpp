#include "patch/search.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace korrin::patch {
namespace {

// Bytes that fill x86 machine code and its data, most common first: zero padding, all-ones,
// register moves, calls, prefixes, ModR/M and displacement bytes of stack access, short jumps.
// Any byte not listed counts as rarer than every listed one.
constexpr unsigned char kCommonBytes[] = {
    0x00, 0xFF, 0x8B, 0x89, 0x48, 0xE8, 0x0F, 0x83, 0x24, 0x44, 0x85, 0xC0, 0x74, 0x75,
    0x01, 0x04, 0x08, 0x8D, 0x45, 0x4C, 0x10, 0xCC, 0x90, 0xC3, 0x50, 0xEB, 0x33, 0x20,
    0x40, 0x80, 0x02, 0x03, 0xC7, 0x0C, 0x41, 0x5D, 0x55, 0xE5, 0xF8, 0x14, 0x18, 0xC4,
    0xEC, 0x28, 0x30, 0xC9, 0x56, 0x57, 0x5E, 0x5F, 0x6A, 0x68, 0xE9, 0x7D, 0xFC, 0x84,
};

constexpr std::array<int, 256> MakeCommonness() {
    std::array<int, 256> score{};
    int next = static_cast<int>(std::size(kCommonBytes));
    for (unsigned char b : kCommonBytes) score[b] = next--;
    return score;
}
constexpr std::array<int, 256> kCommonness = MakeCommonness();

// The index of the needle's byte that memchr should look for: the least common one.
std::size_t Pivot(std::string_view needle) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < needle.size(); ++i) {
        if (kCommonness[static_cast<unsigned char>(needle[i])] <
            kCommonness[static_cast<unsigned char>(needle[best])]) {
            best = i;
        }
    }
    return best;
}

std::size_t FindFrom(std::string_view data, std::string_view needle, std::size_t pivot,
                     std::size_t from, std::size_t to) {
    if (needle.empty() || needle.size() > data.size()) return kNotFound;
    to = std::min(to, data.size() - needle.size() + 1);
    if (from >= to) return kNotFound;

    const char* base = data.data();
    const char* scan = base + from + pivot;
    const char* const end = base + to + pivot;
    const int key = static_cast<unsigned char>(needle[pivot]);
    while (scan < end) {
        const auto* hit =
            static_cast<const char*>(std::memchr(scan, key, static_cast<std::size_t>(end - scan)));
        if (hit == nullptr) return kNotFound;
        const char* start = hit - pivot;
        if (std::memcmp(start, needle.data(), needle.size()) == 0) {
            return static_cast<std::size_t>(start - base);
        }
        scan = hit + 1;
    }
    return kNotFound;
}

// Large enough that the calls per block cost nothing, small enough that a block read once from
// memory is still in the core's own cache when the last needle is looked for in it.
constexpr std::size_t kBlock = 256 * 1024;

}  // namespace

std::size_t FindFirst(std::string_view data, std::string_view needle, std::size_t from,
                      std::size_t to) {
    return FindFrom(data, needle, Pivot(needle), from, to);
}

std::vector<std::size_t> FindFirstEach(std::string_view data,
                                       std::span<const std::string_view> needles) {
    std::vector<std::size_t> found(needles.size(), kNotFound);
    std::vector<std::size_t> pivots(needles.size());
    std::vector<std::size_t> open;  // indexes of the needles still looked for
    for (std::size_t i = 0; i < needles.size(); ++i) {
        pivots[i] = Pivot(needles[i]);
        if (!needles[i].empty() && needles[i].size() <= data.size()) open.push_back(i);
    }
    for (std::size_t block = 0; block < data.size() && !open.empty(); block += kBlock) {
        const std::size_t blockEnd = std::min(data.size(), block + kBlock);
        std::erase_if(open, [&](std::size_t i) {
            found[i] = FindFrom(data, needles[i], pivots[i], block, blockEnd);
            return found[i] != kNotFound;
        });
    }
    return found;
}

}  // namespace korrin::patch
