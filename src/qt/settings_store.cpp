#include "qt/settings_store.h"

#include <QSettings>

namespace korrin::qt {
namespace {

QString Key(std::string_view key) {
    return QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
}

}  // namespace

std::optional<std::string> QtSettingsStore::Read(std::string_view key) {
    const QSettings store(QStringLiteral("Norvane"), QStringLiteral("Patcher"));
    if (!store.contains(Key(key))) return std::nullopt;
    return store.value(Key(key)).toString().toStdString();
}

void QtSettingsStore::Write(std::string_view key, const std::string& text) {
    QSettings store(QStringLiteral("Norvane"), QStringLiteral("Patcher"));
    store.setValue(Key(key), QString::fromStdString(text));
    store.sync();
}

}  // namespace korrin::qt
