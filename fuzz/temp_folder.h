#pragma once

// A folder of the fuzz target's own under the temporary folder ($TMPDIR, which scripts/fuzz.sh
// points at memory where it can), made once per process and removed at its end.

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace korrin::fuzz {

class ProcessTempFolder {
  public:
    explicit ProcessTempFolder(const char* stem) {
#ifdef _WIN32
        std::random_device random;
        do {
            path_ = std::filesystem::temp_directory_path() / (stem + std::to_string(random()));
        } while (!std::filesystem::create_directory(path_));
#else
        std::string pattern = (std::filesystem::temp_directory_path() / stem).string() + "XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        path_ = pattern;
#endif
    }
    ~ProcessTempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const {
        return path_;
    }

  private:
    std::filesystem::path path_;
};

}  // namespace korrin::fuzz
