#include "patch/written_span.h"

#include <algorithm>
#include <utility>

namespace korrin::patch {

std::vector<WrittenSpan> FoldWrites(std::span<const WrittenSpan> writes) {
    std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges;  // [begin, end), merged below
    for (const WrittenSpan& write : writes) {
        ranges.emplace_back(write.offset, write.offset + write.after.size());
    }
    std::sort(ranges.begin(), ranges.end());
    std::vector<std::pair<std::uint64_t, std::uint64_t>> merged;
    for (const auto& range : ranges) {
        if (!merged.empty() && range.first <= merged.back().second) {
            merged.back().second = std::max(merged.back().second, range.second);
        } else {
            merged.push_back(range);
        }
    }

    std::vector<WrittenSpan> spans;
    for (const auto& [begin, end] : merged) {
        Bytes before(end - begin, '\0'), after(end - begin, '\0');
        // The last write to a byte says what it holds now; going backwards, the first says what
        // it held before.
        for (const WrittenSpan& write : writes) {
            const std::uint64_t from = std::max(begin, write.offset);
            const std::uint64_t to = std::min(end, write.offset + write.after.size());
            for (std::uint64_t at = from; at < to; ++at)
                after[at - begin] = write.after[at - write.offset];
        }
        for (auto write = writes.rbegin(); write != writes.rend(); ++write) {
            const std::uint64_t from = std::max(begin, write->offset);
            const std::uint64_t to = std::min(end, write->offset + write->before.size());
            for (std::uint64_t at = from; at < to; ++at)
                before[at - begin] = write->before[at - write->offset];
        }
        for (std::uint64_t at = 0; at < end - begin;) {
            if (before[at] == after[at]) {
                ++at;
                continue;
            }
            std::uint64_t stop = at;
            while (stop < end - begin && before[stop] != after[stop]) ++stop;
            spans.push_back(
                {begin + at, before.substr(at, stop - at), after.substr(at, stop - at)});
            at = stop;
        }
    }
    return spans;
}

}  // namespace korrin::patch
