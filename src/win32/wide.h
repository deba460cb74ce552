#pragma once

// The window's texts are UTF-8 inside and UTF-16 at the Windows API.

#include <string>
#include <string_view>

namespace korrin::win32 {

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);
// One byte per character: what the window model takes as the network layer's words.
std::string Latin1(std::wstring_view wide);

}  // namespace korrin::win32
