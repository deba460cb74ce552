#include "platform/program_file.h"

#include <windows.h>

#include "platform/file_system.h"
#include "platform/win32/win32_util.h"

namespace korrin::platform {

ProgramFile OwnProgramFile() {
    // The answer is cut short, without an error, when the buffer is too small.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::string utf8 = win32::Narrow(path);
    const std::size_t slash = LastSeparator(utf8);
    if (slash == std::string::npos) return {};
    return {WithTrailingSeparator(utf8.substr(0, slash)), utf8.substr(slash + 1)};
}

}  // namespace korrin::platform
