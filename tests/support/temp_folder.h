#pragma once

// A real folder under the system's temporary folder, removed with everything in it at the end.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>

namespace korrin::testing {

class TempFolder {
  public:
    TempFolder() {
#ifdef _WIN32
        // No mkdtemp here: a random name, taken only if no folder has it yet.
        std::random_device random;
        do {
            path_ = std::filesystem::temp_directory_path() / ("korrin-" + std::to_string(random()));
        } while (!std::filesystem::create_directory(path_));
#else
        std::string pattern = (std::filesystem::temp_directory_path() / "korrin-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
#endif
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const {
        return path_;
    }
    // The folder with a separator at its end, as the program folder is given to the core.
    std::string folder() const {
        return path_.string() + "/";
    }
    std::string file(std::string_view name) const {
        return (path_ / name).string();
    }

    // Writes bytes exactly as given (no line-end translation) and returns the file's path.
    std::string Write(std::string_view name, std::string_view bytes) const {
        const std::string p = file(name);
        std::ofstream out(p, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) throw std::runtime_error("cannot write " + p);
        return p;
    }

    std::string Read(std::string_view name) const {
        std::ifstream in(file(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    bool Exists(std::string_view name) const {
        return std::filesystem::exists(file(name));
    }

  private:
    std::filesystem::path path_;
};

}  // namespace korrin::testing
