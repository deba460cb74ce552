// The Apply button: the selected patch, with the value on view, onto the target in txtDir.

#include <QFile>
#include <QLineEdit>
#include <QRadioButton>

#include "app/frmPatcher.h"
#include "patch/apply.h"
#include "platform/code_page.h"
#include "platform/message_box.h"

namespace korrin {

void frmPatcher::cmdApply_Click() {
    if (!definitionSelected) {
        platform::ShowMessage(this, QStringLiteral("No patch is selected. Pick one in the list on "
                                                   "the 'Patch' tab and try again."));
        return;
    }
    patch::ApplyRequest request;
    request.targetPath = QFile::encodeName(txtDir->text()).toStdString();
    request.valueKind = valueKind;
    request.onBytes = onBytes;
    request.offBytes = offBytes;
    request.locationList = locationList;
    request.definitionProblems = definitionProblems;
    request.secondOption = opOnOff[1]->isChecked();
    request.value = platform::ToCodePage(txtValue->text());

    const patch::ApplyResult result = patch::ApplyPatch(platform::FileSystem::Default(), request);
    // Messages may quote the path, which is in the file system's own encoding.
    platform::ShowMessage(this, QFile::decodeName(QByteArray::fromStdString(result.message)));
}

}  // namespace korrin
