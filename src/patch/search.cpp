#include "patch/search.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <type_traits>

namespace korrin::patch {
namespace {

std::atomic<SearchPath> gForced{SearchPath::kAuto};

bool HasWide() {
#if defined(__x86_64__) || defined(__i386__)
    static const bool wide = __builtin_cpu_supports("avx2");
    return wide;
#else
    return false;
#endif
}

using Probe = MultiSearch::Probe;

using Block16 = unsigned char __attribute__((vector_size(16)));
using Block32 = unsigned char __attribute__((vector_size(32)));
template <int kWidth>
struct BlockType;
template <>
struct BlockType<16> {
    using type = Block16;
};
template <>
struct BlockType<32> {
    using type = Block32;
};

// What one call of Scan works with: the needles still reported and their pairs spread over
// every lane of a block, rebuilt whenever a needle drops out.
template <int kWidth>
struct Lanes {
    using Block = typename BlockType<kWidth>::type;
    std::vector<Probe> pairs;    // two-byte probes
    std::vector<Probe> singles;  // one-byte needles
    std::vector<Block> firsts, seconds, singleBytes;
};

// The whole scan, written once for either block width. Always inlined, so that it takes the
// instruction set of the function it is put into.
template <int kWidth>
[[gnu::always_inline]] inline void ScanBlocks(const std::vector<Bytes>& needles,
                                              const std::vector<Probe>& probes,
                                              std::string_view data, std::size_t after,
                                              std::span<const std::size_t> live,
                                              MultiSearch::Found found, void* context) {
    using Block = typename Lanes<kWidth>::Block;
    Lanes<kWidth> lanes;
    std::vector<char> dropped(needles.size(), 0);
    const auto rebuild = [&] {
        lanes.pairs.clear();
        lanes.singles.clear();
        lanes.firsts.clear();
        lanes.seconds.clear();
        lanes.singleBytes.clear();
        for (const std::size_t i : live) {
            const Probe& p = probes[i];
            if (dropped[i] || needles[i].empty() || needles[i].size() > data.size()) continue;
            if (p.single) {
                lanes.singles.push_back(p);
                lanes.singleBytes.push_back(Block{} + p.first);
            } else {
                lanes.pairs.push_back(p);
                lanes.firsts.push_back(Block{} + p.first);
                lanes.seconds.push_back(Block{} + p.second);
            }
        }
    };
    rebuild();
    bool stale = false;  // a needle dropped out: rebuilt once the position is done

    const char* const base = data.data();
    const std::size_t size = data.size();
    // Whether the needle of probe p starts at q - p.pairAt; reports it.
    const auto confirm = [&](const Probe& p, std::size_t q) {
        if (dropped[p.needle] || q < p.pairAt) return;
        const Bytes& needle = needles[p.needle];
        const std::size_t start = q - p.pairAt;
        const std::size_t end = start + needle.size();
        if (end > size || end <= after) return;
        if (std::memcmp(base + start, needle.data(), needle.size()) != 0) return;
        if (!found(context, p.needle, start)) {
            dropped[p.needle] = 1;
            stale = true;
        }
    };
    const auto confirmAll = [&](std::size_t q) {
        const auto a = static_cast<unsigned char>(base[q]);
        const int b = q + 1 < size ? static_cast<unsigned char>(base[q + 1]) : -1;
        for (const Probe& p : lanes.pairs) {
            if (p.first == a && p.second == b) confirm(p, q);
        }
        for (const Probe& p : lanes.singles) {
            if (p.first == a) confirm(p, q);
        }
        if (stale) {
            rebuild();
            stale = false;
        }
    };

    std::size_t q = 0;
    // Pairs of the needles that end after `after` cannot lie much before it.
    std::size_t longest = 0;
    for (const std::size_t i : live) longest = std::max(longest, needles[i].size());
    if (after > longest) q = after - longest;

    for (; q + kWidth + 1 <= size; q += kWidth) {
        if (lanes.pairs.empty() && lanes.singles.empty()) return;
        Block here;
        Block next;
        std::memcpy(&here, base + q, sizeof here);
        std::memcpy(&next, base + q + 1, sizeof next);
        Block hit{};
        for (std::size_t k = 0; k < lanes.firsts.size(); ++k) {
            hit |= reinterpret_cast<Block>((here == lanes.firsts[k]) & (next == lanes.seconds[k]));
        }
        for (std::size_t k = 0; k < lanes.singleBytes.size(); ++k) {
            hit |= reinterpret_cast<Block>(here == lanes.singleBytes[k]);
        }
        std::uint64_t words[kWidth / 8];
        std::memcpy(words, &hit, sizeof words);
        for (int w = 0; w < kWidth / 8; ++w) {
            std::uint64_t word = words[w];
            while (word != 0) {
                const int lane = __builtin_ctzll(word) / 8;
                word &= ~(std::uint64_t{0xFF} << (lane * 8));
                confirmAll(q + static_cast<std::size_t>(w * 8 + lane));
            }
        }
    }
    for (; q < size; ++q) confirmAll(q);
}

#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx2"))) void ScanWide(const std::vector<Bytes>& needles,
                                              const std::vector<Probe>& probes,
                                              std::string_view data, std::size_t after,
                                              std::span<const std::size_t> live,
                                              MultiSearch::Found found, void* context) {
    ScanBlocks<32>(needles, probes, data, after, live, found, context);
}
#endif

void ScanBasic(const std::vector<Bytes>& needles, const std::vector<Probe>& probes,
               std::string_view data, std::size_t after, std::span<const std::size_t> live,
               MultiSearch::Found found, void* context) {
    ScanBlocks<16>(needles, probes, data, after, live, found, context);
}

Probe FirstPair(const Bytes& needle, std::size_t index) {
    Probe p;
    p.needle = index;
    p.single = needle.size() < 2;
    if (!needle.empty()) p.first = static_cast<unsigned char>(needle[0]);
    if (!p.single) p.second = static_cast<unsigned char>(needle[1]);
    return p;
}

}  // namespace

std::size_t FindFirst(std::string_view data, std::string_view needle, std::size_t from,
                      std::size_t to) {
    if (needle.empty() || needle.size() > data.size()) return kNotFound;
    to = std::min(to, data.size() - needle.size() + 1);
    if (from >= to) return kNotFound;
    const char* const base = data.data();
    const char* scan = base + from;
    const char* const end = base + to;
    const int key = static_cast<unsigned char>(needle[0]);
    while (scan < end) {
        const auto* hit =
            static_cast<const char*>(std::memchr(scan, key, static_cast<std::size_t>(end - scan)));
        if (hit == nullptr) return kNotFound;
        if (std::memcmp(hit, needle.data(), needle.size()) == 0) {
            return static_cast<std::size_t>(hit - base);
        }
        scan = hit + 1;
    }
    return kNotFound;
}

void ForceSearchPath(SearchPath path) {
    gForced = path;
}

SearchPath ActiveSearchPath() {
    const SearchPath forced = gForced;
    if (forced == SearchPath::kBasic || !HasWide()) return SearchPath::kBasic;
    return SearchPath::kWide;
}

MultiSearch::MultiSearch(std::vector<Bytes> needles) : needles_(std::move(needles)) {
    for (std::size_t i = 0; i < needles_.size(); ++i) {
        probes_.push_back(FirstPair(needles_[i], i));
        longest_ = std::max(longest_, needles_[i].size());
    }
}

void MultiSearch::ChoosePairs(std::string_view sample) {
    std::vector<std::uint32_t> counts(65536, 0);
    for (std::size_t i = 0; i + 1 < sample.size(); ++i) {
        ++counts[static_cast<unsigned char>(sample[i]) << 8 |
                 static_cast<unsigned char>(sample[i + 1])];
    }
    for (Probe& p : probes_) {
        const Bytes& needle = needles_[p.needle];
        if (p.single) continue;
        std::uint32_t best = UINT32_MAX;
        for (std::size_t at = 0; at + 1 < needle.size(); ++at) {
            const auto a = static_cast<unsigned char>(needle[at]);
            const auto b = static_cast<unsigned char>(needle[at + 1]);
            if (counts[a << 8 | b] < best) {
                best = counts[a << 8 | b];
                p.pairAt = at;
                p.first = a;
                p.second = b;
            }
        }
    }
}

void MultiSearch::Scan(std::string_view data, std::size_t after, std::span<const std::size_t> live,
                       Found found, void* context) const {
#if defined(__x86_64__) || defined(__i386__)
    if (ActiveSearchPath() == SearchPath::kWide) {
        return ScanWide(needles_, probes_, data, after, live, found, context);
    }
#endif
    ScanBasic(needles_, probes_, data, after, live, found, context);
}

}  // namespace korrin::patch
