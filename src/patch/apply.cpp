#include "patch/apply.h"

#include <algorithm>
#include <optional>

#include "common/number.h"
#include "common/text.h"
#include "patch/hex.h"
#include "patch/value.h"
#include "patch/vp_patch.h"

namespace korrin::patch {
namespace {

bool HasWildcard(std::string_view pattern) {
    return pattern.find_first_of("*?") != std::string_view::npos;
}

struct Plan {
    bool orMode = false;
    std::vector<Edit> edits;
};

// The bytes of every signature and what to write after it, or none when the patch cannot be
// applied as it stands. Worked out before the target is loaded, so that a patch that could
// never succeed costs no reading and writes nothing.
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

// Whether the statuses of the plan's edits make the patch as a whole a success.
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

}  // namespace

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

ApplyResult ApplyPatch(platform::FileSystem& fs, const ApplyRequest& request) {
    if (!request.definitionProblems.empty()) {
        return {ApplyOutcome::kDefinitionIncomplete, IncompleteMessage(request.definitionProblems)};
    }
    if (!TargetExists(fs, request.targetPath)) {
        return {ApplyOutcome::kTargetMissing,
                request.targetPath + std::string(kDoesNotExistSuffix)};
    }
    const std::optional<Plan> plan = MakePlan(request);
    if (!plan) return {ApplyOutcome::kPatchFailed, std::string(kPatchFailedMessage)};

    vpPatch engine(fs);
    if (engine.LoadExe(request.targetPath) == 0) {
        return {ApplyOutcome::kLoadFailed, engine.message()};
    }
    const std::vector<int> statuses = engine.PatchBytesInTurn(plan->edits, !plan->orMode);
    if (!Patched(*plan, statuses)) {
        return {ApplyOutcome::kPatchFailed, std::string(kPatchFailedMessage)};
    }

    if (engine.SaveExe(request.targetPath) == 0) {
        return {ApplyOutcome::kSaveFailed, engine.message()};
    }
    engine.ClearExeData();
    return {ApplyOutcome::kApplied, std::string(kPatchCompletedMessage)};
}

ApplyResult RehearseApply(
    platform::FileSystem& fs, vpPatch& engine, const ApplyRequest& request,
    const std::function<std::size_t(std::string_view signature)>& firstOccurrence) {
    if (!request.definitionProblems.empty()) {
        return {ApplyOutcome::kDefinitionIncomplete, IncompleteMessage(request.definitionProblems)};
    }
    const std::optional<Plan> plan = MakePlan(request);
    if (!plan) return {ApplyOutcome::kPatchFailed, std::string(kPatchFailedMessage)};

    std::vector<int> statuses;
    if (firstOccurrence) {
        std::vector<std::size_t> firsts;
        for (const Edit& edit : plan->edits) firsts.push_back(firstOccurrence(edit.signature));
        statuses = engine.PatchBytesInTurn(plan->edits, !plan->orMode, firsts);
    } else {
        statuses = engine.PatchBytesInTurn(plan->edits, !plan->orMode);
    }
    engine.RevertChanges();
    if (!Patched(*plan, statuses)) {
        return {ApplyOutcome::kPatchFailed, std::string(kPatchFailedMessage)};
    }
    // The save's own first question; what it is told no is the one message the save has.
    if (fs.ProbeWritable(request.targetPath).error == ErrorCode::kAccessDenied) {
        return {ApplyOutcome::kSaveFailed, std::string(kTargetOpenMessage)};
    }
    return {ApplyOutcome::kApplied, std::string(kPatchCompletedMessage)};
}

}  // namespace korrin::patch
