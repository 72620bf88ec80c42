// The one exception type of setupkit. The message is a GBK byte string (ASCII is a subset),
// shown to the user as is: it says what failed, naming the file or offset and the reason.
#pragma once

#include <stdexcept>
#include <string>

namespace sk {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& gbkMessage) : std::runtime_error(gbkMessage) {}
};

}  // namespace sk
