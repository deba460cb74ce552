#pragma once

// Apply: the selected patch, with the user's value, onto the target file, and the one message
// that tells the user how it went. The window's Apply button and a command line call this
// alone, so that every rule and every message of applying a patch lives here.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/definition.h"
#include "patch/written_span.h"
#include "platform/file_system.h"

namespace korrin::patch {

inline constexpr std::string_view kDoesNotExistSuffix =
    " does not exist. Please verify the path is right in the 'Find' tab";
inline constexpr std::string_view kPatchFailedMessage =
    "Patch failed. This may be because the VP build you are trying to patch does not allow this "
    "patch";
inline constexpr std::string_view kPatchCompletedMessage = "Patch completed successfully";

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
// signature's bytes, loads the target, patches it in memory and writes it back. In and-mode
// every signature must be found, in or-mode (kOrPrefix) at least one, and every one found is
// patched. The target is written only on success. A definition that is incomplete, names no
// signature, has a signature that decodes to no bytes, an option with fewer items than there
// are signatures, a kind other than "yn", "num" and "text", or a number with no two-byte form
// is not applied and the target is left alone.
//
// onWritten, when given, is told what the Apply changed before the target is replaced.
ApplyResult ApplyPatch(platform::FileSystem& fs, const ApplyRequest& request,
                       const SpansWritten& onWritten = {});

class vpPatch;

// ApplyPatch on a target that engine has loaded already, short of the save: the result Apply
// would give, from the same rules and with the same message, except that in place of the save
// it only asks whether the file may be written now. engine's data is left as loaded, so that
// one load serves any number of patches. The existence test is the caller's, before the load.
// firstOccurrence, when given, tells where a signature first occurs in the loaded data
// (kNotFound for nowhere), for a caller that has searched for every signature already.
ApplyResult RehearseApply(
    platform::FileSystem& fs, vpPatch& engine, const ApplyRequest& request,
    const std::function<std::size_t(std::string_view signature)>& firstOccurrence = {});

}  // namespace korrin::patch
