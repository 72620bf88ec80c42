// PE header walk for the image end and the security directory, and the search for the trailer
// in front of a certificate table.
#include "package/PackageBounds.h"

#include <algorithm>

#include "package/Container.h"

namespace sk {

namespace {

constexpr int64_t kTrailerSize = 16;
// The security directory is entry 4 of the optional header's data directories.
constexpr int kSecurityDirectory = 4;
// Signing tools align the table to 8 bytes, padding with at most 7 zero bytes.
constexpr int64_t kMaxPadding = 7;
// Settings blocks hold a few chunks; a walk longer than this is no settings block.
constexpr int kMaxSettingsChunks = 65536;

// Reads exactly n bytes at pos; false when the file ends first.
bool ReadAt(InputStream& in, int64_t pos, void* out, size_t n) {
  if (pos < 0 || pos > in.Size() || static_cast<int64_t>(n) > in.Size() - pos) return false;
  in.Seek(pos);
  auto* p = static_cast<char*>(out);
  size_t got = 0;
  while (got < n) {
    size_t r = in.Read(p + got, n - got);
    if (r == 0) return false;
    got += r;
  }
  return true;
}

uint32_t Le(const unsigned char* b, int n) {
  uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = v << 8 | b[i];
  return v;
}

struct PeView {
  int64_t imageEnd = 0;
  uint32_t securityOffset = 0;
  uint32_t securitySize = 0;
};

// The image end and the security directory of a PE file; nullopt when the file is no PE image
// (or its headers are cut short).
std::optional<PeView> ReadPe(InputStream& in) {
  unsigned char dos[64];
  if (!ReadAt(in, 0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') return std::nullopt;
  const int64_t pe = Le(dos + 60, 4);
  unsigned char coff[24];
  if (!ReadAt(in, pe, coff, sizeof coff) || Le(coff, 4) != 0x00004550) return std::nullopt;
  const uint32_t sections = Le(coff + 4 + 2, 2);
  const uint32_t optionalSize = Le(coff + 4 + 16, 2);
  const int64_t optionalAt = pe + 24;
  unsigned char magic[2];
  if (!ReadAt(in, optionalAt, magic, 2)) return std::nullopt;
  int64_t directoriesAt = 0;  // offset of the data directories inside the optional header
  if (Le(magic, 2) == 0x10B)
    directoriesAt = 96;
  else if (Le(magic, 2) == 0x20B)
    directoriesAt = 112;
  else
    return std::nullopt;

  PeView view;
  unsigned char word[4];
  if (optionalSize >= 64 && ReadAt(in, optionalAt + 60, word, 4))  // SizeOfHeaders
    view.imageEnd = std::min<int64_t>(Le(word, 4), in.Size());
  const int64_t countAt = directoriesAt - 4;  // NumberOfRvaAndSizes
  const int64_t securityAt = directoriesAt + 8 * kSecurityDirectory;
  unsigned char dir[8];
  if (optionalSize >= securityAt + 8 && ReadAt(in, optionalAt + countAt, word, 4) &&
      Le(word, 4) > kSecurityDirectory && ReadAt(in, optionalAt + securityAt, dir, 8)) {
    view.securityOffset = Le(dir, 4);
    view.securitySize = Le(dir + 4, 4);
  }
  const int64_t sectionsAt = optionalAt + optionalSize;
  for (uint32_t i = 0; i < sections; ++i) {
    unsigned char header[40];
    if (!ReadAt(in, sectionsAt + 40 * static_cast<int64_t>(i), header, sizeof header)) break;
    const int64_t rawSize = Le(header + 16, 4);
    const int64_t rawAt = Le(header + 20, 4);
    if (rawSize > 0) view.imageEnd = std::max(view.imageEnd, std::min(rawAt + rawSize, in.Size()));
  }
  return view;
}

// Walks the WIN_CERTIFICATE entries of [offset, end): each has a 32-bit length of at least 8
// (header included) and the next starts at the following 8-byte boundary. Returns the number of
// entries, or sets `fault`.
int CountEntries(InputStream& in, int64_t offset, int64_t end, std::string& fault) {
  int entries = 0;
  int64_t pos = offset;
  while (pos < end) {
    unsigned char header[8];
    if (end - pos < 8 || !ReadAt(in, pos, header, 8)) {
      fault = "certificate entry at offset " + std::to_string(pos) + " is cut short";
      return entries;
    }
    const int64_t length = Le(header, 4);
    if (length < 8 || length > end - pos) {
      fault = "certificate entry at offset " + std::to_string(pos) + " has an invalid length " +
              std::to_string(length);
      return entries;
    }
    ++entries;
    pos += (length + 7) & ~int64_t{7};
  }
  return entries;
}

// Whether a trailer ending at `end` locates a settings block whose chunk framing runs exactly up
// to it (only the length fields are read).
bool TrailerFits(InputStream& in, int64_t end) {
  const int64_t trailerAt = end - kTrailerSize;
  unsigned char b[8];
  if (trailerAt < 0 || !ReadAt(in, trailerAt + 8, b, 8)) return false;
  const int64_t settings =
      static_cast<int64_t>(static_cast<uint64_t>(Le(b + 4, 4)) << 32 | Le(b, 4));
  if (settings <= 0 || settings >= trailerAt) return false;
  int64_t pos = settings;
  for (int n = 0; n < kMaxSettingsChunks && pos < trailerAt; ++n) {
    unsigned char len[4];
    if (trailerAt - pos < 4 || !ReadAt(in, pos, len, 4)) return false;
    const auto length = static_cast<int32_t>(Le(len, 4));
    if (length <= 0 || length > kMaxCompressedChunk || length > trailerAt - pos - 4) return false;
    pos += 4 + static_cast<int64_t>(length);
  }
  return pos == trailerAt;
}

// Where the package ends in front of the table at `tableAt`: the first end, going back over
// zero padding, whose trailer fits; the table start itself when none does.
int64_t EndBeforeTable(InputStream& in, int64_t tableAt, int64_t imageEnd) {
  for (int64_t padding = 0; padding <= kMaxPadding; ++padding) {
    const int64_t end = tableAt - padding;
    if (end - kTrailerSize < imageEnd) break;
    if (padding > 0) {
      unsigned char b;
      if (!ReadAt(in, end, &b, 1) || b != 0) break;  // padding is zero bytes only
    }
    if (TrailerFits(in, end)) return end;
  }
  return tableAt;
}

}  // namespace

PackageBounds LocatePackage(InputStream& in) {
  PackageBounds bounds;
  const int64_t size = in.Size();
  bounds.end = size;
  const std::optional<PeView> pe = ReadPe(in);
  if (!pe) return bounds;
  bounds.imageEnd = pe->imageEnd;
  if (pe->securityOffset == 0 && pe->securitySize == 0) return bounds;

  const int64_t at = pe->securityOffset;
  const int64_t length = pe->securitySize;
  const std::string where =
      "security directory [" + std::to_string(at) + ", " + std::to_string(at + length) + ")";
  if (length < 8)
    bounds.note = where + " is too short to hold a certificate entry";
  else if (at + length != size)
    bounds.note = where + " does not end at the end of the file (" + std::to_string(size) + ")";
  else if (at < pe->imageEnd)
    bounds.note = where + " lies inside the executable image";
  if (!bounds.note.empty()) return bounds;

  CertificateTable table{at, length, 0};
  table.entries = CountEntries(in, at, size, bounds.note);
  bounds.certificates = table;
  bounds.end = EndBeforeTable(in, at, pe->imageEnd);
  return bounds;
}

}  // namespace sk
