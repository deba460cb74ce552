#pragma once

// Apply: the selected patch, with the user's value, onto the target file, and the one message
// that tells the user how it went. The window's Apply button and a command line call this
// alone, so that every rule and every message of applying a patch lives here.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/definition.h"
#include "patch/target_pass.h"
#include "patch/written_span.h"
#include "platform/file_system.h"

namespace korrin::patch {

inline constexpr std::string_view kDoesNotExistSuffix =
    " does not exist. Please verify the path is right in the 'Find' tab";
inline constexpr std::string_view kPatchFailedMessage =
    "Patch failed. This may be because the VP build you are trying to patch does not allow this "
    "patch";
inline constexpr std::string_view kPatchCompletedMessage = "Patch completed successfully";
inline constexpr std::string_view kInvalidPathMessage =
    "VPLACES.EXE path is invalid and the exe could not be loaded. Please reenter the path and "
    "try again";
inline constexpr std::string_view kTargetOpenMessage =
    "You currently have VPLACES.EXE open. Please close it and try patching again";
inline constexpr std::string_view kTargetChangedMessage =
    "VPLACES.EXE was changed by another program while it was being patched, and was left as "
    "that program left it. Please try patching again";

struct ApplyRequest {
    std::string targetPath;  // the path as the user gave it; used unchanged
    catalogue::ValueKind valueKind = catalogue::ValueKind::kUnknown;
    std::string onBytes;       // the first option's hex items, separated by ","
    std::string offBytes;      // the second option's
    std::string locationList;  // hex signatures separated by ",", or-mode after kOrPrefix
    std::vector<std::string> definitionProblems;  // what the definition lacks; empty if nothing
    bool secondOption = false;                    // the second option chosen, not the first
    // The value box, one byte per character in the single-byte code page. Characters that the
    // code page lacks are the caller's to turn into "?" when it encodes the text.
    std::string value;

    // The fields a definition gives, its default value included.
    static ApplyRequest ForDefinition(const catalogue::DefinitionView& view);
};

enum class ApplyOutcome {
    kApplied,
    kDefinitionIncomplete,
    kTargetMissing,
    kLoadFailed,
    kPatchFailed,
    kSaveFailed,
};

struct ApplyResult {
    ApplyOutcome outcome = ApplyOutcome::kPatchFailed;
    std::string message;  // the message box to show; never empty

    bool succeeded() const { return outcome == ApplyOutcome::kApplied; }
};

// Whether pathText names an ordinary file: its last part may hold the wildcards * and ?
// (matched with letter case, as the file system names files), and a text ending in a
// separator stands for any file in that folder. Folders, hidden files and anything else that
// is not a regular file never count; an empty text names nothing.
bool TargetExists(platform::FileSystem& fs, std::string_view pathText);

// Applies the patch: checks the definition and that the target exists, works out every
// signature's bytes, then reads the target once while a copy of it is made beside it, and
// writes the changed bytes over the copy, which then replaces the target. In and-mode every
// signature must be found, in or-mode (kOrPrefix) at least one, and every one found is
// patched; each signature is searched for in the bytes the earlier ones left. The target is
// replaced only on success, and only while it is the version that was read. A definition that
// is incomplete, names no signature, has a signature that decodes to no bytes, an option with
// fewer items than there are signatures, a kind other than "yn", "num" and "text", or a number
// with no two-byte form is not applied and the target is left alone.
//
// whileWaiting, when given, is called on the caller's thread every few tens of milliseconds
// until Apply returns, while the work runs on other threads: a window repaints through it.
//
// onWritten, when given, is told what the Apply changed before the target is replaced, on the
// thread that does the work.
ApplyResult ApplyPatch(platform::FileSystem& fs, const ApplyRequest& request,
                       const std::function<void()>& whileWaiting = {},
                       const SpansWritten& onWritten = {});

// The edits a request makes, in order, and whether they are alternatives (or-mode); none when
// the patch cannot be applied whatever the target holds.
struct Plan {
    bool orMode = false;
    std::vector<Edit> edits;
};
std::optional<Plan> MakePlan(const ApplyRequest& request);
// Whether the statuses of the plan's edits make the patch as a whole a success.
bool Patched(const Plan& plan, const std::vector<int>& statuses);

// The message for a definition with problems, for a target that could not be read, and for a
// save that failed.
std::string IncompleteMessage(const std::vector<std::string>& problems);
std::string LoadFailedMessage(const Status& status);

}  // namespace korrin::patch
