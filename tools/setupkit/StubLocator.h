// Finds the runtime stub (Setup.exe) that "setupkit build" appends the package to, and the
// built-in uninstaller (Uninst.exe) it packs when the manifest names no uninstaller.
//
// Order: the --stub / --uninstaller path; beside the setupkit program; <prefix>/share/setupkit
// (the program in <prefix>/bin); the folder named by SETUPKIT_STUB_DIR; the development tree
// (build/win32/app/Setup.exe for x86, build/win64/app/Setup.exe for x64, and
// app/uninst/Uninst.exe in the same build folders, found from the program's own build folder).
// In the folders the programs are called Setup-x86.exe / Setup-x64.exe and Uninst-x86.exe /
// Uninst-x64.exe. Each must be a PE program for the requested architecture.
// Errors: throws sk::Error listing the places searched, or naming a stub of the wrong kind.
#pragma once

#include <filesystem>
#include <string>

namespace sk::cli {

enum class Arch { X86, X64 };

std::filesystem::path LocateStub(Arch arch, const std::string& explicitStub);
std::filesystem::path LocateUninstaller(Arch arch, const std::string& explicitUninstaller);
// Checks the "MZ"/"PE" headers and the machine field; throws sk::Error otherwise.
void CheckStub(const std::filesystem::path& stub, Arch arch);
// The folder of the running program (empty when unknown).
std::filesystem::path ProgramFolder();

}  // namespace sk::cli
