// The Apply button: the selected patch, with the value on view, onto the target in txtDir.

#include "common/latin1.h"
#include "window/window_model.h"

namespace korrin::window {

void WindowModel::cmdApply_Click() {
    if (!definitionSelected_) {
        view_.ShowMessage(
            "No patch is selected. Pick one in the list on the 'Patch' tab and try again.");
        return;
    }
    patch::ApplyRequest request = selection_;
    request.targetPath = txtDir_;  // UTF-8, the file system's own encoding here
    request.secondOption = chosenOption_ == 1;
    request.value = Utf8ToLatin1(txtValue_);
    // The message may quote the path, which is in the file system's own encoding.
    view_.ShowMessage(patch::ApplyPatch(machine_.fs, request).message);
}

}  // namespace korrin::window
