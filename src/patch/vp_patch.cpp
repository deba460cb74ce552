#include "patch/vp_patch.h"

#include <algorithm>
#include <cstring>

#include "patch/search.h"

namespace korrin::patch {

int vpPatch::LoadExe(const std::string& path) {
    ClearExeData();
    message_.clear();
    const Status status = fs_.ReadWholeFile(path, &exeData_, &loaded_);
    if (status.ok()) return 1;
    ClearExeData();
    message_ = status.error == ErrorCode::kPathNotFound
                   ? std::string(kInvalidPathMessage)
                   : "VPLACES.EXE could not be loaded: " + status.reason;
    return 0;
}

int vpPatch::PatchBytes(std::string_view signature, std::string_view newBytes) {
    return WriteAfter(FindFirst(exeData(), signature), signature.size(), newBytes);
}

std::vector<int> vpPatch::PatchBytesInTurn(std::span<const Edit> edits, bool stopAtMiss) {
    std::vector<std::string_view> signatures;
    for (const Edit& edit : edits) signatures.push_back(edit.signature);
    return PatchBytesInTurn(edits, stopAtMiss, FindFirstEach(exeData(), signatures));
}

std::vector<int> vpPatch::PatchBytesInTurn(std::span<const Edit> edits, bool stopAtMiss,
                                           std::span<const std::size_t> firsts) {
    const std::size_t firstChange = changes_.size();
    std::vector<int> statuses;
    for (std::size_t i = 0; i < edits.size(); ++i) {
        const std::string_view signature = edits[i].signature;
        const std::size_t at = LocateAfterChanges(signature, firsts[i], firstChange);
        statuses.push_back(WriteAfter(at, signature.size(), edits[i].newBytes));
        if (stopAtMiss && statuses.back() == 0) break;
    }
    return statuses;
}

std::size_t vpPatch::LocateAfterChanges(std::string_view signature, std::size_t original,
                                        std::size_t firstChange) const {
    const std::string_view data = exeData();
    const std::size_t length = signature.size();
    if (length == 0) return kNotFound;

    // A match whose bytes all lie outside the changed ranges matched before the changes too,
    // so none starts before original. Only a match that touches a changed range can be new.
    std::size_t best = kNotFound;
    bool originalTouched = false;
    for (std::size_t c = firstChange; c < changes_.size(); ++c) {
        const std::size_t begin = changes_[c].at;
        const std::size_t end = begin + changes_[c].before.size();
        const std::size_t from = begin >= length - 1 ? begin - (length - 1) : 0;
        best = std::min(best, FindFirst(data, signature, from, end));
        if (original != kNotFound && original < end && begin < original + length) {
            originalTouched = true;
        }
    }
    if (original == kNotFound) return best;
    // The change may have spoilt the old first match; which untouched one comes next is not
    // known, so search again. Rare: it takes a signature that an earlier edit overwrote.
    if (originalTouched) return FindFirst(data, signature);
    return std::min(best, original);
}

int vpPatch::WriteAfter(std::size_t found, std::size_t signatureSize, std::string_view newBytes) {
    if (found == kNotFound) return 0;
    if (newBytes.empty()) return 1;
    const std::size_t at = found + signatureSize;
    // With no byte left to write at, the patch could not take effect: not found, not success.
    if (at >= exeData_.size()) return 0;
    const std::size_t count = std::min(newBytes.size(), exeData_.size() - at);
    changes_.push_back({at, Bytes(exeData_.data() + at, count)});
    std::memcpy(exeData_.data() + at, newBytes.data(), count);
    return 1;
}

int vpPatch::SaveExe(const std::string& path) {
    message_.clear();
    const SaveOutcome outcome = SaveFileSafely(fs_, path, exeData(), changes_, &loaded_);
    if (outcome.ok()) {
        // The file now holds exeData, as a new version of it.
        changes_.clear();
        loaded_ = platform::FileInfo();
        return 1;
    }
    if (outcome.status.error == ErrorCode::kAccessDenied &&
        outcome.target == TargetState::kUnchanged) {
        message_ = kTargetOpenMessage;
        return 0;
    }
    switch (outcome.target) {
        case TargetState::kUnchanged:
            message_ = "VPLACES.EXE could not be saved: " + outcome.status.reason +
                       ". The file was left as it was.";
            break;
        case TargetState::kReplaced:
            message_ =
                "VPLACES.EXE was written, but the system could not confirm that it reached "
                "the disk: " +
                outcome.status.reason;
            break;
        case TargetState::kMaybeDamaged:
            message_ =
                "VPLACES.EXE could not be saved and may be damaged: " + outcome.status.reason +
                ". Restore it from a copy before patching again.";
            break;
    }
    return 0;
}

void vpPatch::RevertChanges() {
    for (auto change = changes_.rbegin(); change != changes_.rend(); ++change) {
        std::memcpy(exeData_.data() + change->at, change->before.data(), change->before.size());
    }
    changes_.clear();
}

void vpPatch::ClearExeData() {
    exeData_.Clear();
    loaded_ = platform::FileInfo();
    changes_.clear();
}

}  // namespace korrin::patch
