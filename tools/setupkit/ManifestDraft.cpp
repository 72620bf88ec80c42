#include "tools/setupkit/ManifestDraft.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace sk::cli {

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool IsProgram(const std::string& rel) {
  const std::string name = Lower(rel.substr(rel.rfind('/') + 1));
  for (const char* ext : {".exe", ".bat", ".cmd"}) {
    const std::string e = ext;
    if (name.size() > e.size() && name.compare(name.size() - e.size(), e.size(), e) == 0)
      return true;
  }
  return false;
}

// Name without folders and extension: the shortcut's name.
std::string Stem(const std::string& rel) {
  std::string name = rel.substr(rel.rfind('/') + 1);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// A name as part of a Windows path: the characters no Windows name can hold become "_".
std::string WindowsName(const std::string& name) {
  std::string out = name;
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20 ||
        std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos)
      c = '_';
  return out;
}

std::string Joined(const std::string& folder, const std::string& rel) {
  return folder == "." ? rel : folder + "/" + rel;
}

void AppendFiles(std::string& out, const DraftInput& in) {
  out +=
      "\n# The files to install, each with its sub-folder below the install folder ({app}).\n"
      "# A whole folder can be one entry instead: source = " +
      TomlString(in.folder) + " (see docs/manifest.md).\n";
  for (const std::string& rel : in.files) {
    out += "[[file]]\nsource = " + TomlString(Joined(in.folder, rel)) + "\n";
    const size_t slash = rel.rfind('/');
    if (slash != std::string::npos)
      out += "target = " + TomlString("{app}/" + rel.substr(0, slash)) + "\n";
  }
}

void AppendShortcut(std::string& out, const DraftInput& in,
                    const std::vector<std::string>& programs) {
  const std::string chosen = ChosenProgram(programs);
  const std::string shortcut = chosen.empty() ? programs.front() : chosen;
  std::string block = "[[shortcut]]\nplace = \"start_menu\"\nname = " + TomlString(Stem(shortcut)) +
                      "\ntarget = " + TomlString(Joined(in.folder, shortcut)) + "\n";
  if (chosen.empty()) {
    out += "\n# More than one program could be the one to start; choose it below:\n";
    for (const std::string& p : programs) out += "#   " + Joined(in.folder, p) + "\n";
    std::string commented;
    size_t start = 0;
    while (start < block.size()) {
      const size_t end = block.find('\n', start);
      commented += "# " + block.substr(start, end - start + 1);
      start = end + 1;
    }
    block = std::move(commented);
  } else {
    out += "\n# The start-menu shortcut to the program.\n";
  }
  out += block;
}

}  // namespace

std::vector<std::string> ProgramsOf(const std::vector<std::string>& files) {
  std::vector<std::string> out;
  std::copy_if(files.begin(), files.end(), std::back_inserter(out), IsProgram);
  return out;
}

std::string ChosenProgram(const std::vector<std::string>& programs) {
  if (programs.size() == 1) return programs.front();
  std::vector<std::string> top;
  std::copy_if(programs.begin(), programs.end(), std::back_inserter(top),
               [](const std::string& p) { return p.find('/') == std::string::npos; });
  return top.size() == 1 ? top.front() : std::string();
}

std::string DraftManifest(const DraftInput& in) {
  const std::vector<std::string> programs = ProgramsOf(in.files);
  std::string out =
      "# The setup program of " + in.productName +
      ", written by `setupkit init`.\n"
      "# Build it with:  setupkit build <this file> --arch x64   (or x86, the default)\n"
      "# Every key is described in docs/manifest.md.\n"
      "\n[product]\n"
      "# The product identifier names the uninstall entry: keep it for every later version.\n"
      "id = " +
      TomlString(in.productId) +
      "\n"
      "name = " +
      TomlString(in.productName) +
      "\nversion = \"1.0\"\n"
      "# author = \"\"\n"
      "# url = \"\"\n"
      "\n[setup]\n"
      "# The wizard's pages; false installs in a small window without questions.\n"
      "wizard = true\n"
      "\n[install_folder]\n"
      "path = " +
      TomlString("[System ProgramFiles]\\" + WindowsName(in.productName)) +
      "\n"
      "\n[start_menu]\n"
      "folder = " +
      TomlString(WindowsName(in.productName)) + "\n";
  AppendFiles(out, in);
  if (!programs.empty()) AppendShortcut(out, in, programs);
  out +=
      "\n# setupkit's own uninstaller (Uninst.exe), removing what the install made.\n"
      "[uninstaller]\nenabled = true\n";
  return out;
}

std::string NewProductId(std::random_device& random) {
  unsigned char b[16];
  for (size_t i = 0; i < sizeof b; i += 4) {
    const unsigned v = random();
    for (size_t k = 0; k < 4; ++k) b[i + k] = static_cast<unsigned char>(v >> (8 * k));
  }
  b[6] = static_cast<unsigned char>((b[6] & 0x0F) | 0x40);  // version 4: random
  b[8] = static_cast<unsigned char>((b[8] & 0x3F) | 0x80);  // the RFC 4122 variant
  char text[40];
  std::snprintf(text, sizeof text,
                "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", b[0], b[1],
                b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14],
                b[15]);
  return text;
}

std::string TomlString(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20 || u == 0x7F) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\u%04X", u);
      out += esc;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace sk::cli
