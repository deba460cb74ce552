#pragma once

// What the window tests share: a settings store of the test's own, emptied before each case,
// and recorders in place of the modal message box and the folder dialog.

#include <QSettings>
#include <QStringList>
#include <QtTest>

#include "platform/dirthing.h"
#include "platform/message_box.h"

namespace korrin::testing {

class WindowFixture {
  public:
    WindowFixture() {
        platform::SetMessageHandler(
            [this](QWidget*, const QString& text) { messages.append(text); });
    }
    ~WindowFixture() {
        platform::SetMessageHandler({});
        dirthing::SetBrowser({});
    }

    // Every case starts with no stored settings. The store lives under the XDG_CONFIG_HOME that
    // the test's registration sets, never in the user's own.
    static void ClearSettings() {
        QVERIFY(qEnvironmentVariableIsSet("XDG_CONFIG_HOME"));
        QSettings(QStringLiteral("Norvane"), QStringLiteral("Patcher")).clear();
    }

    QStringList messages;
};

template <typename T>
T* Find(QObject* root, const QString& name) {
    return root->findChild<T*>(name);
}

}  // namespace korrin::testing
