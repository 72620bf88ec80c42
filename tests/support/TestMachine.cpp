#include "tests/support/TestMachine.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <random>

#include "platform/Encoding.h"
#include "platform/SystemHelpers.h"

#ifdef _WIN32
#include <windows.h>
#if __has_include("platform/win32/Win32Platform.h")

#include "platform/win32/Win32Platform.h"
#define SK_HAVE_WIN32_PLATFORM 1
#endif
#endif

namespace fs = std::filesystem;

namespace sk::test {

namespace {

// Removes a host tree, clearing read-only flags first (Windows refuses to delete those files).
void RemoveTree(const fs::path& host) {
  std::error_code ec;
  for (fs::recursive_directory_iterator it(host, ec), end; !ec && it != end; it.increment(ec)) {
    fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ec);
  }
  fs::remove_all(host, ec);
}

class SandboxMachine : public TestMachine {
 public:
  explicit SandboxMachine(const std::function<void(SandboxConfig&)>& configure)
      : host_(fs::temp_directory_path() / ("sktest-" + UniqueName())) {
    SandboxConfig config;
    config.root = host_;
    if (configure) configure(config);
    platform_ = std::make_unique<SandboxPlatform>(std::move(config));
    root_ = "C:\\sktest\\" + UniqueName() + "\\";
    platform_->ForceDirectories(root_);
  }
  ~SandboxMachine() override {
    platform_.reset();
    RemoveTree(host_);
  }
  Platform& platform() override { return *platform_; }
  std::string root() override { return root_; }
  std::string regKey() override { return "Software\\setupkit-tests\\" + UniqueName(); }
  SandboxPlatform* sandbox() override { return platform_.get(); }

 private:
  fs::path host_;
  std::unique_ptr<SandboxPlatform> platform_;
  std::string root_;
};

#ifdef SK_HAVE_WIN32_PLATFORM
class WindowsMachine : public TestMachine {
 public:
  WindowsMachine() {
    root_ = GetTempFolder(platform_) + "sktest-" + UniqueName() + "\\";
    platform_.CreateDirectory(root_);
  }
  ~WindowsMachine() override {
    std::u16string w = GbkToUtf16(root_);
    RemoveTree(fs::path(std::wstring(w.begin(), w.end())));
    for (const std::string& key : keys_) {
      std::u16string k = GbkToUtf16(key);
      RegDeleteTreeW(HKEY_CURRENT_USER, reinterpret_cast<const wchar_t*>(k.c_str()));
    }
  }
  Platform& platform() override { return platform_; }
  std::string root() override { return root_; }
  std::string regKey() override {
    keys_.push_back("Software\\setupkit-tests\\" + UniqueName());
    return keys_.back();
  }

 private:
  Win32Platform platform_;
  std::string root_;
  std::vector<std::string> keys_;
};
#endif

}  // namespace

std::string UniqueName() {
  static std::atomic<unsigned> counter{0};  // process-wide uniqueness within one run
  static const uint64_t seed = [] {
    std::random_device rd;
    return (static_cast<uint64_t>(rd()) << 32) ^ rd() ^
           static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  }();
  char buf[32];
  std::snprintf(buf, sizeof buf, "%012llx%04x",
                static_cast<unsigned long long>(seed & 0xFFFFFFFFFFFFull), counter++ & 0xFFFF);
  return buf;
}

bool UnderWine() {
#ifdef _WIN32
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
  return false;
#endif
}

std::unique_ptr<TestMachine> MakeSandboxMachine(
    const std::function<void(SandboxConfig&)>& configure) {
  return std::make_unique<SandboxMachine>(configure);
}

std::unique_ptr<TestMachine> MakeTestMachine() {
#ifdef SK_HAVE_WIN32_PLATFORM
  return std::make_unique<WindowsMachine>();
#else
  return MakeSandboxMachine();
#endif
}

}  // namespace sk::test
