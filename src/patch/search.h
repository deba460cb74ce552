#pragma once

// Byte searches over executables of hundreds of megabytes.
//
// MultiSearch looks for many needles in one pass: each needle is found through one pair of
// adjacent bytes, the pair that is rarest in the target itself (counted in a sample of it), and
// a block of data is compared with every needle's pair at once, 32 bytes at a time where the
// processor has AVX2 and 16 at a time elsewhere. Only positions whose pair matches are compared
// in full. A fixed table of "rare" bytes cannot do this: a byte rare in one executable fills
// another, and the search then stops every few hundred bytes.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "patch/bytes.h"

namespace korrin::patch {

inline constexpr std::size_t kNotFound = std::string_view::npos;

// The position of the first occurrence of needle in data that starts in [from, to), or
// kNotFound. An empty needle is never found: it would "occur" at the first byte.
std::size_t FindFirst(std::string_view data, std::string_view needle, std::size_t from = 0,
                      std::size_t to = kNotFound);

// Which block comparison MultiSearch uses. One binary serves every x86-64 processor: kAuto
// asks the processor at run time.
enum class SearchPath { kAuto, kWide, kBasic };

// Makes every later MultiSearch::Scan use path; kWide where the processor lacks AVX2 falls
// back to kBasic. For tests, which run both paths on the same input.
void ForceSearchPath(SearchPath path);
// The path Scan takes now: kWide or kBasic.
SearchPath ActiveSearchPath();

class MultiSearch {
  public:
    // Needles may repeat and may be empty; an empty one is never found.
    explicit MultiSearch(std::vector<Bytes> needles);

    // Chooses each needle's pair from the pair counts of sample (the start of the target, say).
    // Until this is called each needle is found through its first two bytes.
    void ChoosePairs(std::string_view sample);

    // Called for each occurrence found, with the needle's index and where it starts in data.
    // Returning false stops the reports of that needle for the rest of the call.
    using Found = bool (*)(void* context, std::size_t needle, std::size_t start);

    // Reports every occurrence in data of each needle listed in live that ends after the first
    // `after` bytes of data, in order of position for each needle (not across needles).
    void Scan(std::string_view data, std::size_t after, std::span<const std::size_t> live,
              Found found, void* context) const;
    template <typename F>
    void Scan(std::string_view data, std::size_t after, std::span<const std::size_t> live,
              F&& found) const {
        Scan(
            data, after, live,
            [](void* c, std::size_t needle, std::size_t start) {
                return (*static_cast<std::remove_reference_t<F>*>(c))(needle, start);
            },
            &found);
    }

    std::size_t size() const { return needles_.size(); }
    const Bytes& needle(std::size_t i) const { return needles_[i]; }
    std::size_t longest() const { return longest_; }

    // Where needle i's pair starts in it; single bytes have none and are matched alone.
    struct Probe {
        unsigned char first = 0;
        unsigned char second = 0;
        bool single = false;
        std::size_t pairAt = 0;
        std::size_t needle = 0;
    };

  private:
    std::vector<Bytes> needles_;
    std::vector<Probe> probes_;  // one per needle, empty needles included
    std::size_t longest_ = 0;
};

}  // namespace korrin::patch
