#include "platform/data_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/file_system.h"

namespace korrin::platform {

std::string UserDataFolder() {
    // A relative XDG_DATA_HOME is to be ignored: it would name a different folder in every
    // working folder.
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && data[0] == kSeparator) return WithTrailingSeparator(data);
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != kSeparator) {
        const passwd* user = ::getpwuid(::getuid());
        home = user != nullptr ? user->pw_dir : nullptr;
    }
    if (home == nullptr || home[0] != kSeparator) return {};
    return WithTrailingSeparator(home) + ".local/share/";
}

}  // namespace korrin::platform
