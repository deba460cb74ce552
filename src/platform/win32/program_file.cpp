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
    // Started through a symbolic link, the program is still the real file, beside which its
    // definitions lie.
    const HANDLE h = ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        std::wstring real;
        if (win32::FinalPath(h, &real)) path = std::move(real);
        ::CloseHandle(h);
    }
    const std::string utf8 = win32::Narrow(path);
    const std::size_t slash = LastSeparator(utf8);
    if (slash == std::string::npos) return {};
    return {WithTrailingSeparator(utf8.substr(0, slash)), utf8.substr(slash + 1)};
}

}  // namespace korrin::platform
