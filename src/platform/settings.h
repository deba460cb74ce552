#pragma once

// The per-user settings store: text values of application "Norvane", section "Patcher".

#include <QString>

namespace korrin::platform {

inline const QString kSettingPath = QStringLiteral("Path");
inline const QString kSettingUrl = QStringLiteral("URL");

// The stored text under key, or fallback when the key is absent.
QString ReadSetting(const QString& key, const QString& fallback);

// Stores text under key at once, so that nothing is lost when the program ends abruptly.
void WriteSetting(const QString& key, const QString& text);

}  // namespace korrin::platform
