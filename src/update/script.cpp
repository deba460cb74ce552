#include "update/script.h"

#include <algorithm>
#include <memory>

#include "common/text.h"
#include "update/shown_text.h"

namespace korrin::update {
namespace {

constexpr std::string_view kDescriptionCommand = "open description";
constexpr std::string_view kOpenCommand = "open ";
constexpr std::string_view kKillCommand = "kill ";
constexpr std::string_view kCloseCommand = "close";
// What an "open description" line becomes once handled: no later step takes it for a command,
// and it is never shown.
constexpr std::string_view kHiddenLine = "||";
constexpr std::string_view kLineEnd = "\r\n";
// Output lines are gathered and written in chunks of this size rather than one call per line.
constexpr std::size_t kWriteChunk = 64 * 1024;

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && LowerCase(a) == LowerCase(b);
}

// Letter case is ignored: Windows file names ignore case, and scripts are written for them.
bool WildcardMatchAnyCase(std::string_view pattern, std::string_view name) {
    return WildcardMatch(LowerCase(pattern), LowerCase(name));
}

enum class Use { kOpen, kKill };

// Windows takes these names, with any extension, for devices rather than files: "open nul.pat"
// would write nowhere, "open COM1" to a serial port. Refused everywhere, as scripts are written
// for every platform alike.
bool IsDeviceName(std::string_view name) {
    std::string_view stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
    const std::string lower = LowerCase(stem);
    if (lower == "con" || lower == "prn" || lower == "aux" || lower == "nul") return true;
    return lower.size() == 4 && (lower.starts_with("com") || lower.starts_with("lpt")) &&
           lower[3] >= '1' && lower[3] <= '9';
}

// Why a script may not use name, or null when it may. Every name is joined to the program folder,
// so anything that could reach another folder, or that Windows would not take as a file name
// (drives, either separator, reserved characters), is refused rather than given a meaning here.
const char* Refusal(std::string_view name, Use use) {
    if (name.empty()) return "no name";
    if (name == "." || name == "..") return "not a file name";
    // Named first, whatever else the name holds: a path of any system is refused for being one.
    if (name.find_first_of("/\\") != std::string_view::npos)
        return "a folder separator in the name";
    for (const char ch : name) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte < 0x20 || byte == 0x7F) return "a control character in the name";
        if (std::string_view("<>:\"|").find(ch) != std::string_view::npos) {
            return "a character not allowed in file names";
        }
        if (use == Use::kOpen && (ch == '*' || ch == '?')) return "a wildcard in the name";
    }
    if (IsDeviceName(name)) return "a device name on Windows";
    return nullptr;
}

class ScriptRunner {
  public:
    ScriptRunner(platform::FileSystem& fs, const std::string& folder, std::string_view exe)
        : fs_(fs), folder_(folder), exe_(exe) {}

    // The steps in this order, each seeing the line as the steps before left it: that is what
    // makes a "kill" line shown or written too, and an "open description" line neither.
    void Handle(std::string line) {
        ++lineNumber_;
        if (line == kDescriptionCommand) {
            descriptionOn_ = true;
            line = kHiddenLine;
            if (outputOpen_) CloseOutput();
        }
        if (StartsWith(line, kKillCommand))
            Kill(std::string_view(line).substr(kKillCommand.size()));
        if (StartsWith(line, kOpenCommand)) {
            Open(std::string_view(line).substr(kOpenCommand.size()));
            outputOpen_ = true;
            line.clear();
            descriptionOn_ = false;
        }
        if (line == kCloseCommand) {
            line.clear();
            descriptionOn_ = false;
            if (outputOpen_) CloseOutput();
        }
        if (outputOpen_ && !line.empty()) Write(line);
        if (descriptionOn_ && line != kHiddenLine) {
            result_.description += line;
            result_.description += kLineEnd;
        }
    }

    ScriptResult Finish() {
        if (outputOpen_) CloseOutput();
        return std::move(result_);
    }

  private:
    void Note(const std::string& text) {
        result_.notes.push_back("line " + std::to_string(lineNumber_) + ": " + text);
    }

    std::vector<std::string> FolderNames() {
        Status status;
        std::vector<std::string> names = fs_.ListFiles(folder_, &status);
        if (!status.ok()) Note("cannot list the program folder: " + status.reason);
        std::sort(names.begin(), names.end());
        return names;
    }

    // The running program's file, and the tool's other program, which may share the folder: an
    // update run from the command line must not remove the window, nor the other way round.
    bool IsOwnExecutable(std::string_view name) const {
        if (!exe_.empty() && SameName(name, exe_)) return true;
        for (const std::string_view program :
             {"korrin-patcher", "korrin-patch", "korrin-patcher.exe", "korrin-patch.exe"}) {
            if (SameName(name, program)) return true;
        }
        return false;
    }

    void Kill(std::string_view pattern) {
        const std::string command = "kill \"" + ShownText(pattern) + "\"";
        if (const char* why = Refusal(pattern, Use::kKill)) {
            Note(command + " refused: " + why);
            return;
        }
        for (const std::string& name : FolderNames()) {
            if (!WildcardMatchAnyCase(pattern, name)) continue;
            if (IsOwnExecutable(name)) {
                Note(command + " spared " + name + ", the program's own file");
            } else if (output_ && name == outputName_) {
                // Deleting it would lose the lines still to come; Windows refuses to delete an
                // open file too.
                Note(command + " spared " + name + ", which is open for writing");
            } else if (const Status status = fs_.RemoveFile(folder_ + name); !status.ok()) {
                Note(command + " failed: " + status.reason);
            }
        }
    }

    void Open(std::string_view name) {
        const std::string command = "open \"" + ShownText(name) + "\"";
        if (output_) {
            Note(command + " ignored: " + outputName_ + " is still open");
            return;
        }
        const char* why = Refusal(name, Use::kOpen);
        if (why == nullptr && IsOwnExecutable(name)) why = "the program's own file";
        if (why != nullptr) {
            Note(command + " refused: " + why);
            return;
        }
        // Replace an existing file of this name in another letter case rather than add a twin:
        // Windows file names ignore case, so a script cannot mean two files.
        std::string target(name);
        for (const std::string& existing : FolderNames()) {
            if (existing == name) {
                target = existing;
                break;
            }
            if (SameName(existing, name) && target == name) target = existing;
        }
        if (const Status status = fs_.NewWritableFile(folder_ + target, &output_); !status.ok()) {
            output_.reset();
            Note(command + " failed: " + status.reason);
            return;
        }
        outputName_ = target;
    }

    void Write(std::string_view line) {
        if (!output_) return;  // the file could not be created: its lines are dropped
        pending_ += line;
        pending_ += kLineEnd;
        if (pending_.size() >= kWriteChunk) Flush();
    }

    void Flush() {
        if (pending_.empty()) return;
        const Status status = output_->Append(pending_);
        pending_.clear();
        if (!status.ok()) Note("writing " + outputName_ + " failed: " + status.reason);
    }

    void CloseOutput() {
        outputOpen_ = false;
        if (!output_) return;
        Flush();
        if (const Status status = output_->Close(); !status.ok()) {
            Note("closing " + outputName_ + " failed: " + status.reason);
        }
        output_.reset();
    }

    platform::FileSystem& fs_;
    const std::string& folder_;
    const std::string_view exe_;

    bool outputOpen_ = false;
    bool descriptionOn_ = false;
    // Null while outputOpen_ when the file could not be opened.
    std::unique_ptr<platform::WritableFile> output_;
    std::string outputName_;
    std::string pending_;

    std::size_t lineNumber_ = 0;
    ScriptResult result_;
};

}  // namespace

ScriptResult RunScript(platform::FileSystem& fs, const std::string& programFolder,
                       std::string_view script, std::string_view ownExecutableName) {
    ScriptRunner runner(fs, programFolder, ownExecutableName);
    for (std::string& line : SplitLines(script)) runner.Handle(std::move(line));
    return runner.Finish();
}

}  // namespace korrin::update
