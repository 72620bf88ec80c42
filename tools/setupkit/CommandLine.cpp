#include "tools/setupkit/CommandLine.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>

#include "platform/Encoding.h"

namespace sk::cli {

std::optional<int> ParseCommandLine(CLI::App& app, const std::vector<std::string>& args) {
  std::vector<std::string> reversed(args.rbegin(), args.rend());  // CLI11 takes them reversed
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) {
      app.exit(e, std::cout, std::cerr);  // --help
      std::cout.flush();
      return kExitOk;
    }
    return ReportError(std::string(e.what()) + " (see '" + app.get_name() + " --help')");
  }
  return std::nullopt;
}

int ReportError(const std::string& utf8Reason) {
  std::cout.flush();
  std::cerr << "setupkit: error: " << utf8Reason << "\n";
  std::cerr.flush();
  return kExitError;
}

int ReportGbkError(const std::string& gbkReason) {
  return ReportError(PrintableLines(gbkReason));
}

std::string EscapeControls(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size());
  char hex[8];
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x20 || c == 0x7F) {
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      out += hex;
    } else if (c == 0xC2 && i + 1 < utf8.size() &&
               static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(utf8[i + 1]) <= 0x9F) {
      // U+0080-U+009F: the C1 controls, which terminals obey as well.
      std::snprintf(hex, sizeof hex, "\\u%04x", static_cast<unsigned char>(utf8[++i]));
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string Printable(const std::string& gbk) {
  return EscapeControls(GbkToUtf8(gbk));
}

std::string PrintableLines(const std::string& gbk) {
  std::string out;
  size_t start = 0;
  while (start <= gbk.size()) {
    size_t end = gbk.find('\n', start);
    if (end == std::string::npos) end = gbk.size();
    // A line break of the message is "\r\n" or "\n"; "\r" anywhere else stays escaped.
    const size_t stop = end > start && end < gbk.size() && gbk[end - 1] == '\r' ? end - 1 : end;
    if (start > 0) out += '\n';
    out += Printable(gbk.substr(start, stop - start));
    start = end + 1;
  }
  return out;
}

std::string HumanSize(int64_t bytes) {
  static const char* const kUnits[] = {"B", "KiB", "MiB", "GiB", "TiB"};
  double v = static_cast<double>(bytes);
  int u = 0;
  while (v >= 1024.0 && u < 4) {
    v /= 1024.0;
    ++u;
  }
  char buf[48];
  if (u == 0)
    std::snprintf(buf, sizeof buf, "%lld B", static_cast<long long>(bytes));
  else
    std::snprintf(buf, sizeof buf, "%.2f %s", v, kUnits[u]);
  return buf;
}

}  // namespace sk::cli
