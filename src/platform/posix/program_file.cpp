#include "platform/program_file.h"

#include <unistd.h>

#include <vector>

#include "platform/file_system.h"

namespace korrin::platform {
namespace {

std::string ExecutablePath() {
    // /proc/self/exe names the file the kernel started, every link already followed.
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return {};
        if (static_cast<std::size_t>(n) < buffer.size()) {
            return std::string(buffer.data(), static_cast<std::size_t>(n));
        }
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

ProgramFile OwnProgramFile() {
    const std::string path = ExecutablePath();
    const std::size_t slash = LastSeparator(path);
    if (slash == std::string::npos) return {};
    return {WithTrailingSeparator(path.substr(0, slash)), path.substr(slash + 1)};
}

}  // namespace korrin::platform
