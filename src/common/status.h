#pragma once

// The one result type of every operation that can fail: what went wrong, sorted into the
// conditions the tool tells apart, and the system's own words for it. A caller must look at it;
// one that drops a status on purpose says why, with IgnoreStatus.

#include <string>
#include <string_view>

namespace korrin {

enum class ErrorCode {
    kNone,
    kPathNotFound,  // a folder named in the path does not exist (ENOENT, ENOTDIR on a component)
    kAccessDenied,  // access refused: permissions, read-only file system, a busy executable, a lock
    kTimedOut,      // a peer stayed silent longer than the time allowed
    kOther,         // anything else; reason says what
};

struct [[nodiscard]] Status {
    ErrorCode error = ErrorCode::kNone;
    std::string reason;  // the system's own words, for messages; empty when ok

    bool ok() const { return error == ErrorCode::kNone; }
    static Status Ok() { return {}; }
    static Status Failed(std::string reason) { return {ErrorCode::kOther, std::move(reason)}; }
    // For optional operations that an implementation does not offer.
    static Status Unsupported(std::string_view what) {
        return {ErrorCode::kOther, std::string(what) + ": not supported by this file system"};
    }
};

// Drops a status whose failure changes nothing for the caller; why stays in the source.
inline void IgnoreStatus(const Status& /*status*/, std::string_view /*why*/) {}

}  // namespace korrin
