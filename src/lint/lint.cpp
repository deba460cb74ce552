#include "lint/lint.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>

#include "catalogue/catalogue.h"
#include "catalogue/definition.h"
#include "common/text.h"
#include "patch/hex.h"
#include "patch/hex_chunks.h"

namespace korrin::lint {

using catalogue::CatalogueEntry;
using catalogue::ClassifyLine;
using catalogue::FileNameFromEntry;
using catalogue::kEntryLink;
using catalogue::Key;
using catalogue::KeyedLine;
using catalogue::kOrPrefix;
using catalogue::ListDefinitionFiles;
using catalogue::ParamValue;
using catalogue::ReadParam;
using catalogue::SplitLocations;
using catalogue::SplitOption;
using catalogue::YnOption;
namespace {

std::string Quote(std::string_view text) {
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted.append(1, '"').append(text).append(1, '"');
    return quoted;
}

std::string_view KeyName(Key key) {
    switch (key) {
        case Key::kPatch:
            return "patch:";
        case Key::kDescription:
            return "description:";
        case Key::kParam:
            return "param:";
        case Key::kLocation:
            return "location:";
        case Key::kNone:
            break;
    }
    return "";
}

std::string_view WhyDropped(std::string_view chunk) {
    if (chunk.size() == 1) return "a lone last character";
    if (chunk.find_first_of(" \t") != std::string_view::npos) return "a blank";
    if (chunk.find_first_of("abcdef") != std::string_view::npos &&
        chunk.find_first_not_of("0123456789ABCDEFabcdef") == std::string_view::npos) {
        return "lower case";
    }
    return "not hex";
}

// What the hex decoder makes of item, when it is not simply every pair: empty when it is.
// what names the item ("signature 2"); the finding's code tells a signature that decodes to
// nothing, which Apply refuses, from bytes that are merely fewer than written.
struct HexReport {
    std::string code;
    std::string message;
};

std::optional<HexReport> ReportHex(const std::string& what, std::string_view item,
                                   bool isSignature) {
    if (item.empty()) {
        return HexReport{
            isSignature ? "empty-signature" : "hex-dropped",
            what + " is empty (two commas in a row, or a comma at an end of the list)"};
    }
    std::vector<std::string> dropped;
    for (const patch::HexChunk& chunk : patch::HexChunks(item)) {
        if (!chunk.kept)
            dropped.push_back(Quote(chunk.text) + " (" + std::string(WhyDropped(chunk.text)) + ")");
    }
    if (dropped.empty()) return std::nullopt;
    std::string list;
    constexpr std::size_t kListed = 4;
    for (std::size_t i = 0; i < dropped.size() && i < kListed; ++i) {
        if (i > 0) list += i + 1 == dropped.size() ? " and " : ", ";
        list += dropped[i];
    }
    if (dropped.size() > kListed)
        list += " and " + std::to_string(dropped.size() - kListed) + " more";
    const patch::Bytes bytes = patch::HexToBytes(item);
    if (bytes.empty()) {
        return HexReport{isSignature ? "empty-signature" : "hex-dropped",
                         what + " " + Quote(item) + " decodes to no bytes: the decoder drops " +
                             list + (isSignature ? "" : ", so Apply writes nothing there")};
    }
    return HexReport{"hex-dropped", what + " " + Quote(item) + ": the decoder drops " + list +
                                        ", so it stands for " + HexPairs(bytes) + " only"};
}

std::string Plural(std::size_t n, std::string_view one, std::string_view many) {
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

class Linter {
  public:
    explicit Linter(std::string_view fileName) : fileName_(fileName) {}

    std::vector<LintFinding> Run(std::string_view contents) {
        CheckByteOrderMark(contents);
        const std::vector<std::string> lines = SplitLines(contents);
        // The window's lines hold every lone LF, each of which starts a new line in an editor.
        int editorLine = 1;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string& line = lines[i];
            // A line that a CR ends is followed by another one, if only an empty one.
            const bool last = i + 1 == lines.size() && !contents.ends_with('\r');
            CheckLine(line, editorLine, last);
            editorLine += 1 + static_cast<int>(std::count(line.begin(), line.end(), '\n'));
        }
        CheckWhole();
        std::stable_sort(findings_.begin(), findings_.end(),
                         [](const LintFinding& a, const LintFinding& b) {
                             // File-wide findings last: they sum up what the lines did not give.
                             constexpr int kLast = std::numeric_limits<int>::max();
                             const int la = a.line == 0 ? kLast : a.line;
                             const int lb = b.line == 0 ? kLast : b.line;
                             return la < lb;
                         });
        return std::move(findings_);
    }

  private:
    void Add(int line, std::string code, std::string message) {
        findings_.push_back({line, std::move(code), std::move(message)});
    }

    void CheckByteOrderMark(std::string_view contents) {
        std::string_view name;
        if (StartsWith(contents, "\xEF\xBB\xBF")) {
            name = "a UTF-8";
        } else if (StartsWith(contents, "\xFF\xFE") || StartsWith(contents, "\xFE\xFF")) {
            name = "a UTF-16";
        } else {
            return;
        }
        Add(1, "byte-order-mark",
            "the file begins with " + std::string(name) +
                " byte-order mark, which the window reads as the first characters of this "
                "line, so a key at its start is not recognised");
    }

    void CheckLine(const std::string& line, int editorLine, bool last) {
        int at = editorLine;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] != '\n') continue;
            Add(at, "lf-line-end",
                i + 1 == line.size() && last
                    ? "the last line ends in LF alone, which the window keeps as its last character"
                    : "line ends in LF alone: the window reads it and the next line as one line");
            ++at;
        }

        KeyedLine keyed = ClassifyLine(line);
        switch (keyed.key) {
            case Key::kNone:
                CheckLeadingBlank(line, editorLine);
                return;
            case Key::kPatch:
                CheckTitle(keyed.value, editorLine);
                hasPatch_ = true;
                return;
            case Key::kDescription:
                CheckRepeat(Key::kDescription, editorLine);
                return;
            case Key::kParam:
                CheckRepeat(Key::kParam, editorLine);
                CheckParam(keyed.value, editorLine);
                return;
            case Key::kLocation:
                CheckRepeat(Key::kLocation, editorLine);
                CheckLocation(keyed.value, editorLine);
                return;
        }
    }

    void CheckLeadingBlank(std::string_view line, int editorLine) {
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == 0 || first == std::string_view::npos) return;
        const Key key = ClassifyLine(line.substr(first)).key;
        if (key == Key::kNone) return;
        Add(editorLine, "leading-blank",
            "blank before " + Quote(KeyName(key)) +
                ": a key counts only at the very start of a line, so the window passes over it");
    }

    void CheckTitle(const std::string& title, int editorLine) {
        const CatalogueEntry entry{title, std::string(fileName_)};
        if (FileNameFromEntry(entry.text()) == entry.fileName) return;
        const std::string_view why = title.find(kEntryLink) != std::string::npos
                                         ? "holds a run of 100 blanks"
                                         : "ends in a blank";
        Add(editorLine, "title-link",
            "title " + Quote(title) + " " + std::string(why) +
                ": the window cannot find this file again from the entry, so selecting it "
                "shows nothing");
    }

    void CheckRepeat(Key key, int editorLine) {
        std::optional<int>& seen = lastLine_[static_cast<std::size_t>(key)];
        if (seen) {
            Add(editorLine, "duplicate-key",
                "another " + Quote(KeyName(key)) + " line (the one before is on line " +
                    std::to_string(*seen) + "): only the last one counts");
        }
        seen = editorLine;
    }

    void CheckParam(std::string_view value, int editorLine) {
        const ParamValue param = ReadParam(value);
        lastParam_ = param;
        lastParamLine_ = editorLine;
        const std::vector<std::string> fields = SplitList(value, '|');
        if (fields.empty()) {
            Add(editorLine, "param-field", "the \"param:\" value is empty: it names no value kind");
            return;
        }
        if (param.kind == catalogue::ValueKind::kYesNo) {
            if (fields.size() < 3) {
                Add(editorLine, "param-field",
                    "\"yn\" needs two options, as \"yn|caption:bytes|caption:bytes\"; this one "
                    "has " +
                        Plural(fields.size() - 1, "option", "options"));
            }
            for (std::size_t i = 1; i < std::min<std::size_t>(fields.size(), 3); ++i) {
                if (fields[i].find(':') == std::string::npos) {
                    Add(editorLine, "param-field",
                        "option " + std::to_string(i) + " " + Quote(fields[i]) +
                            " has no \":\" between its caption and its bytes");
                    continue;
                }
                const std::vector<std::string> items = SplitList(SplitOption(fields[i]).bytes, ',');
                if (items.empty()) {
                    Add(editorLine, "hex-dropped",
                        "option " + std::to_string(i) + " has no bytes after its \":\"");
                }
                for (std::size_t j = 0; j < items.size(); ++j) {
                    const std::string what =
                        "option " + std::to_string(i) + " byte list " + std::to_string(j + 1);
                    if (auto report = ReportHex(what, items[j], false)) {
                        Add(editorLine, std::move(report->code), std::move(report->message));
                    }
                }
            }
        } else if (param.kind == catalogue::ValueKind::kNumber ||
                   param.kind == catalogue::ValueKind::kText) {
            if (fields.size() < 2) {
                Add(editorLine, "param-field",
                    Quote(param.kindText) + " needs a default value, as \"" + param.kindText +
                        "|value\"");
            }
        } else {
            Add(editorLine, "unknown-kind",
                "unknown value kind " + Quote(fields[0]) +
                    " (the kinds are yn, num and text): Apply writes nothing for it");
        }
    }

    void CheckLocation(std::string_view value, int editorLine) {
        lastLocationLine_ = editorLine;
        if (StartsWith(LowerCase(value), kOrPrefix) && !StartsWith(value, kOrPrefix)) {
            Add(editorLine, "or-prefix-case",
                Quote(value.substr(0, kOrPrefix.size())) +
                    " is not the or-mode prefix, which is \"or|\" in lower case: the list is in "
                    "and-mode and its first signature begins with these characters");
        }
        signatures_ = SplitLocations(value).signatures;
        if (signatures_.empty()) {
            Add(editorLine, "empty-signature", "the \"location:\" line names no signature");
        }
        for (std::size_t i = 0; i < signatures_.size(); ++i) {
            const std::string what = "signature " + std::to_string(i + 1);
            if (auto report = ReportHex(what, signatures_[i], true)) {
                Add(editorLine, std::move(report->code), std::move(report->message));
            }
        }
    }

    void CheckWhole() {
        if (!hasPatch_) {
            // Nothing else of a file outside the catalogue reaches the window.
            Add(0, "missing-key", "no \"patch:\" line: the file is not in the catalogue");
            return;
        }
        if (!lastLine_[static_cast<std::size_t>(Key::kDescription)]) {
            Add(0, "missing-key",
                "no \"description:\" line: the window shows no description for it");
        }
        if (!lastParam_) {
            Add(0, "missing-key", "no \"param:\" line: there is no value kind to apply");
        }
        if (!lastLocationLine_) {
            Add(0, "missing-key", "no \"location:\" line: there is no signature to patch");
        }
        // A "yn" line that lacks an option has been reported as such already.
        if (lastParam_ && lastParam_->kind == catalogue::ValueKind::kYesNo &&
            lastParam_->problems.empty() && lastLocationLine_) {
            const std::array<const std::optional<YnOption>*, 2> options = {
                &lastParam_->firstOption, &lastParam_->secondOption};
            for (std::size_t i = 0; i < options.size(); ++i) {
                const std::optional<YnOption>& option = *options[i];
                const std::size_t items = option ? SplitList(option->bytes, ',').size() : 0;
                if (items >= signatures_.size()) continue;
                Add(lastParamLine_, "short-option-list",
                    "option " + std::to_string(i + 1) + " has " +
                        Plural(items, "byte list", "byte lists") + " for " +
                        Plural(signatures_.size(), "signature", "signatures") + " (line " +
                        std::to_string(*lastLocationLine_) + "): each signature needs one");
            }
        }
    }

    std::string_view fileName_;
    std::vector<LintFinding> findings_;
    bool hasPatch_ = false;
    std::array<std::optional<int>, 5> lastLine_;
    std::optional<ParamValue> lastParam_;
    int lastParamLine_ = 0;
    std::optional<int> lastLocationLine_;
    std::vector<std::string> signatures_;
};

}  // namespace

std::vector<LintFinding> LintDefinition(std::string_view fileName, std::string_view contents) {
    return Linter(fileName).Run(contents);
}

std::vector<FileLint> LintFolder(platform::FileSystem& fs, const std::string& folder) {
    std::vector<FileLint> result;
    for (std::string& name : ListDefinitionFiles(fs, folder)) {
        FileLint file{std::move(name), {}};
        std::string contents;
        const Status status = fs.ReadFile(folder + file.fileName, &contents);
        if (status.ok()) {
            file.findings = LintDefinition(file.fileName, contents);
        } else {
            file.findings.push_back({0, "unreadable", "the file cannot be read: " + status.reason});
        }
        result.push_back(std::move(file));
    }
    return result;
}

}  // namespace korrin::lint
