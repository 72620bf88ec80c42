#include "tools/setupkit/DefaultMachine.h"

#include "platform/SystemHelpers.h"

namespace sk::cli {

std::string DefaultMachine::GetSpecialFolderPath(int id) {
  switch (id) {
    case csidl::ProgramFiles:
      return "C:\\Program Files";
    case csidl::Desktop:
      return "C:\\Users\\Public\\Desktop";
    case csidl::AppData:
      return "C:\\Users\\Public\\AppData\\Roaming";
    case csidl::Programs:
      return "C:\\Users\\Public\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs";
    default:
      return {};
  }
}

}  // namespace sk::cli
