// Text at the Win32 boundary: GBK model strings to UTF-16 for the W APIs and back, and the
// system's reason for an error code as GBK text. Private to platform/win32.
//
// Narrow never fails: a character without a GBK form (a file name made elsewhere) becomes "?",
// so a listing or a registry read still yields a usable, if lossy, string.
#pragma once

#include <cstdint>
#include <string>

namespace sk::win32 {

std::wstring Wide(const std::string& gbk);
std::string Narrow(const wchar_t* text, size_t length);
std::string Narrow(const std::wstring& text);
std::string Narrow(const wchar_t* zeroTerminated);

// "reason" text of a Win32 error code (FormatMessage), GBK, without the trailing line break;
// "error N" when the system has no text for it.
std::string SystemReason(uint32_t errorCode);

// Removes every trailing backslash or slash ("C:\" becomes "C:", as callers append "\").
std::wstring StripTrailingSeparators(std::wstring path);

}  // namespace sk::win32
