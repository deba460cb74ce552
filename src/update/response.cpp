#include "update/response.h"

#include <algorithm>
#include <cstdint>

#include "common/text.h"
#include "update/shown_text.h"

namespace korrin::update {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kHeaderEnd = "\r\n\r\n";
constexpr std::string_view kNothingMade = "; no update was made.";

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The status code of "HTTP/<version> <code>[ <reason>]", or -1 when the line is not of that shape.
int StatusCode(std::string_view statusLine) {
    if (!StartsWith(statusLine, "HTTP/")) return -1;
    const std::size_t blank = statusLine.find(' ');
    if (blank == std::string_view::npos) return -1;
    const std::string_view code = statusLine.substr(blank + 1, 3);
    if (code.size() != 3 || !IsDigit(code[0]) || !IsDigit(code[1]) || !IsDigit(code[2])) {
        return -1;
    }
    const std::size_t after = blank + 4;
    if (after < statusLine.size() && statusLine[after] != ' ') return -1;
    return (code[0] - '0') * 100 + (code[1] - '0') * 10 + (code[2] - '0');
}

// The body length that the header lines announce, or -1 when none does. Unlike the progress bar's
// reading, this is the header as HTTP defines it: a field name in any letter case, leading and
// trailing blanks ignored, digits only. The first such field counts.
std::int64_t AnnouncedLength(std::string_view headerLines) {
    for (const std::string& line : SplitLines(headerLines)) {
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos || LowerCase(line.substr(0, colon)) != "content-length") {
            continue;
        }
        std::string_view value = std::string_view(line).substr(colon + 1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) {
            value.remove_prefix(1);
        }
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) {
            value.remove_suffix(1);
        }
        if (value.empty()) return -1;
        std::int64_t length = 0;
        for (char c : value) {
            if (!IsDigit(c)) return -1;
            // Capped so that no value overflows; anything this large is cut short anyway.
            length = std::min<std::int64_t>(length * 10 + (c - '0'), INT64_C(1) << 40);
        }
        return length;
    }
    return -1;
}

ResponseVerdict Refuse(std::string message) {
    return {false, std::move(message), {}};
}

}  // namespace

ResponseVerdict JudgeResponse(const Reception& reception) {
    if (reception.overLimit()) {
        return Refuse("The update is larger than 64 MiB and was not used" +
                      std::string(kNothingMade));
    }
    const std::string_view response = reception.receiveBuffer();
    if (response.empty()) {
        return Refuse("The update server closed the connection without answering" +
                      std::string(kNothingMade));
    }

    const std::string_view statusLine = response.substr(0, response.find(kLineEnd));
    const int status = StatusCode(statusLine);
    if (status < 0) {
        return Refuse("The update server did not answer in HTTP: \"" + ShownText(statusLine) +
                      "\"" + std::string(kNothingMade));
    }
    if (status == 404) return Refuse(std::string(kNoUpdateMessage));
    if (status < 200 || status > 299) {
        return Refuse("The update server answered \"" + ShownText(statusLine) + "\"" +
                      std::string(kNothingMade));
    }

    const std::size_t headerEnd = response.find(kHeaderEnd);
    if (headerEnd == std::string_view::npos) {
        return Refuse("The update server's answer ended inside its header" +
                      std::string(kNothingMade));
    }
    ResponseVerdict verdict{true, {}, response.substr(headerEnd + kHeaderEnd.size())};

    const std::int64_t announced =
        AnnouncedLength(response.substr(statusLine.size(), headerEnd - statusLine.size()));
    if (announced > static_cast<std::int64_t>(verdict.body.size())) {
        verdict.usable = false;
        verdict.message = "The update was cut short: " + std::to_string(verdict.body.size()) +
                          " of " + std::to_string(announced) + " bytes arrived" +
                          std::string(kNothingMade);
        return verdict;
    }
    if (LowerCase(verdict.body).find("error 404") != std::string::npos) {
        verdict.usable = false;
        verdict.message = kNoUpdateMessage;
    }
    return verdict;
}

}  // namespace korrin::update
