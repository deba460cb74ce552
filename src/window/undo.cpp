// Taking back the last Apply of the patch on view, from the list's context menu or Ctrl+Z.

#include "catalogue/catalogue.h"
#include "common/latin1.h"
#include "window/window_model.h"

namespace korrin::window {

bool WindowModel::SelectedEntry(std::string* title, std::string* file) const {
    if (listIndex_ < 0) return false;
    const std::string text = Utf8ToLatin1(listEntries_[static_cast<std::size_t>(listIndex_)]);
    *title = text.substr(0, text.find(catalogue::kEntryLink));
    *file = catalogue::FileNameFromEntry(text).value_or(std::string());
    return true;
}

std::optional<journal::UndoOffer> WindowModel::LastApplyOffer() const {
    std::string title, file;
    if (!SelectedEntry(&title, &file)) return std::nullopt;
    return journal::OfferUndo(machine_.fs, machine_.journal, txtDir_, title, file);
}

void WindowModel::mnuUndoLastApply_Click() {
    // Asked again rather than trusted from when the menu opened: the file may have changed.
    const std::optional<journal::UndoOffer> offer = LastApplyOffer();
    if (!offer) {
        view_.ShowMessage("There is no Apply of this patch to " + txtDir_ +
                          " that can be undone: none is recorded, or the file no longer holds "
                          "what it wrote, or a later Apply changed the same bytes.");
        return;
    }
    if (!view_.AskQuestion(offer->question)) return;
    const journal::UndoResult result =
        journal::Undo(machine_.fs, machine_.journal, txtDir_, offer->id);
    std::string message = result.message;
    if (result.undone && !result.journal.ok()) {
        message += "\n\nThis undo could not be recorded, so it cannot itself be undone: " +
                   result.journal.reason;
    }
    view_.ShowMessage(message);
}

}  // namespace korrin::window
