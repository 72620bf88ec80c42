// The walk over manifest text that keeps characters the TOML library cannot test away from it.
#include "tools/setupkit/TomlTextCheck.h"

#include <cstdio>
#include <vector>

namespace sk::cli {

namespace {

// The code point at `i` and its length in bytes; length 0 when the bytes there are not UTF-8
// (a cut or overlong sequence, a surrogate, a value past U+10FFFF).
struct CodePoint {
  char32_t c = 0;
  size_t n = 0;
};

CodePoint Decode(std::string_view t, size_t i) {
  const auto b = static_cast<unsigned char>(t[i]);
  if (b < 0x80) return {b, 1};
  size_t n = 0;
  char32_t c = 0, least = 0;
  if ((b & 0xE0) == 0xC0) {
    n = 2, c = b & 0x1F, least = 0x80;
  } else if ((b & 0xF0) == 0xE0) {
    n = 3, c = b & 0x0F, least = 0x800;
  } else if ((b & 0xF8) == 0xF0) {
    n = 4, c = b & 0x07, least = 0x10000;
  } else {
    return {};
  }
  if (n > t.size() - i) return {};
  for (size_t k = 1; k < n; ++k) {
    const auto next = static_cast<unsigned char>(t[i + k]);
    if ((next & 0xC0) != 0x80) return {};
    c = c << 6 | (next & 0x3F);
  }
  if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return {};
  return {c, n};
}

// Code points the library's blank test cannot take (see the header).
bool BreaksBlankTest(char32_t c) {
  return (c >= 0xA1 && c <= 0x499) || (c >= 0x2C5E && c <= 0x3057 && c != 0x3000) ||
         (c >= 0xFB26 && c <= 0xFEFE);
}

// Characters outside ASCII that the library counts as blanks (its test answers them safely).
bool NonAsciiBlank(char32_t c) {
  return c == 0xA0 || c == 0x1680 || c == 0x180E || (c >= 0x2000 && c <= 0x200B) || c == 0x202F ||
         c == 0x205F || c == 0x2060 || c == 0x3000 || c == 0xFEFF;
}

bool Blank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

// What ends a bare value for the library: a blank or line break, ",", "]", "}", "#".
bool EndsBareValue(char c) {
  return c == ' ' || c == '\t' || (c >= '\n' && c <= '\r') || c == ',' || c == ']' || c == '}' ||
         c == '#';
}

std::string CodePointText(char32_t c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(c));
  return buf;
}

class Walk {
 public:
  explicit Walk(std::string_view t) : t_(t) {}

  std::optional<TomlTextFault> Run() {
    if (auto f = CheckUtf8()) return f;
    if (t_.substr(0, 3) == "\xEF\xBB\xBF") i_ = 3;
    while (i_ < t_.size() && !fault_) Step();
    return fault_;
  }

 private:
  std::optional<TomlTextFault> CheckUtf8() const {
    int64_t line = 1;
    for (size_t i = 0; i < t_.size();) {
      const CodePoint cp = Decode(t_, i);
      if (cp.n == 0) return TomlTextFault{line, "the text is not UTF-8"};
      if (cp.c == '\n') ++line;
      i += cp.n;
    }
    return std::nullopt;
  }

  void Fail(std::string reason) { fault_ = TomlTextFault{line_, std::move(reason)}; }
  void Outside() { Fail("a character outside ASCII stands outside a string or comment"); }

  // One byte (or a whole string or comment) outside strings.
  void Step() {
    const char c = t_[i_];
    if (!key_ && bare_ && !EndsBareValue(c)) {
      // The library reads a bare value up to its end whatever it holds, quotes included.
      if (static_cast<unsigned char>(c) >= 0x80) return Outside();
      ++i_;
      return;
    }
    const bool afterBare = bare_;
    bare_ = false;
    if (c == '\n') {
      ++line_;
      if (nest_.empty()) {
        if (header_) headerDepth_ = keyDots_ + 1;
        header_ = false;
        StartKey();  // the next statement
      }
      ++i_;
    } else if (Blank(c)) {
      ++i_;
    } else if (c == '#') {
      while (i_ < t_.size() && t_[i_] != '\n') ++i_;
    } else if ((c == '"' || c == '\'') && !(key_ && afterBare)) {
      // In a key, a quote right after a bare key is no string for the library: it stops there.
      String(c);
    } else if (static_cast<unsigned char>(c) >= 0x80) {
      Outside();
    } else {
      Structure(c);
      ++i_;
    }
  }

  void StartKey() {
    key_ = true;
    keyDots_ = 0;
  }

  // The level of the table that the key being read belongs to.
  int KeyBase() const { return header_ ? 0 : nest_.empty() ? headerDepth_ : levels_.back(); }

  // Tables, dotted keys, arrays and inline tables may nest only so deep: the library reads
  // and frees them recursively, and a few hundred thousand levels overflow the stack.
  bool DepthFails(int depth) {
    if (depth <= kMaxTomlDepth) return false;
    Fail("tables, dotted keys, arrays and inline tables nest deeper than " +
         std::to_string(kMaxTomlDepth) + " levels");
    return true;
  }

  void Pop() {
    nest_.pop_back();
    levels_.pop_back();
  }

  // ASCII outside strings: what it does to the key/value state and the nesting.
  void Structure(char c) {
    const bool inTable = !nest_.empty() && nest_.back() == '{';
    if (key_) {
      if (c == '=') {
        valueDepth_ = KeyBase() + keyDots_ + 1;
        key_ = false;
      } else if (c == '.') {
        ++keyDots_;
        DepthFails(KeyBase() + keyDots_ + 1);
      } else if (c == '[' && nest_.empty()) {
        header_ = true;
      } else if (c == '}' && inTable) {
        Pop();
        key_ = false;
      } else if (c != '[' && c != ']' && c != '{' && c != ',') {
        bare_ = true;
      }
      return;
    }
    switch (c) {
      case '[':
      case '{': {
        // A value right after "=" stands at the key's level; an element one below its array.
        const int depth = nest_.empty() || nest_.back() == '{' ? valueDepth_ : levels_.back() + 1;
        if (DepthFails(depth)) return;
        nest_.push_back(c);
        levels_.push_back(depth);
        if (c == '{') StartKey();
        break;
      }
      case ']':
        if (!nest_.empty() && nest_.back() == '[') Pop();
        break;
      case '}':
        if (inTable) Pop();
        break;
      case ',':
        if (inTable) StartKey();
        break;
      default:
        bare_ = true;  // a number, date, boolean or anything else the library scans
    }
  }

  // The length of the run of `q` at i_, counted up to five as the library counts closing quotes.
  size_t QuoteRun(char q) const {
    size_t n = 0;
    while (n < 5 && i_ + n < t_.size() && t_[i_ + n] == q) ++n;
    return n;
  }

  void String(char q) {
    if (i_ + 2 < t_.size() && t_[i_ + 1] == q && t_[i_ + 2] == q) {
      i_ += 3;
      return MultiLine(q);
    }
    ++i_;
    // One line: no character in it is tested; a line break ends it (the library's fault).
    while (i_ < t_.size() && t_[i_] != q && t_[i_] != '\n') {
      i_ += (q == '"' && t_[i_] == '\\' && i_ + 1 < t_.size() && t_[i_ + 1] != '\n') ? 2 : 1;
    }
    if (i_ < t_.size() && t_[i_] == q) ++i_;
  }

  void MultiLine(char q) {
    bool skipping = false;  // after a line-ending backslash: blanks are tested and dropped
    while (i_ < t_.size()) {
      const char c = t_[i_];
      if (c == q) {
        // Three to five quotes end the string (up to two of them belong to it).
        const size_t run = QuoteRun(q);
        i_ += run;
        if (run >= 3) return;
        skipping = false;
      } else if (c == '\n') {
        ++line_;
        ++i_;
      } else if (q == '"' && c == '\\') {
        ++i_;
        if (i_ >= t_.size()) return;
        const char next = t_[i_];
        if (next == ' ' || next == '\t' || (next >= '\n' && next <= '\r')) {
          skipping = true;  // a line-ending backslash; the blanks are read by this loop
          continue;
        }
        const CodePoint cp = Decode(t_, i_);
        if (BreaksBlankTest(cp.c))
          return Fail(CodePointText(cp.c) + " after a backslash in a multi-line string");
        i_ += cp.n;
        skipping = false;
      } else if (skipping && !Blank(c)) {
        const CodePoint cp = Decode(t_, i_);
        if (BreaksBlankTest(cp.c))
          return Fail(CodePointText(cp.c) +
                      " begins the text after a line-ending backslash; put another character "
                      "first or do not continue the line");
        skipping = NonAsciiBlank(cp.c);
        i_ += cp.n;
      } else {
        i_ += Decode(t_, i_).n;
      }
    }
  }

  std::string_view t_;
  size_t i_ = 0;
  int64_t line_ = 1;
  bool key_ = true;          // a key may come here (not a value)
  bool bare_ = false;        // the last byte belongs to a bare key or bare value
  bool header_ = false;      // the statement is a table header
  int keyDots_ = 0;          // dots in the key read so far
  int headerDepth_ = 0;      // level of the table the last header opened
  int valueDepth_ = 0;       // level of the value after the last "="
  std::vector<char> nest_;   // open "[" arrays and "{" inline tables of the value being read
  std::vector<int> levels_;  // the level of each of them
  std::optional<TomlTextFault> fault_;
};

}  // namespace

std::optional<TomlTextFault> FindTomlTextFault(std::string_view text) {
  return Walk(text).Run();
}

}  // namespace sk::cli
