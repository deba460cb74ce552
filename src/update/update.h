#pragma once

// The end of an update, after the server has closed the connection: what the window's Close
// handler and a command line both call.

#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "update/reception.h"

namespace korrin::update {

inline constexpr std::string_view kCompletedMessage = "Auto update completed.";

struct UpdateOutcome {
    // The script ran: the window is to be rebuilt, so that the catalogue is read again, and given
    // the description.
    bool completed = false;
    std::string message;             // for the message box, always set
    std::string description;         // for txtAbout; empty unless completed
    std::vector<std::string> notes;  // steps of the script that were refused or failed
};

// Stores body as programFolder + "patch.dsc" (programFolder ends in a separator), reads it back,
// runs it as the update script, and deletes it. When the file cannot be stored or read back
// intact nothing runs, and the message says why.
UpdateOutcome RunUpdate(platform::FileSystem& fs, const std::string& programFolder,
                        std::string_view body, std::string_view ownExecutableName);

// The message box's text for an outcome: its message and, after a completed update whose script
// could not do every step, those steps, the first `listed` of them and then how many more.
std::string MessageWithSteps(const UpdateOutcome& outcome, std::size_t listed = 10);

// Judges the finished reception (see JudgeResponse) and, when its body is usable, runs it.
UpdateOutcome FinishUpdate(platform::FileSystem& fs, const std::string& programFolder,
                           const Reception& reception, std::string_view ownExecutableName);

}  // namespace korrin::update
