#pragma once

// The per-user settings store: text values under a key, kept between runs of the program.

#include <optional>
#include <string>
#include <string_view>

namespace korrin::platform {

inline constexpr std::string_view kSettingPath = "Path";
inline constexpr std::string_view kSettingUrl = "URL";

class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    // The stored text (UTF-8) under key; none when the key is absent.
    virtual std::optional<std::string> Read(std::string_view key) = 0;
    // Stores text under key at once, so that nothing is lost when the program ends abruptly.
    virtual void Write(std::string_view key, const std::string& text) = 0;
};

}  // namespace korrin::platform
