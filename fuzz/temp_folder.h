#pragma once

// A folder of the fuzz target's own under the temporary folder ($TMPDIR, which scripts/fuzz.sh
// points at memory where it can), made once per process and removed at its end.

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace korrin::fuzz {

class ProcessTempFolder {
  public:
    explicit ProcessTempFolder(const char* stem) {
        std::string pattern = (std::filesystem::temp_directory_path() / stem).string() + "XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        path_ = pattern;
    }
    ~ProcessTempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace korrin::fuzz
