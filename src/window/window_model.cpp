#include "window/window_model.h"

#include "catalogue/catalogue.h"
#include "common/latin1.h"

namespace korrin::window {
namespace {

const char* const kWelcome =
    "Welcome to the update centre. This part \r\n"
    "of the patcher allows you to keep up with \r\n"
    "the latest base-patches. That is, the \r\n"
    "patches created by Korrin staff \r\n"
    "members.\r\n"
    "\r\n"
    "While I'm sure there are other patches \r\n"
    "out there, they will not be posted in \r\n"
    "auto-update unless they do something\r\n"
    "that is unique, and functional.\r\n";

const char* const kDescription =
    "This is a little note about the patch, what it does, how it works, and what its value "
    "coresponds to.";

constexpr std::array<Control, 3> kFrames = {Control::tabForm0, Control::tabForm1,
                                            Control::tabForm2};

}  // namespace

WindowModel::WindowModel(View& view, Machine machine)
    : view_(view),
      machine_(std::move(machine)),
      txtDir_("C:\\"),
      txtUpdateUrl_("korrin.example.net/patch/"),
      txtValue_("Patch value"),
      txtAbout_(kWelcome),
      description_(kDescription),
      optionCaptions_{"On", "Off"} {}

void WindowModel::Form_Load() {
    // The layout state first, as the controls hold it before start-up runs.
    view_.SetText(Control::txtDir, txtDir_);
    view_.SetText(Control::txtUpdateUrl, txtUpdateUrl_);
    view_.SetText(Control::txtValue, txtValue_);
    view_.SetText(Control::txtAbout, txtAbout_);
    view_.SetText(Control::lblDescription, description_);
    view_.SetText(Control::opOnOff0, optionCaptions_[0]);
    view_.SetText(Control::opOnOff1, optionCaptions_[1]);
    for (std::size_t i = 0; i < kFrames.size(); ++i) {
        view_.SetVisible(kFrames[i], static_cast<int>(i) == visibleFrame_);
    }
    view_.SetProgressWidth(progressPixels_);

    for (const catalogue::CatalogueEntry& entry :
         catalogue::ScanCatalogue(machine_.fs, machine_.program.folder)) {
        // Latin-1 keeps every byte: the title as the file wrote it, the name as the disk has it.
        listEntries_.push_back(Latin1ToUtf8(entry.text()));
    }
    view_.SetListEntries(listEntries_);
    if (!listEntries_.empty()) ClickListEntry(0);

    const std::optional<std::string> path = machine_.settings.Read(platform::kSettingPath);
    if (path) SetText(Control::txtDir, txtDir_, *path);
    const std::optional<std::string> url = machine_.settings.Read(platform::kSettingUrl);
    if (url) SetText(Control::txtUpdateUrl, txtUpdateUrl_, *url);
}

void WindowModel::ReloadAfterUpdate(const std::string& description) {
    Form_Load();
    txtAbout_ = description;
    view_.SetText(Control::txtAbout, txtAbout_);
}

void WindowModel::tabPick_Click(short Index) {
    visibleFrame_ = -1;
    for (Control frame : kFrames) view_.SetVisible(frame, false);
    if (Index == 3) {
        machine_.endProgram();
        return;
    }
    // An index without a frame shows nothing, and says nothing.
    if (Index >= 0 && Index < static_cast<short>(kFrames.size())) {
        visibleFrame_ = Index;
        view_.SetVisible(kFrames[static_cast<std::size_t>(Index)], true);
    }
}

void WindowModel::lblTab_Click(short Index) {
    tabPick_Click(Index);
}

void WindowModel::txtDir_Change() {
    machine_.settings.Write(platform::kSettingPath, txtDir_);
}

void WindowModel::txtUpdateUrl_Change() {
    machine_.settings.Write(platform::kSettingUrl, txtUpdateUrl_);
}

void WindowModel::TypeDir(const std::string& text) {
    if (text == txtDir_) return;
    txtDir_ = text;
    txtDir_Change();
}

void WindowModel::TypeUpdateUrl(const std::string& text) {
    if (text == txtUpdateUrl_) return;
    txtUpdateUrl_ = text;
    txtUpdateUrl_Change();
}

void WindowModel::TypeValue(const std::string& text) {
    txtValue_ = text;
}

void WindowModel::ChooseOption(int index) {
    chosenOption_ = index;
}

void WindowModel::ClickListEntry(int row) {
    if (row < 0 || row >= static_cast<int>(listEntries_.size()) || row == listIndex_) return;
    listIndex_ = row;
    view_.SetListIndex(row);
    lstPatch_Click();
}

// A text set by the program raises the control's change event, as one typed does; setting the
// text it already holds raises none.
void WindowModel::SetText(Control control, std::string& field, const std::string& text) {
    if (text == field) return;
    field = text;
    view_.SetText(control, field);
    if (control == Control::txtDir) txtDir_Change();
    if (control == Control::txtUpdateUrl) txtUpdateUrl_Change();
}

void WindowModel::ShowMessage(const std::string& latin1) {
    view_.ShowMessage(Latin1ToUtf8(latin1));
}

}  // namespace korrin::window
