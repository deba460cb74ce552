#include "win32/registry_settings.h"

#include <windows.h>

#include "win32/wide.h"

namespace korrin::win32 {
namespace {

constexpr const wchar_t* kKey = L"Software\\Norvane\\Patcher";

}  // namespace

std::optional<std::string> RegistrySettingsStore::Read(std::string_view key) {
    const std::wstring name = Wide(key);
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kKey, name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr,
                     &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, kKey, name.c_str(), RRF_RT_REG_SZ, nullptr, text.data(),
                     &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    text.resize(wcsnlen(text.c_str(), text.size()));
    return Utf8(text);
}

void RegistrySettingsStore::Write(std::string_view key, const std::string& text) {
    const std::wstring value = Wide(text);
    RegSetKeyValueW(HKEY_CURRENT_USER, kKey, Wide(key).c_str(), REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

}  // namespace korrin::win32
