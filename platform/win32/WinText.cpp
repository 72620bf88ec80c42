#include "platform/win32/WinText.h"

#include <windows.h>

#include "platform/Encoding.h"

namespace sk::win32 {

std::wstring Wide(const std::string& gbk) {
  std::u16string u = GbkToUtf16(gbk);
  return std::wstring(reinterpret_cast<const wchar_t*>(u.data()), u.size());
}

std::string Narrow(const wchar_t* text, size_t length) {
  if (length == 0) return {};
  std::u16string u(reinterpret_cast<const char16_t*>(text), length);
  if (auto exact = Utf16ToGbk(u)) return *exact;
  // Lossy fallback: characters outside GBK become the default character "?".
  int n = WideCharToMultiByte(936, 0, text, static_cast<int>(length), nullptr, 0, "?", nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    WideCharToMultiByte(936, 0, text, static_cast<int>(length), out.data(), n, "?", nullptr);
  return out;
}

std::string Narrow(const std::wstring& text) {
  return Narrow(text.data(), text.size());
}

std::string Narrow(const wchar_t* zeroTerminated) {
  return zeroTerminated ? Narrow(zeroTerminated, wcslen(zeroTerminated)) : std::string();
}

std::string SystemReason(uint32_t errorCode) {
  wchar_t buf[512];
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           errorCode, 0, buf, static_cast<DWORD>(std::size(buf)), nullptr);
  while (n > 0 && (buf[n - 1] == L'\r' || buf[n - 1] == L'\n' || buf[n - 1] == L' ')) --n;
  if (n == 0) return "error " + std::to_string(errorCode);
  return Narrow(buf, n);
}

std::wstring StripTrailingSeparators(std::wstring path) {
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  return path;
}

}  // namespace sk::win32
