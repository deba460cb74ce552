#include "platform/data_folder.h"

#include <shlobj.h>
#include <windows.h>

#include <cstdlib>

#include "platform/file_system.h"
#include "platform/win32/win32_util.h"

namespace korrin::platform {

std::string UserDataFolder() {
    // A data folder named on purpose, as the Unix-like shells for Windows and the tests do, wins.
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && IsSeparator(data[0])) {
        return WithTrailingSeparator(data);
    }
    // The local, not the roaming, folder: the journal speaks of files on this machine alone.
    PWSTR path = nullptr;
    std::string folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &path))) {
        folder = win32::Narrow(path);
    }
    ::CoTaskMemFree(path);
    return folder.empty() ? std::string() : WithTrailingSeparator(folder);
}

}  // namespace korrin::platform
