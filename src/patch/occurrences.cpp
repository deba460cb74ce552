#include "patch/occurrences.h"

#include <algorithm>

#include "patch/search.h"

namespace korrin::patch {
namespace {

// As FindFirstEach's blocks: large enough that the calls per block cost nothing, small enough
// to stay in the core's own cache while the last needle is looked for.
constexpr std::size_t kBlock = 256 * 1024;

}  // namespace

std::vector<Occurrences> FindEvery(std::string_view data, std::span<const std::string_view> needles,
                                   std::size_t offsetLimit) {
    std::vector<Occurrences> found(needles.size());
    for (std::size_t block = 0; block < data.size(); block += kBlock) {
        const std::size_t blockEnd = std::min(data.size(), block + kBlock);
        for (std::size_t i = 0; i < needles.size(); ++i) {
            // Starts in this block; the needle may run on into the next one.
            for (std::size_t at = FindFirst(data, needles[i], block, blockEnd); at != kNotFound;
                 at = FindFirst(data, needles[i], at + 1, blockEnd)) {
                if (found[i].offsets.size() < offsetLimit) found[i].offsets.push_back(at);
                ++found[i].count;
            }
        }
    }
    return found;
}

}  // namespace korrin::patch
