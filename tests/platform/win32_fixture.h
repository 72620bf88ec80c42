// A test fixture for the Win32-only suites: a Win32Platform and a fresh folder below the
// system's temporary folder (GBK path in `root`, no trailing backslash), removed with
// everything in it after the test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/Win32Platform.h"
#include "platform/win32/WinText.h"

namespace sk {

class Win32TempFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    ASSERT_GT(n, 0u);
    const char* test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::wstring dir = std::wstring(temp, n) + L"sk-win32-" +
                       std::to_wstring(GetCurrentProcessId()) + L"-" +
                       std::wstring(test, test + strlen(test));
    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
    wroot = dir;
    root = win32::Narrow(dir);
  }
  void TearDown() override {
    if (!wroot.empty()) RemoveTree(wroot);
  }

  static void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring path = dir + L"\\" + name;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
          RemoveTree(path);
        else
          DeleteFileW(path.c_str());
      } while (FindNextFileW(h, &fd));
      FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
  }

  Win32Platform p;
  std::string root;
  std::wstring wroot;
};

}  // namespace sk
