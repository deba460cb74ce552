#pragma once

// What the Qt window tests share: a settings store of the test's own, emptied before each case,
// recorders in place of the modal message box and the folder dialog, and controls found by name.

#include <QFile>
#include <QListWidget>
#include <QSettings>
#include <QStringList>
#include <QtTest>

#include "qt/dirthing.h"
#include "qt/message_box.h"

namespace korrin::testing {

class WindowFixture {
  public:
    WindowFixture() {
        qt::SetMessageHandler([this](QWidget*, const QString& text) { messages.append(text); });
    }
    ~WindowFixture() {
        qt::SetMessageHandler({});
        qt::dirthing::SetBrowser({});
    }

    // Every case starts with no stored settings. The store lives under the XDG_CONFIG_HOME that
    // the test's registration sets, never in the user's own.
    static void ClearSettings() {
        QVERIFY(qEnvironmentVariableIsSet("XDG_CONFIG_HOME"));
        QSettings(QStringLiteral("Norvane"), QStringLiteral("Patcher")).clear();
    }

    QStringList messages;
};

// The control named name (objectName) in window; the test fails on a missing one.
template <typename T>
T* Find(const QWidget* window, const char* name) {
    T* control = window->findChild<T*>(QString::fromLatin1(name));
    if (control == nullptr) qFatal("no control %s", name);
    return control;
}

inline void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The file's bytes, or the empty array when it cannot be read.
inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The titles the list shows: each entry's text up to the run of blanks before its file name.
inline QStringList Titles(const QListWidget* list) {
    QStringList titles;
    for (int row = 0; row < list->count(); ++row) {
        titles << list->item(row)->text().section(QString(100, QLatin1Char(' ')), 0, 0);
    }
    return titles;
}

}  // namespace korrin::testing
