#include "win32/wide.h"

#include "platform/win32/win32_util.h"

namespace korrin::win32 {

std::wstring Wide(std::string_view utf8) {
    return platform::win32::Widen(utf8);
}

std::string Utf8(std::wstring_view wide) {
    return platform::win32::Narrow(wide);
}

std::string Latin1(std::wstring_view wide) {
    std::string bytes;
    bytes.reserve(wide.size());
    for (wchar_t c : wide) bytes.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
    return bytes;
}

}  // namespace korrin::win32
