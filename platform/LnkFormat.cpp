#include "platform/LnkFormat.h"

#include "platform/Encoding.h"
#include "platform/sandbox/Utf16Bytes.h"

namespace sk {

namespace {

constexpr uint32_t kHeaderSize = 0x4C;
constexpr unsigned char kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                          0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

namespace flag {
constexpr uint32_t HasLinkTargetIdList = 0x01;
constexpr uint32_t HasLinkInfo = 0x02;
constexpr uint32_t HasName = 0x04;
constexpr uint32_t HasRelativePath = 0x08;
constexpr uint32_t HasWorkingDir = 0x10;
constexpr uint32_t HasArguments = 0x20;
constexpr uint32_t HasIconLocation = 0x40;
constexpr uint32_t IsUnicode = 0x80;
}  // namespace flag

constexpr uint32_t kVolumeIdAndLocalBasePath = 0x01;
constexpr uint32_t kLinkInfoHeaderWithUnicode = 0x24;
constexpr uint32_t kDriveFixed = 3;

class ByteWriter {
 public:
  void U16(uint32_t v) { Le(v, 2); }
  void U32(uint32_t v) { Le(v, 4); }
  void U64(uint64_t v) { Le(v, 8); }
  void Bytes(const std::string& b) { out_ += b; }
  void PutU32(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out_[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  }
  size_t size() const { return out_.size(); }
  std::string& str() { return out_; }

 private:
  void Le(uint64_t v, int n) {
    for (int i = 0; i < n; ++i) out_ += static_cast<char>((v >> (8 * i)) & 0xFF);
  }
  std::string out_;
};

bool IsDrivePath(const std::string& p) {
  return p.size() >= 3 && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')) &&
         p[1] == ':' && p[2] == '\\';
}

std::string LinkInfo(const std::string& basePath) {
  ByteWriter w;
  const uint32_t volumeIdSize = 0x11;  // four fields and an empty label
  std::string ansi = basePath + '\0';
  std::string wide = sandbox::Utf16LeBytes(GbkToUtf16(basePath) + u'\0');
  uint32_t volumeOffset = kLinkInfoHeaderWithUnicode;
  uint32_t baseOffset = volumeOffset + volumeIdSize;
  uint32_t suffixOffset = baseOffset + static_cast<uint32_t>(ansi.size());
  uint32_t baseWideOffset = suffixOffset + 1;
  uint32_t suffixWideOffset = baseWideOffset + static_cast<uint32_t>(wide.size());
  uint32_t total = suffixWideOffset + 2;
  w.U32(total);
  w.U32(kLinkInfoHeaderWithUnicode);
  w.U32(kVolumeIdAndLocalBasePath);
  w.U32(volumeOffset);
  w.U32(baseOffset);
  w.U32(0);  // no network location
  w.U32(suffixOffset);
  w.U32(baseWideOffset);
  w.U32(suffixWideOffset);
  w.U32(volumeIdSize);
  w.U32(kDriveFixed);
  w.U32(0);     // drive serial number: unknown
  w.U32(0x10);  // label offset
  w.Bytes(std::string(1, '\0'));
  w.Bytes(ansi);
  w.Bytes(std::string(1, '\0'));
  w.Bytes(wide);
  w.Bytes(std::string(2, '\0'));
  return w.str();
}

void StringData(ByteWriter& w, const std::string& gbk, const char* what) {
  std::u16string s = GbkToUtf16(gbk);
  if (s.size() > 0xFFFF) throw Error(std::string("shell link: ") + what + " is too long");
  w.U16(static_cast<uint32_t>(s.size()));
  w.Bytes(sandbox::Utf16LeBytes(s));
}

// Bounds-checked little-endian reading of untrusted bytes.
class ByteReader {
 public:
  explicit ByteReader(const std::string& b) : b_(b) {}
  uint32_t U16(size_t at) const { return static_cast<uint32_t>(Le(at, 2)); }
  uint32_t U32(size_t at) const { return static_cast<uint32_t>(Le(at, 4)); }
  uint64_t U64(size_t at) const { return Le(at, 8); }
  void Need(size_t at, size_t n) const {
    if (at > b_.size() || n > b_.size() - at) {
      throw Error("shell link: data ends at offset " + std::to_string(b_.size()) + ", expected " +
                  std::to_string(n) + " bytes at offset " + std::to_string(at));
    }
  }
  std::string Bytes(size_t at, size_t n) const {
    Need(at, n);
    return b_.substr(at, n);
  }
  // A zero-terminated string of 1- or 2-byte units starting at `at` and ending before `limit`.
  std::string Terminated(size_t at, size_t limit, size_t unit) const {
    std::string out;
    for (size_t i = at;; i += unit) {
      if (i + unit > limit) {
        throw Error("shell link: unterminated string at offset " + std::to_string(at));
      }
      Need(i, unit);
      if (b_[i] == '\0' && (unit == 1 || b_[i + 1] == '\0')) return out;
      out += b_.substr(i, unit);
    }
  }

 private:
  uint64_t Le(size_t at, int n) const {
    Need(at, static_cast<size_t>(n));
    uint64_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b_[at + i]);
    return v;
  }
  const std::string& b_;
};

std::string GbkFromUtf16Le(const std::string& bytes) {
  return sandbox::GbkFromUtf16(sandbox::FromUtf16LeBytes(bytes));
}

}  // namespace

std::string BuildShellLink(const ShellLinkInfo& link, const LnkTargetData& target) {
  bool linkInfo = IsDrivePath(link.target);
  uint32_t flags = flag::IsUnicode;
  if (linkInfo) flags |= flag::HasLinkInfo;
  if (!linkInfo && !link.target.empty()) flags |= flag::HasRelativePath;
  if (!link.description.empty()) flags |= flag::HasName;
  if (!link.workingDir.empty()) flags |= flag::HasWorkingDir;
  if (!link.arguments.empty()) flags |= flag::HasArguments;
  if (!link.iconPath.empty()) flags |= flag::HasIconLocation;

  ByteWriter w;
  w.U32(kHeaderSize);
  w.Bytes(std::string(reinterpret_cast<const char*>(kLinkClsid), sizeof kLinkClsid));
  w.U32(flags);
  w.U32(target.attributes);
  w.U64(static_cast<uint64_t>(target.creationTime));
  w.U64(static_cast<uint64_t>(target.accessTime));
  w.U64(static_cast<uint64_t>(target.writeTime));
  w.U32(target.size);
  w.U32(static_cast<uint32_t>(link.iconIndex));
  w.U32(static_cast<uint32_t>(link.showCommand));
  w.U16(0);  // no hot key
  w.U16(0);
  w.U32(0);
  w.U32(0);
  if (linkInfo) w.Bytes(LinkInfo(link.target));
  if (flags & flag::HasName) StringData(w, link.description, "description");
  if (flags & flag::HasRelativePath) StringData(w, link.target, "target");
  if (flags & flag::HasWorkingDir) StringData(w, link.workingDir, "working folder");
  if (flags & flag::HasArguments) StringData(w, link.arguments, "arguments");
  if (flags & flag::HasIconLocation) StringData(w, link.iconPath, "icon location");
  w.U32(0);  // terminal extra-data block
  return w.str();
}

ShellLinkInfo ParseShellLink(const std::string& bytes) {
  ByteReader r(bytes);
  if (r.U32(0) != kHeaderSize ||
      r.Bytes(4, 16) != std::string(reinterpret_cast<const char*>(kLinkClsid), sizeof kLinkClsid)) {
    throw Error("shell link: no link header at offset 0");
  }
  uint32_t flags = r.U32(20);
  ShellLinkInfo link;
  link.iconIndex = static_cast<int32_t>(r.U32(56));
  link.showCommand = static_cast<int>(r.U32(60));
  size_t pos = kHeaderSize;
  if (flags & flag::HasLinkTargetIdList) pos += 2 + r.U16(pos);

  std::string relativePath;
  if (flags & flag::HasLinkInfo) {
    size_t size = r.U32(pos);
    r.Need(pos, size);
    size_t end = pos + size;
    uint32_t headerSize = r.U32(pos + 4);
    uint32_t infoFlags = r.U32(pos + 8);
    if (size < 0x1C || headerSize < 0x1C || headerSize > size) {
      throw Error("shell link: bad link information at offset " + std::to_string(pos));
    }
    if (infoFlags & kVolumeIdAndLocalBasePath) {
      uint32_t suffixOffset = r.U32(pos + 24);
      if (headerSize >= kLinkInfoHeaderWithUnicode && r.U32(pos + 28) != 0) {
        link.target = GbkFromUtf16Le(r.Terminated(pos + r.U32(pos + 28), end, 2));
        uint32_t suffixWide = r.U32(pos + 32);
        if (suffixWide) link.target += GbkFromUtf16Le(r.Terminated(pos + suffixWide, end, 2));
      } else {
        link.target = r.Terminated(pos + r.U32(pos + 16), end, 1);
        if (suffixOffset) link.target += r.Terminated(pos + suffixOffset, end, 1);
      }
    }
    pos = end;
  }

  bool unicode = (flags & flag::IsUnicode) != 0;
  auto next = [&]() {
    size_t count = r.U16(pos);
    size_t n = count * (unicode ? 2 : 1);
    std::string raw = r.Bytes(pos + 2, n);
    pos += 2 + n;
    return unicode ? GbkFromUtf16Le(raw) : raw;
  };
  if (flags & flag::HasName) link.description = next();
  if (flags & flag::HasRelativePath) relativePath = next();
  if (flags & flag::HasWorkingDir) link.workingDir = next();
  if (flags & flag::HasArguments) link.arguments = next();
  if (flags & flag::HasIconLocation) link.iconPath = next();
  if (!(flags & flag::HasLinkInfo)) link.target = relativePath;
  return link;
}

}  // namespace sk
