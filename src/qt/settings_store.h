#pragma once

// The per-user settings store on QSettings: application "Norvane", section "Patcher".

#include "platform/settings_store.h"

namespace korrin::qt {

class QtSettingsStore final : public platform::SettingsStore {
  public:
    std::optional<std::string> Read(std::string_view key) override;
    void Write(std::string_view key, const std::string& text) override;
};

}  // namespace korrin::qt
