#include "platform/win32/win32_util.h"

namespace korrin::platform::win32 {

std::wstring Widen(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int n =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

std::string Narrow(std::wstring_view utf16) {
    if (utf16.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()),
                                        nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), narrow.data(),
                          n, nullptr, nullptr);
    return narrow;
}

std::wstring ApiPath(std::string_view path) {
    std::wstring wide = Widen(path);
    // Below this the classic functions take the path as typed, "/" included; the margin leaves
    // room for the name a temporary file adds.
    constexpr std::size_t kClassicLimit = MAX_PATH - 16;
    if (wide.size() < kClassicLimit || wide.starts_with(L"\\\\?\\")) return wide;
    const DWORD n = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (n == 0) return wide;
    std::wstring full(n, L'\0');
    const DWORD got = ::GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
    if (got == 0 || got >= n) return wide;
    full.resize(got);
    // GetFullPathNameW has turned every "/" into "\", which the prefixed form requires.
    if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

bool FinalPath(HANDLE h, std::wstring* path) {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetFinalPathNameByHandleW(h, name.data(), static_cast<DWORD>(name.size()),
                                                    FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0) return false;
        if (n < name.size()) {
            name.resize(n);
            break;
        }
        name.resize(n + 1);
    }
    if (name.starts_with(L"\\\\?\\UNC\\")) {
        name = L"\\\\" + name.substr(8);
    } else if (name.starts_with(L"\\\\?\\")) {
        name = name.substr(4);
    }
    *path = std::move(name);
    return true;
}

std::string ErrorText(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPWSTR>(&text),
        0, nullptr);
    std::string words;
    if (n != 0 && text != nullptr) words = Narrow(std::wstring_view(text, n));
    if (text != nullptr) ::LocalFree(text);
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == ' ' ||
                              words.back() == '.')) {
        words.pop_back();
    }
    if (words.empty()) words = "system error " + std::to_string(error);
    return words;
}

Status FromError(DWORD error, std::string_view what) {
    Status status;
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_DIRECTORY:     // a file named as a folder in the path
        case ERROR_INVALID_NAME:  // a wildcard or another character no name may hold
            status.error = ErrorCode::kPathNotFound;
            break;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:  // open in another program, a running one above all
        case ERROR_LOCK_VIOLATION:     // a range of it locked by another program
        case ERROR_WRITE_PROTECT:
        case ERROR_USER_MAPPED_FILE:
        case ERROR_PRIVILEGE_NOT_HELD:
            status.error = ErrorCode::kAccessDenied;
            break;
        default:
            status.error = ErrorCode::kOther;
            break;
    }
    status.reason = std::string(what) + ": " + ErrorText(error);
    return status;
}

}  // namespace korrin::platform::win32
