// The log of an unattended run (/LOG=FILE): one UTF-8 line per record, CR LF line ends, written
// through the injected Platform as the run goes, so that what happened before a crash is kept.
//
// A default-constructed log writes nothing. Opening makes the file's folder when it is missing
// and replaces the file; a file that cannot be
// created throws sk::Error (the caller reports a bad switch). A write that fails later is passed
// over: the log never ends the run it describes. Texts are GBK (names from the package, the
// system's messages) and ASCII; they are converted to UTF-8 when written.
#pragma once

#include <memory>
#include <string>

#include "platform/Platform.h"

namespace sk {

class RunLog {
 public:
  RunLog() = default;
  RunLog(Platform& platform, const std::string& path);
  ~RunLog();
  RunLog(RunLog&&) = default;
  RunLog& operator=(RunLog&&) = default;

  // One record; a text of several lines is written as several lines.
  void Line(const std::string& gbk);
  bool Enabled() const { return out_ != nullptr; }

 private:
  std::unique_ptr<OutputStream> out_;
};

}  // namespace sk
