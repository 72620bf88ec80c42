// The one exception type of setupkit. The message is a GBK byte string (ASCII is a subset),
// shown to the user as is: it says what failed, naming the file or offset and the reason.
//
// It derives from std::exception, not std::runtime_error: libstdc++ keeps the message of its
// runtime_error in its old copy-on-write string, whose code (about 45 KB with the exception
// classes around it) a stub would carry for this one use. The message is shared between copies,
// so copying an Error never allocates and never throws, as for the standard exceptions.
#pragma once

#include <exception>
#include <memory>
#include <string>

namespace sk {

class Error : public std::exception {
 public:
  explicit Error(const std::string& gbkMessage)
      : message_(std::make_shared<const std::string>(gbkMessage)) {}
  const char* what() const noexcept override { return message_->c_str(); }

 private:
  std::shared_ptr<const std::string> message_;
};

}  // namespace sk
