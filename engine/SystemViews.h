// Which of the system's programs a setup starts so that their work lands in the setup's own
// view of a 64-bit Windows. A 32-bit program there sees "C:\Program Files (x86)" as its
// program-files folder and writes HKLM\SOFTWARE under WOW6432Node; the system folder it names
// (...\system32) is redirected to SysWOW64 for it, but the Windows folder is not, so
// "<Windows>\regedit.exe" is the 64-bit regedit, which imports into the other view.
//
//   RegeditPath: the regedit whose registry view is the caller's: for a 32-bit setup on a
//     64-bit Windows (a SysWOW64 folder holding regedit.exe) "<Windows>\SysWOW64\regedit.exe",
//     otherwise "<Windows>\regedit.exe".
//   RegsvrPath: the regsvr32 of the DLL's bitness (a DLL registers its classes in the view of
//     the process that loads it, and only a process of its own bitness can load it): a 64-bit
//     DLL from a 32-bit setup gets "<Windows>\Sysnative\regsvr32.exe" (the 32-bit process's
//     name for the real system folder), a 32-bit DLL from a 64-bit setup
//     "<Windows>\SysWOW64\regsvr32.exe"; otherwise, and on a 32-bit Windows,
//     "<system folder>\regsvr32.exe".
//   PeMachine: the machine field of a PE image (0x14c i386, 0x8664 x86-64), nullopt for a file
//     that cannot be read or is not a PE image (read through the Platform, bounds-checked).
// `setupIs32Bit` is the bitness of the running setup (kSetupIs32Bit in the programs; a
// parameter so both cases are testable). "" when the folders are unknown: a system program is
// never searched for by bare name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Platform.h"

namespace sk {

inline constexpr bool kSetupIs32Bit = sizeof(void*) == 4;
inline constexpr uint16_t kMachineI386 = 0x14c;
inline constexpr uint16_t kMachineAmd64 = 0x8664;

std::optional<uint16_t> PeMachine(Platform& platform, const std::string& path);
std::string RegeditPath(Platform& platform, bool setupIs32Bit);
std::string RegsvrPath(Platform& platform, bool setupIs32Bit, std::optional<uint16_t> dllMachine);

}  // namespace sk
