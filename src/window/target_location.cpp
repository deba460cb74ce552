// The folder button beside the target path.

#include "window/window_model.h"

namespace korrin::window {

void WindowModel::txtPickDIR_Click() {
    std::optional<std::string> folder = view_.BrowseFolder();
    // A cancelled dialog, or a choice with no path, keeps the path the user already had.
    if (!folder || folder->empty()) return;
    *folder = platform::WithTrailingSeparator(std::move(*folder));
    // One change of the text, so the setting is written once.
    SetText(Control::txtDir, txtDir_, *folder + "vplaces.exe");
}

}  // namespace korrin::window
