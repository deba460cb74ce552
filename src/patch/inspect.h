#pragma once

// What a target holds for each of a set of definitions, read in one pass over it and written
// nowhere: where each signature is, the bytes after it, which option, number or text that
// makes, and whether Apply would succeed there.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "catalogue/definition.h"
#include "patch/apply.h"
#include "patch/target_pass.h"
#include "platform/file_system.h"

namespace korrin::patch {

struct SiteReading {
    std::string text;  // the signature as the definition writes it
    Bytes bytes;
    Occurrences occurrences;  // the first offsets listed up to a limit; the count covers all
    // After the first occurrence: as many bytes as Apply would write there, a text up to its
    // zero byte, a few when the definition does not tell; fewer at the end of the file.
    Bytes following;
    int option = 0;  // "yn": which option's bytes follow: 1, 2, 3 for both alike, 0 for neither
};

// What the found sites hold together.
enum class Held {
    kNoKind,            // the definition has no value kind
    kNoSignature,       // it names no signature
    kNotFound,          // no signature was found
    kBothOptions,       // the two options write the same bytes here
    kOption,            // option 1 or 2 (option)
    kMixedOptions,      // the sites do not hold the same option
    kNeitherOption,     //
    kNumber,            // number
    kDifferentNumbers,  // or too few bytes for one
    kText,              // text
    kDifferentTexts,
    kUnknownKind,  // a kind Apply does not know
};

struct HeldValue {
    Held held = Held::kNoKind;
    int option = 0;
    long number = 0;
    Bytes text;
};

struct EntryReading {
    bool orMode = false;
    std::vector<SiteReading> sites;
    HeldValue value;
    ApplyResult rehearsal;  // what Apply would say, the save left out but for its first question
};

struct Inspection {
    bool read = false;    // false: the target is missing or unreadable, message says which
    std::string message;  // Apply's own message for that
    std::uint64_t size = 0;
    std::vector<EntryReading> entries;  // one per definition, in order
};

// Inspects the target at path (used unchanged, as Apply uses it) for every definition, at most
// offsetLimit offsets listed per signature.
Inspection Inspect(platform::FileSystem& fs, const std::string& path,
                   std::span<const catalogue::DefinitionView> definitions, std::size_t offsetLimit);

}  // namespace korrin::patch
