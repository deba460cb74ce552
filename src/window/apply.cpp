// The Apply button: the selected patch, with the value on view, onto the target in txtDir.

#include "common/latin1.h"
#include "journal/undo.h"
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
    std::string title, file;
    SelectedEntry(&title, &file);
    const std::string value = request.valueKind == catalogue::ValueKind::kYesNo
                                  ? Utf8ToLatin1(optionCaptions_[chosenOption_ == 1])
                                  : request.value;
    // A target of a gigabyte takes a second or two: the window repaints meanwhile and shows
    // that it is busy. The state stays on this thread; Apply's own threads never see it.
    view_.ShowBusy(true);
    const journal::RecordedApply applied = journal::ApplyAndRecord(
        machine_.fs, machine_.journal, request, title, file, value, [this] { view_.Repaint(); });
    view_.ShowBusy(false);
    // The message may quote the path, which is in the file system's own encoding.
    std::string message = applied.apply.message;
    if (!applied.journal.ok()) {
        message += "\n\nThis Apply cannot be undone: the journal could not be written: " +
                   applied.journal.reason;
    }
    view_.ShowMessage(message);
}

}  // namespace korrin::window
