#pragma once

#include <nlohmann/json.hpp>
#include <ostream>
#include <string_view>

#include "common/latin1.h"

namespace korrin::cli {

using Json = nlohmann::ordered_json;

// A text of a definition (one byte per character) as a JSON string.
inline Json TextJson(std::string_view latin1) {
    return Latin1ToUtf8(latin1);
}

// File names are the disk's bytes; one that is not UTF-8 gets U+FFFD where a byte does not fit.
inline void PrintJson(std::ostream& out, const Json& json) {
    out << json.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

}  // namespace korrin::cli
