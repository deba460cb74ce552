#pragma once

// The patch definition format: plain-text *.pat files in the program folder, one key per line.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace korrin::catalogue {

enum class Key { kNone, kPatch, kDescription, kParam, kLocation };

struct KeyedLine {
    Key key = Key::kNone;
    std::string value;  // the rest of the line after the colon, exactly as written
};

// Tells which key a line carries. The key is matched at the line's first character on a
// lower-cased copy, colon included; the value keeps its own letters and blanks.
KeyedLine ClassifyLine(std::string_view line);

// What the value of a patch is: a choice of two options ("yn"), a number ("num"), a text
// ("text"), or anything else, which a definition may name but Apply refuses.
enum class ValueKind { kYesNo, kNumber, kText, kUnknown };

// The kind a lower-cased field 0 of a "param:" line names.
ValueKind KindFromText(std::string_view lowered);

// One option of a two-choice ("yn") patch: "caption:byte list", split at the first colon.
struct YnOption {
    std::string caption;
    std::string bytes;
};
YnOption SplitOption(std::string_view field);

// What one "param:" value says: the value kind and, by kind, its options or default text.
struct ParamValue {
    ValueKind kind = ValueKind::kUnknown;
    std::string kindText;                 // field 0, lower-cased, as the file names the kind
    std::optional<YnOption> firstOption;  // set for "yn", even when the field is missing
    std::optional<YnOption> secondOption;
    std::optional<std::string> valueText;  // field 1 of "num" or "text"
    // The fields the kind needs and the value lacks; empty when it is complete. An unknown kind
    // is complete here: it is Apply that patches nothing for it.
    std::vector<std::string> problems;
};
ParamValue ReadParam(std::string_view value);

// The prefix that puts a location list in or-mode. Compared exactly: "OR|" is not it.
inline constexpr std::string_view kOrPrefix = "or|";

// A "location:" value taken apart: its mode and its signatures, as written.
struct Locations {
    bool orMode = false;
    std::vector<std::string> signatures;
};
Locations SplitLocations(std::string_view value);

// What reading one definition file gives the selection view: the description and value controls
// to put on view and the four fields that Apply works from.
struct DefinitionView {
    bool read = false;  // false when the file could not be read; then nothing else is set

    std::optional<std::string> description;  // the last "description:" line, when there is one

    bool hasParam = false;
    ValueKind valueKind = ValueKind::kUnknown;  // of the last "param:" line
    std::string valueKindText;                  // its field 0, lower-cased
    std::optional<YnOption> firstOption;        // the options of the last "yn" line
    std::optional<YnOption> secondOption;
    std::optional<std::string> valueText;  // field 1 of the last "num" or "text" line

    std::optional<std::string> locationList;  // the last "location:" value, prefix included

    // What keeps Apply from using this definition; empty when it is complete.
    std::vector<std::string> problems;

    bool complete() const { return read && problems.empty(); }
    bool showsOptions() const { return hasParam && valueKind == ValueKind::kYesNo; }
    // The byte lists Apply uses for the two options; empty unless the last "yn" line set them.
    std::string onBytes() const { return firstOption ? firstOption->bytes : std::string(); }
    std::string offBytes() const { return secondOption ? secondOption->bytes : std::string(); }
};

// Reads a definition from its text (the whole file, one byte per character).
DefinitionView ParseDefinition(std::string_view contents);

// Reads the definition file at path. A file that cannot be read gives a view with read false
// and a problem that says why.
DefinitionView ReadDefinition(platform::FileSystem& fs, const std::string& path);

}  // namespace korrin::catalogue
