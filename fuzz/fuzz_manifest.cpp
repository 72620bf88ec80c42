// The TOML manifest of `setupkit build`, read from a folder that holds the demo's pictures,
// texts and files (links to examples/demo), so sources and pictures it names can be found.
// Inputs that could name host files outside that folder (absolute paths, "..", escapes that
// spell a separator or a dot) are skipped after the TOML parse: walking the host's file system
// finds nothing but takes long.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "fuzz/FuzzCommon.h"
#include "tools/setupkit/Manifest.h"
#include "tools/setupkit/TomlAccess.h"

namespace fs = std::filesystem;

namespace {

const fs::path& Folder() {
  static const sk::fuzz::ScratchFolder scratch(fs::temp_directory_path() /
                                               ("sk-fuzz-manifest-" + std::to_string(getpid())));
  static const fs::path folder = [] {
    const fs::path f = scratch.path();
    const fs::path demo = fs::path(SK_SOURCE_DIR) / "examples" / "demo";
    for (const auto& entry : fs::directory_iterator(demo)) {
      if (entry.is_directory())
        fs::create_directory_symlink(entry.path(), f / entry.path().filename());
    }
    return f;
  }();
  return folder;
}

bool MayLeaveFolder(const std::string& text) {
  if (text.find("..") != std::string::npos) return true;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '/' && c != '\\') continue;
    // A separator that may begin a string starts an absolute path.
    if (i == 0 || std::string_view("\"' \t\r\n=,[").find(text[i - 1]) != std::string_view::npos)
      return true;
  }
  std::string lower = text;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower.find("\\u") != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = sk::fuzz::Bytes(data, size);
  // Most inputs are no TOML at all: the reader's own parse, in memory, ends them exactly where
  // ReadManifest would, without a file written and read for each.
  sk::cli::TomlReader reader("fuzz.toml");
  if (!sk::fuzz::Accepts([&] { reader.Parse(text); })) return 0;
  if (MayLeaveFolder(text)) return 0;
  const fs::path file = Folder() / "fuzz.toml";
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
  }
  sk::fuzz::Accepts([&] { sk::cli::ReadManifest(file, "fuzz.toml"); });
  return 0;
}
