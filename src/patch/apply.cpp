#include "patch/apply.h"

#include <algorithm>
#include <chrono>
#include <future>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>

#include "common/number.h"
#include "common/text.h"
#include "patch/hex.h"
#include "patch/safe_save.h"
#include "patch/target_pass.h"
#include "patch/value.h"

namespace korrin::patch {
namespace {

bool HasWildcard(std::string_view pattern) {
    return pattern.find_first_of("*?") != std::string_view::npos;
}

std::string SaveFailedMessage(const SaveOutcome& outcome) {
    if (outcome.changedMeanwhile) return std::string(kTargetChangedMessage);
    switch (outcome.target) {
        case TargetState::kUnchanged:
            if (outcome.status.error == ErrorCode::kAccessDenied) {
                return std::string(kTargetOpenMessage);
            }
            return "VPLACES.EXE could not be saved: " + outcome.status.reason +
                   ". The file was left as it was.";
        case TargetState::kReplaced:
            return "VPLACES.EXE was written, but the system could not confirm that it reached the "
                   "disk: " +
                   outcome.status.reason;
        case TargetState::kMaybeDamaged:
            break;
    }
    return "VPLACES.EXE could not be saved and may be damaged: " + outcome.status.reason +
           ". Restore it from a copy before patching again.";
}

}  // namespace

// Worked out before the target is read, so that a patch that could never succeed costs no
// reading and writes nothing.
std::optional<Plan> MakePlan(const ApplyRequest& request) {
    Plan plan;
    const catalogue::Locations locations = catalogue::SplitLocations(request.locationList);
    plan.orMode = locations.orMode;
    const std::vector<std::string>& signatures = locations.signatures;
    if (signatures.empty()) return std::nullopt;

    std::vector<std::string> items;
    std::optional<Bytes> sameForAll;
    if (request.valueKind == catalogue::ValueKind::kYesNo) {
        items = SplitList(request.secondOption ? request.offBytes : request.onBytes, ',');
        if (items.size() < signatures.size()) return std::nullopt;
    } else if (request.valueKind == catalogue::ValueKind::kNumber) {
        sameForAll = NumberToBytes(ReadNumber(request.value));
        if (!sameForAll) return std::nullopt;
    } else if (request.valueKind == catalogue::ValueKind::kText) {
        sameForAll = request.value;
    } else {
        return std::nullopt;
    }

    for (std::size_t i = 0; i < signatures.size(); ++i) {
        Edit edit{HexToBytes(signatures[i]), sameForAll ? *sameForAll : HexToBytes(items[i])};
        if (edit.signature.empty()) return std::nullopt;
        plan.edits.push_back(std::move(edit));
    }
    return plan;
}

bool Patched(const Plan& plan, const std::vector<int>& statuses) {
    const auto applied = std::count(statuses.begin(), statuses.end(), 1);
    return plan.orMode ? applied > 0 : applied == std::ssize(plan.edits);
}

std::string IncompleteMessage(const std::vector<std::string>& problems) {
    std::string list;
    for (const std::string& problem : problems) {
        if (!list.empty()) list += "; ";
        list += problem;
    }
    return "This patch cannot be applied because its definition is incomplete: " + list +
           ". Nothing was changed.";
}

std::string LoadFailedMessage(const Status& status) {
    if (status.error == ErrorCode::kPathNotFound) return std::string(kInvalidPathMessage);
    return "VPLACES.EXE could not be loaded: " + status.reason;
}

ApplyRequest ApplyRequest::ForDefinition(const catalogue::DefinitionView& view) {
    ApplyRequest request;
    request.valueKind = view.valueKind;
    request.onBytes = view.onBytes();
    request.offBytes = view.offBytes();
    request.locationList = view.locationList.value_or(std::string());
    request.definitionProblems = view.problems;
    if (!view.read && request.definitionProblems.empty()) {
        request.definitionProblems.push_back("its file was not read");
    }
    request.value = view.valueText.value_or(std::string());
    return request;
}

bool TargetExists(platform::FileSystem& fs, std::string_view pathText) {
    if (pathText.empty()) return false;
    const std::size_t slash = platform::LastSeparator(pathText);
    const std::string folder(slash == std::string_view::npos ? std::string_view()
                                                             : pathText.substr(0, slash + 1));
    const std::string_view last =
        slash == std::string_view::npos ? pathText : pathText.substr(slash + 1);

    if (!last.empty() && !HasWildcard(last)) {
        return last.front() != '.' && fs.IsRegularFile(std::string(pathText));
    }
    Status status;
    const std::vector<std::string> names = fs.ListFiles(folder, &status);
    // A folder named with its separator at the end stands for any file in it.
    if (last.empty()) return !names.empty();
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& name) { return WildcardMatch(last, name); });
}

namespace {

// How often a caller that waits for Apply is called back: often enough for a window to repaint
// without the user seeing it stall.
constexpr std::chrono::milliseconds kTick{40};

ApplyResult Apply(platform::FileSystem& fs, const ApplyRequest& request,
                  const SpansWritten& onWritten) {
    if (!request.definitionProblems.empty()) {
        return {ApplyOutcome::kDefinitionIncomplete, IncompleteMessage(request.definitionProblems)};
    }
    if (!TargetExists(fs, request.targetPath)) {
        return {ApplyOutcome::kTargetMissing,
                request.targetPath + std::string(kDoesNotExistSuffix)};
    }
    const std::optional<Plan> plan = MakePlan(request);
    if (!plan) return {ApplyOutcome::kPatchFailed, std::string(kPatchFailedMessage)};

    std::unique_ptr<platform::ReadableFile> file;
    platform::FileInfo read;
    Status status = fs.OpenForReading(request.targetPath, &file, &read);
    if (!status.ok()) return {ApplyOutcome::kLoadFailed, LoadFailedMessage(status)};

    // The save's first half runs on a second thread. The search waits for its copy: the
    // system's copy and the search both read the whole target, and together they slowed each
    // other down by more than the search takes alone. The flush that follows the copy mostly
    // waits for the disk, and the search runs then.
    Replacement replacement(fs, request.targetPath, read);
    TargetPass pass(*file, read.size);
    const std::size_t edits = pass.AddEdits(plan->edits, !plan->orMode);
    {
        std::promise<void> copied;
        const auto tell = [&copied] { copied.set_value(); };
        std::jthread saver;
        try {
            saver = std::jthread([&replacement, &tell] { replacement.Begin(tell); });
        } catch (const std::system_error&) {
            replacement.Begin(tell);  // no thread to be had: one after the other
        }
        copied.get_future().wait();
        status = pass.Run();
    }
    file.reset();
    const bool patched = status.ok() && Patched(*plan, pass.edits(edits).statuses);
    if (!patched) {
        replacement.Abandon();
        // What was read may be half of what another program was writing meanwhile: say that
        // rather than what the bytes read seemed to say.
        if (replacement.ChangedSinceRead()) {
            return {ApplyOutcome::kSaveFailed, std::string(kTargetChangedMessage)};
        }
        if (!status.ok()) return {ApplyOutcome::kLoadFailed, LoadFailedMessage(status)};
        return {ApplyOutcome::kPatchFailed, std::string(kPatchFailedMessage)};
    }
    const std::vector<Change>& changes = pass.edits(edits).changes;
    if (onWritten) {
        std::vector<WrittenSpan> writes;
        for (const Change& change : changes) {
            writes.push_back({change.at, change.before, change.after});
        }
        const std::vector<WrittenSpan> spans = FoldWrites(writes);
        if (!spans.empty()) onWritten(spans);
    }
    const SaveOutcome saved = replacement.Commit(changes);
    if (!saved.ok()) return {ApplyOutcome::kSaveFailed, SaveFailedMessage(saved)};
    return {ApplyOutcome::kApplied, std::string(kPatchCompletedMessage)};
}

}  // namespace

ApplyResult ApplyPatch(platform::FileSystem& fs, const ApplyRequest& request,
                       const std::function<void()>& whileWaiting, const SpansWritten& onWritten) {
    if (!whileWaiting) return Apply(fs, request, onWritten);
    std::future<ApplyResult> done;
    try {
        done = std::async(std::launch::async, [&] { return Apply(fs, request, onWritten); });
    } catch (const std::system_error&) {
        return Apply(fs, request, onWritten);  // no thread to be had: the caller waits
    }
    while (done.wait_for(kTick) != std::future_status::ready) whileWaiting();
    return done.get();
}

}  // namespace korrin::patch
