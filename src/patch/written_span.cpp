#include "patch/written_span.h"

#include <algorithm>
#include <utility>

namespace korrin::patch {

std::vector<WrittenSpan> FoldChanges(std::string_view data, std::span<const Change> changes) {
    std::vector<std::pair<std::size_t, std::size_t>> ranges;  // [begin, end), merged
    for (const Change& change : changes) {
        ranges.emplace_back(change.at, change.at + change.before.size());
    }
    std::sort(ranges.begin(), ranges.end());
    std::vector<std::pair<std::size_t, std::size_t>> merged;
    for (const auto& range : ranges) {
        if (!merged.empty() && range.first <= merged.back().second) {
            merged.back().second = std::max(merged.back().second, range.second);
        } else {
            merged.push_back(range);
        }
    }

    std::vector<WrittenSpan> spans;
    for (const auto& [begin, end] : merged) {
        // The earliest change to a byte holds what the file had there: putting the changes back
        // latest first leaves it.
        Bytes before(data.substr(begin, end - begin));
        for (auto change = changes.rbegin(); change != changes.rend(); ++change) {
            const std::size_t from = std::max(begin, change->at);
            const std::size_t to = std::min(end, change->at + change->before.size());
            for (std::size_t at = from; at < to; ++at) {
                before[at - begin] = change->before[at - change->at];
            }
        }
        for (std::size_t at = begin; at < end;) {
            if (before[at - begin] == data[at]) {
                ++at;
                continue;
            }
            std::size_t stop = at;
            while (stop < end && before[stop - begin] != data[stop]) ++stop;
            spans.push_back(
                {at, before.substr(at - begin, stop - at), Bytes(data.substr(at, stop - at))});
            at = stop;
        }
    }
    return spans;
}

}  // namespace korrin::patch
