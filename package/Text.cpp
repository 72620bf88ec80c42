// Path and name helpers shared by every subsystem: trailing-backslash trimming, splitting,
// ASCII-only case folding and file-name parts. All of them treat GBK double-byte characters as
// units, so a trail byte that happens to be "\" or an ASCII letter is never split at or folded.
#include "package/Compile.h"
#include "package/GbkBytes.h"

namespace sk {

namespace {

char FoldAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Byte position of the last single-byte character that is one of `delims`, or npos.
size_t LastDelimiter(const std::string& s, const char* delims) {
  size_t found = std::string::npos;
  for (size_t i = 0; i < s.size();) {
    size_t n = gbk::CharLen(s, i);
    if (n == 1) {
      for (const char* d = delims; *d; ++d)
        if (s[i] == *d) found = i;
    }
    i += n;
  }
  return found;
}

// True when `needle` occurs at s[i] (ASCII case-insensitive, byte for byte otherwise).
bool MatchAt(const std::string& s, size_t i, const std::string& needle) {
  if (needle.empty() || s.size() - i < needle.size()) return false;
  for (size_t k = 0; k < needle.size(); ++k)
    if (FoldAscii(s[i + k]) != FoldAscii(needle[k])) return false;
  return true;
}

}  // namespace

std::string StripTrailingBackslash(const std::string& path) {
  if (path.empty()) return path;
  size_t last = 0;
  for (size_t i = 0; i < path.size(); i += gbk::CharLen(path, i)) last = i;
  if (last == path.size() - 1 && path[last] == '\\') return path.substr(0, last);
  return path;
}

void ForEachPiece(const std::string& text, const std::string& delimiter,
                  const std::function<bool(std::string_view)>& piece) {
  const std::string_view all(text);
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    if (MatchAt(text, i, delimiter)) {
      if (i > start && !piece(all.substr(start, i - start))) return;
      i += delimiter.size();
      start = i;
    } else {
      i += gbk::CharLen(text, i);
    }
  }
  if (start < text.size()) piece(all.substr(start));
}

std::vector<std::string> SplitText(const std::string& text, const std::string& delimiter) {
  std::vector<std::string> pieces;
  ForEachPiece(text, delimiter, [&pieces](std::string_view p) {
    pieces.emplace_back(p);
    return true;
  });
  return pieces;
}

bool SameTextAscii(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size();) {
    size_t n = gbk::CharLen(a, i);
    if (n == 2) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
    } else if (FoldAscii(a[i]) != FoldAscii(b[i])) {
      return false;
    }
    i += n;
  }
  return true;
}

std::string LowerAscii(std::string s) {
  for (size_t i = 0; i < s.size();) {
    size_t n = gbk::CharLen(s, i);
    if (n == 1) s[i] = FoldAscii(s[i]);
    i += n;
  }
  return s;
}

bool IsDeviceName(const std::string& element) {
  // The base name up to the first dot, without trailing blanks: Windows maps CON, PRN, AUX,
  // NUL, COM1-9 and LPT1-9 with any extension to a device in every folder.
  std::string base = LowerAscii(element.substr(0, element.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  if (base == "con" || base == "prn" || base == "aux" || base == "nul" || base == "conin$" ||
      base == "conout$")
    return true;
  return base.size() == 4 && (base.compare(0, 3, "com") == 0 || base.compare(0, 3, "lpt") == 0) &&
         base[3] >= '1' && base[3] <= '9';
}

std::string ExtractFileName(const std::string& path) {
  size_t p = LastDelimiter(path, "\\:");
  return p == std::string::npos ? path : path.substr(p + 1);
}

std::string ExtractFilePath(const std::string& path) {
  size_t p = LastDelimiter(path, "\\:");
  return p == std::string::npos ? std::string() : path.substr(0, p + 1);
}

std::string PaddedDecimal(uint64_t value, size_t width) {
  std::string digits = std::to_string(value);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return digits;
}

}  // namespace sk
