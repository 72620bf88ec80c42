// The system programs a setup starts for its registry view: regedit and regsvr32 on a 32-bit
// and a 64-bit Windows, from a 32-bit and a 64-bit setup, for DLLs of either bitness; and the
// PE machine read from files that are not (or not whole) PE images.
#include <gtest/gtest.h>

#include <string>

#include "engine/SystemViews.h"
#include "tests/support/TestMachine.h"

namespace sk::test {
namespace {

void Write(Platform& p, const std::string& path, const std::string& bytes) {
  p.ForceDirectories(path.substr(0, path.rfind('\\')));
  auto out = p.CreateFile(path);
  out->Write(bytes.data(), bytes.size());
  out->Close();
}

// A PE header stub: "MZ", e_lfanew at 0x3c, "PE\0\0" and the machine there.
std::string PeImage(uint16_t machine, uint32_t peOffset = 0x80) {
  std::string b(peOffset + 24, '\0');
  b[0] = 'M', b[1] = 'Z';
  for (int k = 0; k < 4; ++k) b[0x3c + k] = static_cast<char>(peOffset >> (8 * k));
  b.replace(peOffset, 4, std::string("PE\0\0", 4));
  b[peOffset + 4] = static_cast<char>(machine & 0xff);
  b[peOffset + 5] = static_cast<char>(machine >> 8);
  return b;
}

TEST(SystemViews, RegeditAndRegsvr32OfTheSetupsViewAndTheDllsBitness) {
  struct Case {
    bool windows64, setup32;
    std::optional<uint16_t> dll;
    std::string regedit, regsvr32;
  };
  const std::string win = "C:\\Windows", sys = "C:\\Windows\\system32";
  const std::string wow = "C:\\Windows\\SysWOW64";
  const Case cases[] = {
      // 32-bit setup on 64-bit Windows: its own view is WOW6432Node.
      {true, true, kMachineI386, wow + "\\regedit.exe", sys + "\\regsvr32.exe"},
      {true, true, kMachineAmd64, wow + "\\regedit.exe", win + "\\Sysnative\\regsvr32.exe"},
      {true, true, std::nullopt, wow + "\\regedit.exe", sys + "\\regsvr32.exe"},
      // 64-bit setup on 64-bit Windows.
      {true, false, kMachineI386, win + "\\regedit.exe", wow + "\\regsvr32.exe"},
      {true, false, kMachineAmd64, win + "\\regedit.exe", sys + "\\regsvr32.exe"},
      // 32-bit Windows: one view, one of each program.
      {false, true, kMachineI386, win + "\\regedit.exe", sys + "\\regsvr32.exe"},
      {false, true, kMachineAmd64, win + "\\regedit.exe", sys + "\\regsvr32.exe"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.windows64 ? "64-bit Windows" : "32-bit Windows") +
                 (c.setup32 ? ", 32-bit setup" : ", 64-bit setup") + ", machine " +
                 (c.dll ? std::to_string(*c.dll) : "unknown"));
    auto m = MakeSandboxMachine();
    Platform& p = m->platform();
    if (c.windows64) {
      Write(p, wow + "\\regedit.exe", "MZ");
      Write(p, wow + "\\regsvr32.exe", "MZ");
    }
    EXPECT_EQ(RegeditPath(p, c.setup32), c.regedit);
    EXPECT_EQ(RegsvrPath(p, c.setup32, c.dll), c.regsvr32);
  }
}

TEST(SystemViews, UnknownWindowsFolderGivesNoProgram) {
  auto m = MakeSandboxMachine([](SandboxConfig& c) { c.windowsDir = c.systemDir = ""; });
  EXPECT_EQ(RegeditPath(m->platform(), true), "");
  EXPECT_EQ(RegsvrPath(m->platform(), true, kMachineAmd64), "");
}

TEST(SystemViews, PeMachineOfWholeAndDamagedImages) {
  struct Case {
    const char* name;
    std::string bytes;
    std::optional<uint16_t> machine;
  };
  std::string noSignature = PeImage(kMachineI386);
  noSignature[0x80] = 'X';
  std::string farAway = PeImage(kMachineI386).substr(0, 0x40);
  farAway.replace(0x3c, 4, "\xf0\xff\xff\xff");
  const Case cases[] = {
      {"i386", PeImage(kMachineI386), kMachineI386},
      {"amd64", PeImage(kMachineAmd64), kMachineAmd64},
      {"header at 64", PeImage(kMachineAmd64, 0x40), kMachineAmd64},
      {"empty", "", std::nullopt},
      {"short DOS header", "MZ" + std::string(20, '\0'), std::nullopt},
      {"not MZ", "ZM" + PeImage(kMachineI386).substr(2), std::nullopt},
      {"no PE signature", noSignature, std::nullopt},
      {"e_lfanew past the end", PeImage(kMachineI386).substr(0, 0x83), std::nullopt},
      {"e_lfanew far away", farAway, std::nullopt},
  };
  auto m = MakeSandboxMachine();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = m->root() + "x.dll";
    Write(m->platform(), path, c.bytes);
    EXPECT_EQ(PeMachine(m->platform(), path), c.machine);
  }
  EXPECT_EQ(PeMachine(m->platform(), m->root() + "missing.dll"), std::nullopt);
}

}  // namespace
}  // namespace sk::test
