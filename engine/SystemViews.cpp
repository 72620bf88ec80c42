// The system programs of the setup's registry view (see SystemViews.h).
#include "engine/SystemViews.h"

#include <cstring>

#include "platform/Error.h"
#include "platform/SystemHelpers.h"

namespace sk {
namespace {

uint32_t LittleEndian(const unsigned char* p, int bytes) {
  uint32_t v = 0;
  for (int k = bytes - 1; k >= 0; --k) v = v << 8 | p[k];
  return v;
}

// Reads exactly n bytes at `offset`; false when the file is shorter.
bool ReadAt(InputStream& in, int64_t offset, unsigned char* out, size_t n) {
  if (offset < 0 || offset > in.Size() - static_cast<int64_t>(n)) return false;
  in.Seek(offset);
  size_t got = 0;
  while (got < n) {
    const size_t r = in.Read(out + got, n - got);
    if (r == 0) return false;
    got += r;
  }
  return true;
}

// "<Windows>\<sub>\<file>" when the system has it; "" otherwise.
std::string WindowsSubProgram(Platform& platform, const char* sub, const char* file) {
  const std::string windows = SystemProgramPath(platform, SystemHome::WindowsFolder, sub);
  if (windows.empty()) return {};
  const std::string path = windows + "\\" + file;
  return platform.FileExists(path) ? path : std::string();
}

}  // namespace

std::optional<uint16_t> PeMachine(Platform& platform, const std::string& path) {
  try {
    auto in = platform.OpenRead(path);
    unsigned char dos[64];
    if (!ReadAt(*in, 0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') return std::nullopt;
    unsigned char pe[6];
    if (!ReadAt(*in, LittleEndian(dos + 0x3c, 4), pe, sizeof pe)) return std::nullopt;
    if (std::memcmp(pe, "PE\0\0", 4) != 0) return std::nullopt;
    return static_cast<uint16_t>(LittleEndian(pe + 4, 2));
  } catch (const Error&) {
    return std::nullopt;
  }
}

std::string RegeditPath(Platform& platform, bool setupIs32Bit) {
  if (setupIs32Bit) {
    std::string own = WindowsSubProgram(platform, "SysWOW64", "regedit.exe");
    if (!own.empty()) return own;
  }
  return SystemProgramPath(platform, SystemHome::WindowsFolder, "regedit.exe");
}

std::string RegsvrPath(Platform& platform, bool setupIs32Bit, std::optional<uint16_t> dllMachine) {
  // A SysWOW64 folder holding regsvr32 marks a 64-bit Windows.
  const bool windows64 = !WindowsSubProgram(platform, "SysWOW64", "regsvr32.exe").empty();
  if (windows64 && setupIs32Bit && dllMachine == kMachineAmd64) {
    const std::string native = SystemProgramPath(platform, SystemHome::WindowsFolder, "Sysnative");
    if (!native.empty()) return native + "\\regsvr32.exe";
  }
  if (windows64 && !setupIs32Bit && dllMachine == kMachineI386)
    return WindowsSubProgram(platform, "SysWOW64", "regsvr32.exe");
  return SystemProgramPath(platform, SystemHome::SystemFolder, "regsvr32.exe");
}

}  // namespace sk
