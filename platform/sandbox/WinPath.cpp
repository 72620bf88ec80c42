#include "platform/sandbox/WinPath.h"

namespace sk::sandbox {

namespace {

bool IsLetter(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsInvalidNameByte(unsigned char c) {
  return c < 0x20 || c == '<' || c == '>' || c == '"' || c == '|' || c == '?' || c == '*' ||
         c == ':';
}

char UpperLetter(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

// Appends the "\"-separated names of rest to out, applying "." and "..". False when a name
// holds a character Windows rejects or a byte that is not part of a GBK character.
bool AppendElements(const std::string& rest, std::vector<std::string>& out) {
  std::string name;
  auto flush = [&]() {
    // Windows drops trailing dots and blanks of a name, except for "." and "..".
    if (name != "." && name != "..") {
      while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    }
    if (name.empty() || name == ".") {
    } else if (name == "..") {
      if (!out.empty()) out.pop_back();
    } else {
      out.push_back(name);
    }
    name.clear();
  };
  for (size_t i = 0; i < rest.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(rest[i]);
    if (IsGbkLeadByte(c)) {
      // A lead byte without its trail byte is no character: the system's conversion makes it
      // "?", which no name may hold. (Taken as a byte of its own, it would pair with the "\"
      // that follows once the path is printed, and name another file.)
      if (i + 1 >= rest.size() || !IsGbkTrailByte(static_cast<unsigned char>(rest[i + 1])))
        return false;
      name += rest[i];
      name += rest[++i];
    } else if (c == '\\' || c == '/') {
      flush();
    } else if (IsInvalidNameByte(c)) {
      return false;
    } else {
      name += rest[i];
    }
  }
  flush();
  return true;
}

}  // namespace

std::vector<std::string> SplitGbk(const std::string& text, char sep) {
  std::vector<std::string> parts(1);
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (IsGbkLeadByte(c) && i + 1 < text.size()) {
      parts.back() += text[i];
      parts.back() += text[++i];
    } else if (text[i] == sep) {
      parts.emplace_back();
    } else {
      parts.back() += text[i];
    }
  }
  return parts;
}

std::string FoldCase(const std::string& gbk) {
  std::string out = gbk;
  for (size_t i = 0; i < out.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(out[i]);
    if (IsGbkLeadByte(c)) {
      ++i;
    } else if (c >= 'A' && c <= 'Z') {
      out[i] = static_cast<char>(c + 32);
    }
  }
  return out;
}

bool EndsWithBackslash(const std::string& gbk) {
  bool last = false;
  for (size_t i = 0; i < gbk.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(gbk[i]);
    if (IsGbkLeadByte(c) && i + 1 < gbk.size()) {
      ++i;
      last = false;
    } else {
      last = c == '\\';
    }
  }
  return last;
}

std::string WinPath::ToString() const {
  std::string s{drive, ':'};
  if (elements.empty()) return s + "\\";
  for (const std::string& e : elements) s += "\\" + e;
  return s;
}

PathError ParseWinPath(const std::string& rawPath, const std::string& currentDir, WinPath& out) {
  // The Windows calls see the text up to its first zero character.
  std::string path = rawPath.substr(0, rawPath.find('\0'));
  out = WinPath{};
  if (path.empty()) return PathError::NotFound;
  auto isSep = [](char c) { return c == '\\' || c == '/'; };

  if (path.size() >= 2 && isSep(path[0]) && isSep(path[1])) return PathError::NotFound;  // UNC
  std::string rest;
  if (path.size() >= 2 && IsLetter(static_cast<unsigned char>(path[0])) && path[1] == ':') {
    out.drive = UpperLetter(path[0]);
    rest = path.substr(2);
    if (rest.empty() || !isSep(rest[0])) {
      // "C:name" is relative to the current folder when that lies on the same drive.
      WinPath cur;
      if (currentDir.size() >= 2 && UpperLetter(currentDir[0]) == out.drive &&
          ParseWinPath(currentDir, {}, cur) == PathError::None && cur.drive == out.drive) {
        out.elements = cur.elements;
      }
    }
  } else {
    WinPath cur;
    if (ParseWinPath(currentDir, {}, cur) != PathError::None) return PathError::NotFound;
    out.drive = cur.drive;
    if (!isSep(path[0])) out.elements = cur.elements;
    rest = path;
  }
  if (!AppendElements(rest, out.elements)) return PathError::InvalidName;
  return PathError::None;
}

}  // namespace sk::sandbox
