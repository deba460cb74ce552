#pragma once

// What a test of a save looks at afterwards: every name in the folder, hidden ones included,
// so that a temporary file left behind shows.

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "temp_folder.h"

namespace korrin::testing {

inline std::vector<std::string> EntriesOf(const TempFolder& dir, const std::string& sub = "") {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path() / sub)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace korrin::testing
