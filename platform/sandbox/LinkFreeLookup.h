// Status of host paths below the sandbox root without following any link: a link inside the
// root (to a folder or file outside it, or anywhere) is reported, never walked through, so no
// file operation of the sandbox can reach outside its folder that way.
//
// On Linux one openat2 call with RESOLVE_NO_SYMLINKS checks a whole path; where that call is
// not available the path is checked element by element (lstat). Not thread-safe. Errors never
// throw: an element that cannot be examined counts as missing.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace sk::sandbox {

class LinkFreeLookup {
 public:
  explicit LinkFreeLookup(const std::filesystem::path& root);
  ~LinkFreeLookup();
  LinkFreeLookup(const LinkFreeLookup&) = delete;
  LinkFreeLookup& operator=(const LinkFreeLookup&) = delete;

  static constexpr size_t kNoLink = static_cast<size_t>(-1);
  struct Result {
    std::filesystem::file_status status;  // not_found when an element is missing or a link
    size_t link = kNoLink;                // index of the first element that is a link
  };

  // root / elements[0] / ... / elements[count - 1], elements being host names (UTF-8).
  Result Look(const std::vector<std::string>& elements, size_t count);

 private:
  Result Walk(const std::vector<std::string>& elements, size_t count) const;

  std::filesystem::path root_;
  int rootFd_ = -1;  // the root folder, for openat2; -1 when each element is checked
};

}  // namespace sk::sandbox
