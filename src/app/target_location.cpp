// The folder button beside the target path.

#include <QDir>
#include <QLineEdit>

#include "app/frmPatcher.h"
#include "platform/dirthing.h"

namespace korrin {

void frmPatcher::txtPickDIR_Click() {
    QString folder = dirthing::BrowseFolder();
    // A cancelled dialog, or a choice with no path, keeps the path the user already had.
    if (folder.isEmpty()) return;
    folder = QDir::toNativeSeparators(folder);
    if (!folder.endsWith(QDir::separator())) folder += QDir::separator();
    txtDir->setText(folder + QStringLiteral("vplaces.exe"));
}

}  // namespace korrin
