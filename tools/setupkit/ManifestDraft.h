// The text of a first manifest for a folder of files (what `setupkit init` writes): a commented
// UTF-8 TOML file that `setupkit build` reads as it is.
//
// Inputs: the product name and id, the folder as the manifest names it (relative to the
// manifest's folder, "/"-separated) and the files below it ("/"-separated, relative to the
// folder, sorted, every one packable). Programs (.exe, .bat, .cmd) among them become the
// start-menu shortcut: the only one, or the only one directly in the folder; when that does not
// decide, the candidates are listed in a comment with a shortcut to uncomment.
// Errors: none; the caller refuses a list without programs (ProgramsOf) before drafting.
#pragma once

#include <random>
#include <string>
#include <vector>

namespace sk::cli {

struct DraftInput {
  std::string productName;         // UTF-8
  std::string productId;           // XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX
  std::string folder;              // UTF-8, as the manifest names it ("app", "../dist", ".")
  std::vector<std::string> files;  // UTF-8, relative to folder
};

// The files of `files` that are programs, in their order.
std::vector<std::string> ProgramsOf(const std::vector<std::string>& files);

// The program the shortcut starts, or empty when the choice is the publisher's.
std::string ChosenProgram(const std::vector<std::string>& programs);

std::string DraftManifest(const DraftInput& input);

// A fresh random product identifier in the manifest's GUID form (upper-case hex, version 4).
std::string NewProductId(std::random_device& random);

// `text` as a TOML basic string, quotes included: ", \ and control characters escaped.
std::string TomlString(const std::string& text);

}  // namespace sk::cli
