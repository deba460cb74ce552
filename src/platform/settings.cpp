#include "platform/settings.h"

#include <QSettings>

namespace korrin::platform {

QString ReadSetting(const QString& key, const QString& fallback) {
    const QSettings store(QStringLiteral("Norvane"), QStringLiteral("Patcher"));
    return store.contains(key) ? store.value(key).toString() : fallback;
}

void WriteSetting(const QString& key, const QString& text) {
    QSettings store(QStringLiteral("Norvane"), QStringLiteral("Patcher"));
    store.setValue(key, text);
    store.sync();
}

}  // namespace korrin::platform
