#include "tools/setupkit/DefaultMachine.h"

#include "platform/SystemHelpers.h"

namespace sk::cli {

std::unique_ptr<InputStream> DefaultMachine::OpenRead(const std::string& path) {
  throw Error(path + ": no such file on the default machine");
}

std::unique_ptr<OutputStream> DefaultMachine::CreateFile(const std::string& path) {
  throw Error(path + ": the default machine is read-only");
}

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
