#pragma once

// The two settings in the registry, under the current user's Software\Norvane\Patcher, where a
// Qt program of the same organisation and application would keep them too.

#include "platform/settings_store.h"

namespace korrin::win32 {

class RegistrySettingsStore : public platform::SettingsStore {
  public:
    std::optional<std::string> Read(std::string_view key) override;
    // A failed write is dropped: the window goes on as it would with no store at all.
    void Write(std::string_view key, const std::string& text) override;
};

}  // namespace korrin::win32
