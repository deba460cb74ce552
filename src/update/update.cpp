#include "update/update.h"

#include "update/request.h"
#include "update/response.h"
#include "update/script.h"

namespace korrin::update {
namespace {

UpdateOutcome NotMade(std::string_view what, const Status& status) {
    UpdateOutcome outcome;
    outcome.message = std::string(what) + ": " + status.reason + "; no update was made.";
    return outcome;
}

}  // namespace

UpdateOutcome RunUpdate(platform::FileSystem& fs, const std::string& programFolder,
                        std::string_view body, std::string_view ownExecutableName) {
    const std::string path = programFolder + std::string(kDescriptionFileName);
    if (const Status status = platform::WriteWholeFile(fs, path, body); !status.ok()) {
        IgnoreStatus(fs.RemoveFile(path),
                     "a partial patch.dsc runs nowhere; the next update overwrites it");
        return NotMade("The update could not be stored", status);
    }
    std::string script;
    Status status = fs.ReadFile(path, &script);
    if (status.ok() && script != body) {
        status = {ErrorCode::kOther, path + ": the file read back differs from the update"};
    }
    if (!status.ok()) {
        IgnoreStatus(fs.RemoveFile(path),
                     "a partial patch.dsc runs nowhere; the next update overwrites it");
        return NotMade("The update could not be read back", status);
    }

    ScriptResult result = RunScript(fs, programFolder, script, ownExecutableName);
    // The script may have deleted the file itself, which is no failure.
    if (const Status removed = fs.RemoveFile(path);
        !removed.ok() && removed.error != ErrorCode::kPathNotFound) {
        result.notes.push_back("cannot delete " + path + ": " + removed.reason);
    }
    return {true, std::string(kCompletedMessage), std::move(result.description),
            std::move(result.notes)};
}

std::string MessageWithSteps(const UpdateOutcome& outcome, std::size_t listed) {
    std::string text = outcome.message;
    if (!outcome.completed || outcome.notes.empty()) return text;
    text += "\n\nThese steps of the update were not done:";
    for (std::size_t i = 0; i < outcome.notes.size() && i < listed; ++i) {
        text += "\n" + outcome.notes[i];
    }
    if (outcome.notes.size() > listed) {
        text += "\nand " + std::to_string(outcome.notes.size() - listed) + " more.";
    }
    return text;
}

UpdateOutcome FinishUpdate(platform::FileSystem& fs, const std::string& programFolder,
                           const Reception& reception, std::string_view ownExecutableName) {
    const ResponseVerdict verdict = JudgeResponse(reception);
    if (!verdict.usable) return {false, verdict.message, {}, {}};
    return RunUpdate(fs, programFolder, verdict.body, ownExecutableName);
}

}  // namespace korrin::update
