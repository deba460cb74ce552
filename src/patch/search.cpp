#include "patch/search.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <type_traits>
#include <utility>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

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

// The needles one call of Scan still reports, and the test of one position against them. A
// needle whose report returns false drops out once the position is done (stale until then).
class Confirmer {
  public:
    Confirmer(const std::vector<Bytes>& needles, const std::vector<Probe>& probes,
              std::string_view data, std::size_t after, std::span<const std::size_t> live,
              MultiSearch::Found found, void* context)
        : needles_(needles),
          probes_(probes),
          data_(data),
          after_(after),
          live_(live),
          found_(found),
          context_(context),
          dropped_(needles.size(), 0) {
        Rebuild();
    }

    const std::vector<Probe>& pairs() const { return pairs_; }
    const std::vector<Probe>& singles() const { return singles_; }
    bool empty() const { return pairs_.empty() && singles_.empty(); }
    // Whether the needles changed since the caller last looked; clears the mark.
    bool TakeChange() { return std::exchange(changed_, false); }

    // Reports every needle still reported whose pair (or single byte) is the one at q and that
    // occurs there in full.
    void ConfirmAt(std::size_t q) {
        const auto a = static_cast<unsigned char>(data_[q]);
        const int b = q + 1 < data_.size() ? static_cast<unsigned char>(data_[q + 1]) : -1;
        for (const Probe& p : pairs_) {
            if (p.first == a && p.second == b) Confirm(p, q);
        }
        for (const Probe& p : singles_) {
            if (p.first == a) Confirm(p, q);
        }
        if (stale_) Rebuild();
    }

    // The earliest pair position at which a needle that ends after `after` can lie.
    std::size_t FirstPosition() const {
        std::size_t longest = 0;
        for (const std::size_t i : live_) longest = std::max(longest, needles_[i].size());
        return after_ > longest ? after_ - longest : 0;
    }

  private:
    void Rebuild() {
        pairs_.clear();
        singles_.clear();
        for (const std::size_t i : live_) {
            if (dropped_[i] || needles_[i].empty() || needles_[i].size() > data_.size()) continue;
            (probes_[i].single ? singles_ : pairs_).push_back(probes_[i]);
        }
        stale_ = false;
        changed_ = true;
    }

    void Confirm(const Probe& p, std::size_t q) {
        if (dropped_[p.needle] || q < p.pairAt) return;
        const Bytes& needle = needles_[p.needle];
        const std::size_t start = q - p.pairAt;
        const std::size_t end = start + needle.size();
        if (end > data_.size() || end <= after_) return;
        if (std::memcmp(data_.data() + start, needle.data(), needle.size()) != 0) return;
        if (!found_(context_, p.needle, start)) {
            dropped_[p.needle] = 1;
            stale_ = true;
        }
    }

    const std::vector<Bytes>& needles_;
    const std::vector<Probe>& probes_;
    std::string_view data_;
    std::size_t after_;
    std::span<const std::size_t> live_;
    MultiSearch::Found found_;
    void* context_;
    std::vector<char> dropped_;
    std::vector<Probe> pairs_;
    std::vector<Probe> singles_;
    bool stale_ = false;
    bool changed_ = false;
};

// Sixteen positions at a time, each compared with every needle's pair: plain vector code that
// every x86-64 processor (and any other the compiler has vectors for) runs.
void ScanBasic(Confirmer& confirmer, std::string_view data) {
    using Block = unsigned char __attribute__((vector_size(16)));
    std::vector<Block> firsts, seconds, singles;
    const char* const base = data.data();
    std::size_t q = confirmer.FirstPosition();
    for (; q + sizeof(Block) + 1 <= data.size(); q += sizeof(Block)) {
        if (confirmer.TakeChange()) {
            if (confirmer.empty()) return;
            firsts.clear();
            seconds.clear();
            singles.clear();
            for (const Probe& p : confirmer.pairs()) {
                firsts.push_back(Block{} + p.first);
                seconds.push_back(Block{} + p.second);
            }
            for (const Probe& p : confirmer.singles()) singles.push_back(Block{} + p.first);
        }
        Block here;
        Block next;
        std::memcpy(&here, base + q, sizeof here);
        std::memcpy(&next, base + q + 1, sizeof next);
        Block hit{};
        for (std::size_t k = 0; k < firsts.size(); ++k) {
            hit |= reinterpret_cast<Block>((here == firsts[k]) & (next == seconds[k]));
        }
        for (std::size_t k = 0; k < singles.size(); ++k) {
            hit |= reinterpret_cast<Block>(here == singles[k]);
        }
        std::uint64_t words[2];
        std::memcpy(words, &hit, sizeof words);
        for (int w = 0; w < 2; ++w) {
            for (std::uint64_t word = words[w]; word != 0;) {
                const int lane = __builtin_ctzll(word) / 8;
                word &= ~(std::uint64_t{0xFF} << (lane * 8));
                confirmer.ConfirmAt(q + static_cast<std::size_t>(w * 8 + lane));
            }
        }
    }
    for (; q < data.size() && !confirmer.empty(); ++q) confirmer.ConfirmAt(q);
}

#if defined(__x86_64__) || defined(__i386__)
// Thirty-two positions at a time, whatever the number of needles: each needle has one of eight
// buckets, and four 16-entry tables say, for each half-byte value, which buckets' pairs have it
// as the low or high half of their first or second byte. Four table look-ups (vpshufb) and a
// few ANDs leave, per position, the buckets whose pair may start there; a bucket of one needle
// lets through only its exact pair.
__attribute__((target("avx2"))) void ScanWide(Confirmer& confirmer, std::string_view data) {
    alignas(32) unsigned char tables[4][32];
    __m256i lo1{}, hi1{}, lo2{}, hi2{};
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    const char* const base = data.data();
    std::size_t q = confirmer.FirstPosition();
    for (; q + 32 + 1 <= data.size(); q += 32) {
        if (confirmer.TakeChange()) {
            if (confirmer.empty()) return;
            std::memset(tables, 0, sizeof tables);
            std::size_t k = 0;
            const auto add = [&](const Probe& p, bool single) {
                const std::size_t bucket = k++ % 8;
                const auto bit = static_cast<unsigned char>(1u << bucket);
                for (int lane = 0; lane < 32; lane += 16) {
                    tables[0][lane + (p.first & 15)] |= bit;
                    tables[1][lane + (p.first >> 4)] |= bit;
                    for (int v = 0; v < 16; ++v) {
                        if (single || v == (p.second & 15)) tables[2][lane + v] |= bit;
                        if (single || v == (p.second >> 4)) tables[3][lane + v] |= bit;
                    }
                }
            };
            for (const Probe& p : confirmer.pairs()) add(p, false);
            for (const Probe& p : confirmer.singles()) add(p, true);
            lo1 = _mm256_load_si256(reinterpret_cast<const __m256i*>(tables[0]));
            hi1 = _mm256_load_si256(reinterpret_cast<const __m256i*>(tables[1]));
            lo2 = _mm256_load_si256(reinterpret_cast<const __m256i*>(tables[2]));
            hi2 = _mm256_load_si256(reinterpret_cast<const __m256i*>(tables[3]));
        }
        const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(base + q));
        const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(base + q + 1));
        const __m256i first = _mm256_and_si256(
            _mm256_shuffle_epi8(lo1, _mm256_and_si256(here, nibble)),
            _mm256_shuffle_epi8(hi1, _mm256_and_si256(_mm256_srli_epi16(here, 4), nibble)));
        const __m256i second = _mm256_and_si256(
            _mm256_shuffle_epi8(lo2, _mm256_and_si256(next, nibble)),
            _mm256_shuffle_epi8(hi2, _mm256_and_si256(_mm256_srli_epi16(next, 4), nibble)));
        const __m256i hit = _mm256_and_si256(first, second);
        auto lanes = ~static_cast<std::uint32_t>(
            _mm256_movemask_epi8(_mm256_cmpeq_epi8(hit, _mm256_setzero_si256())));
        while (lanes != 0) {
            const int lane = __builtin_ctz(lanes);
            lanes &= lanes - 1;
            confirmer.ConfirmAt(q + static_cast<std::size_t>(lane));
        }
    }
    for (; q < data.size() && !confirmer.empty(); ++q) confirmer.ConfirmAt(q);
}
#endif

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
    Confirmer confirmer(needles_, probes_, data, after, live, found, context);
#if defined(__x86_64__) || defined(__i386__)
    if (ActiveSearchPath() == SearchPath::kWide) return ScanWide(confirmer, data);
#endif
    ScanBasic(confirmer, data);
}

}  // namespace korrin::patch
