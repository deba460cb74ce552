// The selection view: what selecting a catalogue entry puts on view and stores for Apply.

#include "catalogue/catalogue.h"
#include "common/latin1.h"
#include "window/window_model.h"

namespace korrin::window {

void WindowModel::lstPatch_Click() {
    if (listIndex_ < 0) return;
    definitionSelected_ = true;

    const catalogue::DefinitionView view = catalogue::ReadEntryDefinition(
        machine_.fs, machine_.program.folder,
        Utf8ToLatin1(listEntries_[static_cast<std::size_t>(listIndex_)]));
    // Every field Apply uses starts afresh, so a broken definition can never leave Apply with
    // the kind, bytes or signatures of an earlier one.
    selection_ = patch::ApplyRequest::ForDefinition(view);

    // A definition without a description shows none, rather than the one selected before.
    description_ = Latin1ToUtf8(view.description.value_or(""));
    view_.SetText(Control::lblDescription, description_);
    // The other controls that the file does not set keep what they show.
    if (!view.hasParam) return;
    if (view.firstOption) {
        chosenOption_ = 0;
        view_.SetOption(0);
        optionCaptions_[0] = Latin1ToUtf8(view.firstOption->caption);
        optionCaptions_[1] = Latin1ToUtf8(view.secondOption->caption);
        view_.SetText(Control::opOnOff0, optionCaptions_[0]);
        view_.SetText(Control::opOnOff1, optionCaptions_[1]);
    }
    if (view.valueText) {
        txtValue_ = Latin1ToUtf8(*view.valueText);
        view_.SetText(Control::txtValue, txtValue_);
    }
    SetOptionsShown(view.showsOptions());
}

void WindowModel::SetOptionsShown(bool shown) {
    optionsShown_ = shown;
    valueShown_ = !shown;
    view_.SetVisible(Control::txtValue, valueShown_);
    view_.SetVisible(Control::opOnOff0, optionsShown_);
    view_.SetVisible(Control::opOnOff1, optionsShown_);
}

}  // namespace korrin::window
