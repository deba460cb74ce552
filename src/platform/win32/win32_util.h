#pragma once

// What every Windows implementation of the platform interfaces shares: the core speaks UTF-8,
// the system UTF-16, and the system's errors become the conditions the tool tells apart.

#include <windows.h>

#include <string>
#include <string_view>

#include "common/status.h"

namespace korrin::platform::win32 {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// path as the file functions take it: UTF-16, and, where it is too long for the classic limit,
// made absolute with the "\\?\" prefix, which lifts that limit whatever the system's settings.
std::wstring ApiPath(std::string_view path);

// The path of the file h is open on, every link followed, without the "\\?\" prefix: the
// classic functions take it, and ApiPath puts the prefix back where the length needs it.
// False, with the error in GetLastError, when the system cannot tell.
bool FinalPath(HANDLE h, std::wstring* path);

// The system's own words for error, without the line end it puts after them.
std::string ErrorText(DWORD error);

// error sorted as the tool needs it: a missing file or folder, access refused (rights, a
// read-only file, a file another program has open or locked), anything else. what comes first
// in the reason.
Status FromError(DWORD error, std::string_view what);

}  // namespace korrin::platform::win32
