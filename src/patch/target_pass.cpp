#include "patch/target_pass.h"

#include <algorithm>
#include <cstring>

#include "patch/search.h"
#include "platform/page_buffer.h"

namespace korrin::patch {
namespace {

// Big enough that a read costs little per byte, small enough to stay far below the memory
// the whole target would take.
std::size_t gChunk = std::size_t{4} << 20;

// How much of the first chunk the pair counts come from: enough for the counts of a target's
// code to settle, little enough to take a millisecond.
constexpr std::size_t kSample = std::size_t{1} << 20;

constexpr std::size_t kPage = 4096;

}  // namespace

void TargetPass::SetChunkSizeForTests(std::size_t bytes) {
    gChunk = std::max<std::size_t>(bytes, 1);
}

std::size_t TargetPass::NeedleFor(const Bytes& signature) {
    const auto found = std::find(needles_.begin(), needles_.end(), signature);
    if (found != needles_.end()) return static_cast<std::size_t>(found - needles_.begin());
    needles_.push_back(signature);
    return needles_.size() - 1;
}

std::size_t TargetPass::AddEdits(std::vector<Edit> edits, bool stopAtMiss) {
    List list;
    list.stopAtMiss = stopAtMiss;
    for (const Edit& edit : edits) list.needle.push_back(NeedleFor(edit.signature));
    list.state.assign(edits.size(), -1);
    list.writes.resize(edits.size());
    list.edits = std::move(edits);
    lists_.push_back(std::move(list));
    return lists_.size() - 1;
}

std::size_t TargetPass::AddCount(Bytes signature, std::size_t offsetLimit) {
    const std::size_t needle = NeedleFor(signature);
    for (std::size_t i = 0; i < counts_.size(); ++i) {
        if (counts_[i].needle == needle) {
            counts_[i].limit = std::max(counts_[i].limit, offsetLimit);
            return i;
        }
    }
    counts_.push_back({needle, offsetLimit, {}});
    return counts_.size() - 1;
}

Status TargetPass::Run() {
    MultiSearch search(needles_);
    const std::size_t carry = search.longest() > 0 ? search.longest() - 1 : 0;
    // The carried bytes go right before the page where each read lands.
    const std::size_t room = (carry + kPage - 1) / kPage * kPage;
    platform::PageBuffer buffer;
    if (!buffer.Allocate(room +
                         std::min<std::uint64_t>(gChunk, std::max<std::uint64_t>(size_, 1)))) {
        return Status::Failed("not enough memory for a buffer of " + std::to_string(gChunk) +
                              " bytes");
    }
    const std::size_t chunk = buffer.size() - room;
    char* const landing = buffer.data() + room;

    std::vector<int> countOf(needles_.size(), -1);
    for (std::size_t i = 0; i < counts_.size(); ++i)
        countOf[counts_[i].needle] = static_cast<int>(i);

    std::uint64_t offset = 0;
    std::size_t carried = 0;
    std::vector<std::size_t> firsts(needles_.size());
    std::vector<std::size_t> live;
    for (bool first = true;; first = false) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(chunk, size_ - offset));
        std::size_t got = 0;
        Status status = file_.ReadAt(offset, landing, want, &got);
        if (!status.ok()) return status;
        if (got < want) return Status::Failed("the file shrank while it was read");

        const std::string_view data(landing - carried, carried + got);
        const std::uint64_t base = offset - carried;
        const std::uint64_t end = offset + got;
        if (first) search.ChoosePairs(data.substr(0, kSample));

        live.clear();
        std::vector<char> wanted(needles_.size(), 0);
        for (const List& list : lists_) {
            for (std::size_t i = 0; i < list.edits.size(); ++i) {
                if (list.state[i] == -1) wanted[list.needle[i]] = 1;
            }
        }
        for (const Count& count : counts_) wanted[count.needle] = 1;
        for (std::size_t k = 0; k < needles_.size(); ++k) {
            if (wanted[k]) live.push_back(k);
        }
        std::fill(firsts.begin(), firsts.end(), kNotFound);
        search.Scan(data, carried, live, [&](std::size_t needle, std::size_t start) {
            if (firsts[needle] == kNotFound) firsts[needle] = start;
            if (countOf[needle] < 0) return false;
            Count& count = counts_[static_cast<std::size_t>(countOf[needle])];
            if (count.found.offsets.size() < count.limit)
                count.found.offsets.push_back(base + start);
            ++count.found.count;
            return true;
        });
        for (List& list : lists_) Settle(list, data, base, offset, end, firsts);

        offset = end;
        const bool settled = std::all_of(lists_.begin(), lists_.end(), [](const List& list) {
            return std::find(list.state.begin(), list.state.end(), -1) == list.state.end();
        });
        if (offset == size_ || (settled && counts_.empty())) break;
        carried = std::min(carry, data.size());
        std::memmove(landing - carried, data.data() + data.size() - carried, carried);
    }
    return Finish();
}

void TargetPass::Settle(List& list, std::string_view data, std::uint64_t base,
                        std::uint64_t prevEnd, std::uint64_t end,
                        const std::vector<std::size_t>& firsts) {
    for (std::size_t i = 0; i < list.edits.size(); ++i) {
        if (list.state[i] != -1) continue;
        const Bytes& signature = list.edits[i].signature;
        const std::uint64_t length = signature.size();
        if (length == 0 || length > size_) {
            list.state[i] = 0;
            continue;
        }
        // Where an edit j before i wrote: only there may i's view differ from the file.
        const auto touched = [&](std::uint64_t at) {
            for (std::size_t j = 0; j < i; ++j) {
                const Write& w = list.writes[j];
                if (!w.bytes.empty() && w.at < at + length && at < w.at + w.bytes.size()) {
                    return true;
                }
            }
            return false;
        };
        const auto matches = [&](std::uint64_t at) {
            Bytes view(data.substr(static_cast<std::size_t>(at - base), length));
            for (std::size_t j = 0; j < i; ++j) {
                const Write& w = list.writes[j];
                for (std::size_t k = 0; k < w.bytes.size(); ++k) {
                    if (w.at + k >= at && w.at + k < at + length) view[w.at + k - at] = w.bytes[k];
                }
            }
            return view == signature;
        };

        // Starts whose whole signature lies in data and was not in the previous chunk's.
        const std::uint64_t lo = std::max(base, prevEnd + 1 >= length ? prevEnd + 1 - length : 0);
        const std::uint64_t hi = end >= length ? end - length + 1 : 0;  // past the last
        std::uint64_t best = kNotFound;
        // The first occurrence in the file's own bytes, unless an earlier write spoilt it.
        for (std::size_t m = firsts[list.needle[i]]; m != kNotFound;
             m = FindFirst(data, signature, m + 1, static_cast<std::size_t>(hi - base))) {
            if (!touched(base + m) || matches(base + m)) {
                best = base + m;
                break;
            }
        }
        // One that an earlier write made, or made earlier.
        for (std::size_t j = 0; j < i; ++j) {
            const Write& w = list.writes[j];
            if (w.bytes.empty()) continue;
            const std::uint64_t from = std::max(lo, w.at + 1 >= length ? w.at + 1 - length : 0);
            const std::uint64_t to = std::min({hi, w.at + w.bytes.size(), best});
            for (std::uint64_t at = from; at < to; ++at) {
                if (matches(at)) {
                    best = at;
                    break;
                }
            }
        }

        if (best == kNotFound) {
            if (end == size_) list.state[i] = 0;
            continue;
        }
        const Bytes& newBytes = list.edits[i].newBytes;
        const std::uint64_t at = best + length;
        if (newBytes.empty()) {
            list.state[i] = 1;
        } else if (at >= size_) {
            // No byte left to write at: the patch could not take effect.
            list.state[i] = 0;
        } else {
            list.state[i] = 1;
            list.writes[i] = {
                at, newBytes.substr(0, static_cast<std::size_t>(
                                           std::min<std::uint64_t>(newBytes.size(), size_ - at)))};
        }
    }
}

Status TargetPass::Finish() {
    for (List& list : lists_) {
        EditOutcome& out = list.outcome;
        out = EditOutcome();
        for (std::size_t i = 0; i < list.edits.size(); ++i) {
            out.statuses.push_back(list.state[i] == 1 ? 1 : 0);
            const Write& w = list.writes[i];
            if (out.statuses.back() == 1 && !w.bytes.empty()) {
                Change change{w.at, Bytes(w.bytes.size(), '\0'), w.bytes};
                std::size_t got = 0;
                const Status status =
                    file_.ReadAt(w.at, change.before.data(), w.bytes.size(), &got);
                if (!status.ok()) return status;
                if (got < w.bytes.size())
                    return Status::Failed("the file shrank while it was read");
                // What stood there once the earlier changes were made.
                for (const Change& earlier : out.changes) {
                    for (std::size_t k = 0; k < earlier.after.size(); ++k) {
                        const std::uint64_t byte = earlier.at + k;
                        if (byte >= w.at && byte < w.at + w.bytes.size()) {
                            change.before[byte - w.at] = earlier.after[k];
                        }
                    }
                }
                out.changes.push_back(std::move(change));
            }
            if (list.stopAtMiss && out.statuses.back() == 0) break;
        }
    }
    return Status::Ok();
}

}  // namespace korrin::patch
