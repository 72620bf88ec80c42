// The install engine against bare extraction: InstallPackage of a package of mixed file sizes
// on the sandbox machine, against ExtractRegion alone over the same regions into the same
// number of host files; the integrity pass that precedes every install; and the peak resident
// memory of the install.
//
//   bench_install [MiB=1024] [folder=$TMPDIR] [pairs=4]
//
// The package is generated into a temporary file (text-like payload, about 3:1): 2,048 files of
// 64 KiB, 32 of 4 MiB and 4 large files sharing the rest. Each side runs twice, alternating;
// the best time of each is reported. Peak memory: VmHWM after the first install, the high-water
// mark reset before it, with the resident size at that moment as baseline.
#include <sys/resource.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "bench/HostFile.h"
#include "bench/PayloadStream.h"
#include "engine/Install.h"
#include "package/Container.h"
#include "package/Integrity.h"
#include "package/Writer.h"
#include "platform/NullPlatform.h"
#include "platform/sandbox/SandboxPlatform.h"

namespace {

namespace fs = std::filesystem;
using sk::bench::HostFile;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

double CpuSeconds(int who) {
  rusage u{};
  ::getrusage(who, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double Seconds(const std::function<void()>& f) {
  const double c0 = CpuSeconds(RUSAGE_SELF);
  const auto t0 = std::chrono::steady_clock::now();
  f();
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  if (std::getenv("SK_BENCH_VERBOSE"))
    std::printf("  round: %.2f s wall, %.2f s CPU\n", wall, CpuSeconds(RUSAGE_SELF) - c0);
  return wall;
}

// File sizes of the mix for a payload of `total` bytes.
std::vector<int64_t> Mix(int64_t total) {
  std::vector<int64_t> sizes;
  int64_t left = total;
  auto take = [&](int count, int64_t size) {
    for (int i = 0; i < count && left >= size; ++i, left -= size) sizes.push_back(size);
  };
  take(2048, 64 << 10);
  take(32, 4 << 20);
  for (int i = 4; i > 0; --i) {
    sizes.push_back(left / i);
    left -= left / i;
  }
  return sizes;
}

const std::string kPF = "\xC4\xBF\xB1\xEA\xBC\xC6\xCB\xE3\xBB\xFA\\Program Files\\";

// Writes stub + package to `path` and returns the regions of its files. `platform` only serves
// the model that describes the package.
std::vector<sk::Region> WritePackage(sk::Platform& platform, const fs::path& path, int64_t total) {
  sk::TCompile model(platform);
  std::vector<sk::Region> regions;
  HostFile out(path, "wb");
  const std::string stub = "MZ bench stub";
  out.Write(stub.data(), stub.size());
  sk::PackageWriter writer(out, static_cast<int64_t>(stub.size()), 0);
  writer.WritePreamble();
  int n = 0;
  for (int64_t size : Mix(total)) {
    sk::bench::PayloadStream payload(size);
    const sk::Region r = writer.AppendRegion(payload);
    regions.push_back(r);
    auto item = std::make_unique<sk::TCompileFileData>();
    item->SourcePath = "Z:\\payload\\f" + std::to_string(n++) + ".dat";
    item->TargetDir = kPF + (n % 2 ? "a" : "b");
    item->DataStart = r.start;
    item->DataEnd = r.end;
    item->UncompressedSize = size;
    item->FileTime = 43905.5;
    model.Package().FileList().push_back(std::move(item));
    model.Package().Size += size;
  }
  writer.Finish(model);
  out.Close();
  return regions;
}

struct Machine {
  explicit Machine(const fs::path& root) : platform(Config(root)) {}
  static sk::SandboxConfig Config(const fs::path& root) {
    sk::SandboxConfig c;
    c.root = root;
    return c;
  }
  sk::SandboxPlatform platform;
};

}  // namespace

int main(int argc, char** argv) {
  const int64_t mib = argc > 1 ? std::atoll(argv[1]) : 1024;
  const int rounds = std::max(2, argc > 3 ? std::atoi(argv[3]) : 4);
  const fs::path dir = (argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path()) /
                       ("sk-bench-install-" + std::to_string(::getpid()));
  const fs::path machineRoot = dir / "machine";
  const fs::path bareDir = machineRoot / "C" / "bare";  // beside the install, same file system area
  fs::create_directories(machineRoot / "C" / "Setup");
  fs::create_directories(bareDir);
  const fs::path package = machineRoot / "C" / "Setup" / "Setup.exe";

  std::vector<sk::Region> regions;
  {
    Machine m(machineRoot);
    const double s = Seconds([&] { regions = WritePackage(m.platform, package, mib << 20); });
    std::printf("package: %lld MiB in %zu files, %lld compressed bytes, written in %.2f s\n",
                static_cast<long long>(mib), regions.size(),
                static_cast<long long>(fs::file_size(package)), s);
  }

  // Every round writes fresh files into fresh folders on both sides, so both pay the same
  // file-creation costs; its output is removed again (untimed) before the next round, so every
  // round starts from the same state of the file system and of memory.
  int round = 0;
  fs::path lastOutput;
  // The timed part of an install is InstallPackage itself; opening the virtual machine and
  // loading the model happen before it, as they do before the install window appears.
  double setupSeconds = 0;
  auto install = [&] {
    const auto t0 = std::chrono::steady_clock::now();
    Machine m(machineRoot);
    sk::TCompile model(m.platform);
    model.LoadPackage("C:\\Setup\\Setup.exe");
    const std::string name = "App" + std::to_string(++round);
    model.Choices().Options.InstallDir = "C:\\" + name;
    lastOutput = machineRoot / "C" / name;
    setupSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    sk::InstallPackage(model, nullptr, "C:\\Setup\\Setup.exe");
  };
  auto bare = [&] {
    HostFile in(package, "rb");
    const fs::path out = bareDir / std::to_string(++round);
    lastOutput = out;
    fs::create_directories(out / "a");
    fs::create_directories(out / "b");
    int n = 0;
    for (const sk::Region& r : regions) {
      std::string name = "f";
      name += std::to_string(n);
      name += ".dat";
      HostFile file(out / (n % 2 ? "b" : "a") / name, "wb");
      ++n;
      sk::ExtractRegion(in, file, r.start, r.end);
      file.Close();
    }
  };

  // Each timed round starts with nothing left to write back (sync, untimed), so neither side
  // pays for the other's dirty pages.
  auto timed = [&](const auto& f) {
    ::sync();
    const double s = Seconds(f);
    fs::remove_all(lastOutput);
    ::sync();
    return s;
  };
  const bool reset = sk::bench::ResetPeakMemory();
  const long baseline = sk::bench::StatusKiB("VmRSS");
  auto timedInstall = [&] { return timed(install) - setupSeconds; };
  std::vector<double> installTimes, bareTimes;
  long peak = 0;
  // Pairs of rounds, alternating which side goes first: install, bare | bare, install | ...
  for (int pair = 0; pair < rounds; ++pair) {
    if (pair % 2 == 1) bareTimes.push_back(timed(bare));
    installTimes.push_back(timedInstall());
    if (pair == 0) peak = sk::bench::StatusKiB("VmHWM");
    if (pair % 2 == 0) bareTimes.push_back(timed(bare));
  }
  const double installBest = *std::min_element(installTimes.begin(), installTimes.end());
  const double bareBest = *std::min_element(bareTimes.begin(), bareTimes.end());
  const double installMedian = Median(installTimes);
  const double bareMedian = Median(bareTimes);

  // The integrity pass Setup.exe runs before it changes anything: every region inflated into a
  // counter. Best of two rounds, against the best install.
  std::vector<double> checkTimes;
  for (int i = 0; i < 2; ++i) {
    ::sync();
    checkTimes.push_back(Seconds([&] {
      HostFile in(package, "rb");
      sk::NullPlatform none;
      sk::TCompile parsed(none);
      if (auto fault = sk::CheckPackage(in, parsed)) {
        std::fprintf(stderr, "integrity check failed at %lld: %s\n",
                     static_cast<long long>(fault->offset), fault->message.c_str());
        std::exit(1);
      }
    }));
  }
  const double checkBest = *std::min_element(checkTimes.begin(), checkTimes.end());

  const double mb = static_cast<double>(mib);
  std::printf("InstallPackage on the sandbox:  %.2f s, %.0f MiB/s\n", installBest,
              mb / installBest);
  std::printf("ExtractRegion alone:            %.2f s, %.0f MiB/s\n", bareBest, mb / bareBest);
  std::printf("install relative to extraction: %.0f %% (target >= 85 %%)\n",
              100.0 * bareBest / installBest);
  std::printf("medians of %zu rounds each:      install %.2f s, extraction %.2f s, %.0f %%\n",
              installTimes.size(), installMedian, bareMedian, 100.0 * bareMedian / installMedian);
  std::printf(
      "integrity check before install:  %.2f s, %.0f MiB/s, %.0f %% of the install "
      "(target < 25 %%)\n",
      checkBest, mb / checkBest, 100.0 * checkBest / installBest);
  std::printf("peak memory (VmHWM) of the install: %.1f MiB, %.1f MiB above the baseline%s\n",
              peak / 1024.0, (peak - baseline) / 1024.0, reset ? "" : " (peak not reset)");
  fs::remove_all(dir);
  return 0;
}
