#include "patch/occurrences.h"

#include <algorithm>
#include <cstring>

#include "patch/search.h"

namespace korrin::patch {
namespace {

// Bytes that fill most of any executable: an anchor made of them would stop the scan everywhere.
bool Common(unsigned char b) {
    return b == 0x00 || b == 0xFF;
}

// Two adjacent bytes of a needle that the scan looks for first, and where they stand in it.
struct Anchor {
    unsigned char first = 0;
    unsigned char second = 0;
    std::size_t needle = 0;
    std::size_t offset = 0;
};

Anchor ChooseAnchor(std::string_view needle, std::size_t index) {
    std::size_t offset = 0;
    for (std::size_t at = 0; at + 1 < needle.size(); ++at) {
        if (!Common(static_cast<unsigned char>(needle[at])) &&
            !Common(static_cast<unsigned char>(needle[at + 1]))) {
            offset = at;
            break;
        }
    }
    return {static_cast<unsigned char>(needle[offset]),
            static_cast<unsigned char>(needle[offset + 1]), index, offset};
}

void Record(Occurrences& o, std::size_t at, std::size_t limit) {
    if (o.offsets.size() < limit) o.offsets.push_back(at);
    ++o.count;
}

// The needles anchored at p, the position of a byte pair that at least one anchor has.
void Confirm(std::string_view data, std::size_t p, std::span<const Anchor> anchors,
             std::span<const std::string_view> needles, std::size_t limit,
             std::vector<Occurrences>& found) {
    const auto first = static_cast<unsigned char>(data[p]);
    const auto second = static_cast<unsigned char>(data[p + 1]);
    for (const Anchor& a : anchors) {
        if (a.first != first || a.second != second || p < a.offset) continue;
        const std::string_view needle = needles[a.needle];
        const std::size_t start = p - a.offset;
        if (start + needle.size() > data.size()) continue;
        if (std::memcmp(data.data() + start, needle.data(), needle.size()) == 0) {
            Record(found[a.needle], start, limit);
        }
    }
}

}  // namespace

std::vector<Occurrences> FindEvery(std::string_view data, std::span<const std::string_view> needles,
                                   std::size_t offsetLimit) {
    std::vector<Occurrences> found(needles.size());
    std::vector<Anchor> anchors;
    for (std::size_t i = 0; i < needles.size(); ++i) {
        if (needles[i].size() == 1) {
            // A single byte has no pair: the first-occurrence search counts it, memchr-fast.
            for (std::size_t at = FindFirst(data, needles[i]); at != kNotFound;
                 at = FindFirst(data, needles[i], at + 1)) {
                Record(found[i], at, offsetLimit);
            }
        } else if (needles[i].size() > 1) {
            anchors.push_back(ChooseAnchor(needles[i], i));
        }
    }
    if (anchors.empty() || data.size() < 2) return found;

    // Every position whose byte pair is some anchor's, in order, so that each needle's
    // occurrences come in order too. Comparing sixteen positions at once with every anchor
    // costs the same whatever the data holds, where skipping ahead to a rare byte (FindFirst)
    // slows down on data in which no byte is rare.
    std::size_t p = 0;
#if defined(__GNUC__) || defined(__clang__)
    using Lanes = unsigned char __attribute__((vector_size(16)));
    std::vector<Lanes> firsts;
    std::vector<Lanes> seconds;
    for (const Anchor& a : anchors) {
        firsts.push_back(Lanes{} + a.first);
        seconds.push_back(Lanes{} + a.second);
    }
    for (; p + sizeof(Lanes) + 1 <= data.size(); p += sizeof(Lanes)) {
        Lanes here;
        Lanes next;
        std::memcpy(&here, data.data() + p, sizeof here);
        std::memcpy(&next, data.data() + p + 1, sizeof next);
        Lanes hit{};
        for (std::size_t k = 0; k < anchors.size(); ++k) {
            hit |= reinterpret_cast<Lanes>((here == firsts[k]) & (next == seconds[k]));
        }
        std::uint64_t halves[2];
        std::memcpy(halves, &hit, sizeof halves);
        if ((halves[0] | halves[1]) == 0) continue;
        for (std::size_t lane = 0; lane < sizeof(Lanes); ++lane) {
            if (hit[lane] != 0) Confirm(data, p + lane, anchors, needles, offsetLimit, found);
        }
    }
#endif
    for (; p + 1 < data.size(); ++p) Confirm(data, p, anchors, needles, offsetLimit, found);
    return found;
}

}  // namespace korrin::patch
