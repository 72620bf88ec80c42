// The one exception type of setupkit. The message is a GBK byte string (ASCII is a subset),
// shown to the user as is: it says what failed, naming the file or offset and the reason.
//
// It derives from std::exception, not std::runtime_error: libstdc++ keeps the message of its
// runtime_error in its old copy-on-write string, whose code (about 45 KB with the exception
// classes around it) a stub would carry for this one use. The message is shared between copies,
// so copying an Error never allocates and never throws, as for the standard exceptions.
//
// A file operation that the system refused may also carry the system's error code (a Windows
// error number, 0 when unknown) and its reason text (GBK, "" when unknown), so that callers can
// tell the user in their own words what went wrong. FileInUse() tells apart the one failure a
// caller may wait out: another program holds the file (a sharing or lock violation).
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <string>

namespace sk {

class Error : public std::exception {
 public:
  explicit Error(const std::string& gbkMessage)
      : detail_(std::make_shared<const Detail>(Detail{gbkMessage, {}, 0})) {}
  Error(const std::string& gbkMessage, uint32_t systemCode, const std::string& gbkReason)
      : detail_(std::make_shared<const Detail>(Detail{gbkMessage, gbkReason, systemCode})) {}
  const char* what() const noexcept override { return detail_->message.c_str(); }
  uint32_t code() const noexcept { return detail_->code; }
  const std::string& reason() const noexcept { return detail_->reason; }
  // ERROR_SHARING_VIOLATION or ERROR_LOCK_VIOLATION: another program has the file open.
  bool FileInUse() const noexcept { return detail_->code == 32 || detail_->code == 33; }

 private:
  struct Detail {
    std::string message;
    std::string reason;
    uint32_t code;
  };
  std::shared_ptr<const Detail> detail_;
};

}  // namespace sk
