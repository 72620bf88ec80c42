#include "ui/RunLog.h"

#include "package/Compile.h"
#include "platform/Encoding.h"

namespace sk {

RunLog::RunLog(Platform& platform, const std::string& path) {
  // The folder of the log is made when missing, as a deployment script expects of a log switch.
  const std::string folder = StripTrailingBackslash(ExtractFilePath(path));
  if (folder.size() > 2) platform.ForceDirectories(folder);
  out_ = platform.CreateFile(path);
}

RunLog::~RunLog() {
  if (!out_) return;
  try {
    out_->Close();
  } catch (...) {
    // The log never ends the run; a destructor must not throw.
  }
}

void RunLog::Line(const std::string& gbk) {
  if (!out_) return;
  std::string text;
  for (char c : GbkToUtf8(gbk)) {
    if (c == '\r') continue;
    if (c == '\n') text += '\r';
    text += c;
  }
  text += "\r\n";
  try {
    out_->Write(text.data(), text.size());
  } catch (...) {
    // A full disk or a lost share: the run goes on without its log.
  }
}

}  // namespace sk
