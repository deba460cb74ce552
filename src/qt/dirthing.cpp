#include "qt/dirthing.h"

#include <QFileDialog>

namespace korrin::qt::dirthing {
namespace {

std::function<QString()>& Browser() {
    static std::function<QString()> browser;
    return browser;
}

}  // namespace

QString BrowseFolder() {
    if (Browser()) return Browser()();
    // No owner window, so the main window stays usable meanwhile. The
    // non-native dialog is the same everywhere and always lets the user type a folder name.
    return QFileDialog::getExistingDirectory(
        nullptr, QStringLiteral("Select vplaces.exe"), QString(),
        QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
}

void SetBrowser(std::function<QString()> browser) {
    Browser() = std::move(browser);
}

}  // namespace korrin::qt::dirthing
