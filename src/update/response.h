#pragma once

// Judging a complete update response before anything of it is written: only the body of a whole,
// successful answer is ever run as a script.

#include <string>
#include <string_view>

#include "update/reception.h"

namespace korrin::update {

inline constexpr std::string_view kNoUpdateMessage = "No update available at this time";

struct ResponseVerdict {
    bool usable = false;
    std::string message;  // for the user when not usable; empty otherwise
    // Everything after the first empty line, which ends the header. It views the reception's
    // buffer and is valid while that buffer is unchanged. Empty when the header never ended.
    std::string_view body;
};

// Judges the response that the server ended by closing the connection. Not usable, with a
// message, when: it went over kMaxResponseBytes; nothing came; it does not begin with an HTTP
// status line; the status is not 2xx (404 says kNoUpdateMessage); the header never ended; the
// body is shorter than a "Content-Length" header announces (the connection was cut short); or
// the body holds "error 404" in any letter case (kNoUpdateMessage), as servers that answer 200
// with an error page do.
ResponseVerdict JudgeResponse(const Reception& reception);

}  // namespace korrin::update
