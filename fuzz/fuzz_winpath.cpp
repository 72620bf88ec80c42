// Windows path resolution of the sandbox machine. The first line is the current folder, the
// rest the path. The parsed path has only plain names (no separators, no "." or ".."), prints
// to a path that parses to itself, and the machine maps it to a host path inside its root.
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "fuzz/FuzzCommon.h"
#include "platform/sandbox/SandboxPlatform.h"
#include "platform/sandbox/WinPath.h"

namespace {

const std::filesystem::path& Root() {
  static const sk::fuzz::ScratchFolder root(std::filesystem::temp_directory_path() /
                                            ("sk-fuzz-winpath-" + std::to_string(getpid())));
  static const bool made =
      std::filesystem::create_directories(root.path() / "C" / "Program Files" / "Demo" / "Sub");
  (void)made;
  return root.path();
}

sk::SandboxPlatform& Machine() {
  static std::unique_ptr<sk::SandboxPlatform> machine = [] {
    sk::SandboxConfig config;
    config.root = Root();
    config.drives = {{'C', 1 << 30}, {'D', 1 << 30}};
    return std::make_unique<sk::SandboxPlatform>(config);
  }();
  return *machine;
}

void CheckElements(const sk::sandbox::WinPath& p) {
  for (const std::string& e : p.elements) {
    if (e.empty() || e == "." || e == "..") sk::fuzz::Broken("an empty, . or .. element");
    for (size_t i = 0; i < e.size(); ++i) {
      if (e[i] == '\\' || e[i] == '/') sk::fuzz::Broken("a separator inside an element");
      if (sk::sandbox::IsGbkLeadByte(static_cast<unsigned char>(e[i]))) ++i;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes = sk::fuzz::Bytes(data, size);
  const size_t nl = bytes.find('\n');
  const std::string current = nl == std::string::npos ? "C:\\Setup" : bytes.substr(0, nl);
  const std::string path = nl == std::string::npos ? bytes : bytes.substr(nl + 1);
  sk::sandbox::WinPath parsed;
  if (sk::sandbox::ParseWinPath(current, "C:\\", parsed) != sk::sandbox::PathError::None) return 0;
  if (sk::sandbox::ParseWinPath(path, parsed.ToString(), parsed) != sk::sandbox::PathError::None)
    return 0;
  CheckElements(parsed);
  sk::sandbox::WinPath again;
  if (sk::sandbox::ParseWinPath(parsed.ToString(), "C:\\", again) != sk::sandbox::PathError::None ||
      again.drive != parsed.drive || again.elements != parsed.elements)
    sk::fuzz::Broken("a printed path parses to another path");

  sk::SandboxPlatform& machine = Machine();
  if (auto host = machine.HostPath(path)) {
    const std::string root = Root().lexically_normal().string();
    const std::string mapped = host->lexically_normal().string();
    if (mapped.compare(0, root.size(), root) != 0) sk::fuzz::Broken("a path maps outside the root");
  }
  (void)machine.FileExists(path);
  (void)machine.DirectoryExists(path);
  (void)machine.GetFileAttributes(path);
  return 0;
}
