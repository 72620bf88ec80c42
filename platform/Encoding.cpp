#include "platform/Encoding.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>

#include <cerrno>
#endif

namespace sk {

#ifdef _WIN32

std::u16string GbkToUtf16(const std::string& gbk) {
  if (gbk.empty()) return {};
  int n = MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
  std::u16string out(static_cast<size_t>(n), u'\0');
  MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()),
                      reinterpret_cast<wchar_t*>(out.data()), n);
  return out;
}

std::optional<std::string> Utf16ToGbk(const std::u16string& utf16) {
  if (utf16.empty()) return std::string();
  BOOL lossy = FALSE;
  auto* w = reinterpret_cast<const wchar_t*>(utf16.data());
  int n =
      WideCharToMultiByte(936, 0, w, static_cast<int>(utf16.size()), nullptr, 0, nullptr, &lossy);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(936, 0, w, static_cast<int>(utf16.size()), out.data(), n, nullptr, &lossy);
  if (lossy) return std::nullopt;
  return out;
}

std::string GbkToUtf8(const std::string& gbk) {
  std::u16string w = GbkToUtf16(gbk);
  if (w.empty()) return {};
  auto* p = reinterpret_cast<const wchar_t*>(w.data());
  int n =
      WideCharToMultiByte(CP_UTF8, 0, p, static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, p, static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::optional<std::string> Utf8ToGbk(const std::string& utf8) {
  if (utf8.empty()) return std::string();
  int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                              static_cast<int>(utf8.size()), nullptr, 0);
  if (n <= 0) return std::nullopt;
  std::u16string w(static_cast<size_t>(n), u'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                      reinterpret_cast<wchar_t*>(w.data()), n);
  return Utf16ToGbk(w);
}

#else

namespace {

// Converts with iconv. On an invalid or unconvertible sequence: when `replacement` is set,
// writes it and skips one input byte; otherwise fails.
std::optional<std::string> Convert(const char* to, const char* from, const std::string& in,
                                   const char* replacement) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out;
  out.reserve(in.size() * 2);
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char buf[4096];
  bool ok = true;
  while (srcLeft > 0) {
    char* dst = buf;
    size_t dstLeft = sizeof buf;
    size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buf, sizeof buf - dstLeft);
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      if (!replacement) {
        ok = false;
        break;
      }
      out += replacement;
      ++src;
      --srcLeft;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  if (!ok) return std::nullopt;
  return out;
}

}  // namespace

std::string GbkToUtf8(const std::string& gbk) {
  return Convert("UTF-8", "GBK", gbk, "\xEF\xBF\xBD").value_or(std::string());
}

std::optional<std::string> Utf8ToGbk(const std::string& utf8) {
  return Convert("GBK", "UTF-8", utf8, nullptr);
}

std::u16string GbkToUtf16(const std::string& gbk) {
  auto s = Convert("UTF-16LE", "GBK", gbk, "\xFD\xFF");
  std::u16string out;
  if (!s) return out;
  out.resize(s->size() / 2);
  for (size_t i = 0; i < out.size(); ++i)
    out[i] = static_cast<char16_t>(static_cast<unsigned char>((*s)[2 * i]) |
                                   (static_cast<unsigned char>((*s)[2 * i + 1]) << 8));
  return out;
}

std::optional<std::string> Utf16ToGbk(const std::u16string& utf16) {
  std::string bytes;
  bytes.reserve(utf16.size() * 2);
  for (char16_t c : utf16) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return Convert("GBK", "UTF-16LE", bytes, nullptr);
}

#endif

}  // namespace sk
