#include "platform/data_folder.h"

#include <windows.h>

#include <shlobj.h>

#include "platform/file_system.h"
#include "platform/win32/win32_util.h"

namespace korrin::platform {

std::string UserDataFolder() {
    // The local, not the roaming, folder: the journal speaks of files on this machine alone.
    PWSTR path = nullptr;
    std::string folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &path))) {
        folder = Narrow(path);
    }
    ::CoTaskMemFree(path);
    return folder.empty() ? std::string() : WithTrailingSeparator(folder);
}

}  // namespace korrin::platform
