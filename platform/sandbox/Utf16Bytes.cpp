#include "platform/sandbox/Utf16Bytes.h"

#include "platform/Encoding.h"

namespace sk::sandbox {

std::string Utf16LeBytes(const std::u16string& text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (char16_t c : text) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
  return out;
}

std::u16string FromUtf16LeBytes(const std::string& bytes) {
  std::u16string out;
  out.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    out += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                 (static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  return out;
}

std::string GbkFromUtf16(const std::u16string& text) {
  if (std::optional<std::string> gbk = Utf16ToGbk(text)) return *gbk;
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    bool pair = text[i] >= 0xD800 && text[i] < 0xDC00 && i + 1 < text.size();
    out += Utf16ToGbk(text.substr(i, pair ? 2 : 1)).value_or("?");
    if (pair) ++i;
  }
  return out;
}

}  // namespace sk::sandbox
