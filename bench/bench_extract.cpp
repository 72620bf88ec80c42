// Chunk-run extraction: ExtractRegion into a file against a bare zlib inflate loop over the same
// chunks into the same file, and the peak memory of ExtractRegion above the baseline.
//
//   bench_extract [MiB] [folder]     (default 1024 MiB in the system's temporary folder)
//
// The package file is written first (generated payload, never held in memory), then each
// reader runs twice, alternating; the best time of each is reported.
#include <malloc.h>
#include <zlib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "bench/HostFile.h"
#include "bench/PayloadStream.h"
#include "package/Container.h"
#include "package/Writer.h"

namespace {

using sk::bench::HostFile;

// The reference: read each chunk, inflate it with zlib into a 256 KiB buffer, write the buffer.
void BareInflate(const std::string& package, const std::string& output, sk::Region r) {
  FILE* in = std::fopen(package.c_str(), "rb");
  FILE* out = std::fopen(output.c_str(), "wb");
  fseeko(in, r.start, SEEK_SET);
  std::vector<unsigned char> chunk;
  std::vector<unsigned char> block(256 * 1024);
  z_stream zs{};
  inflateInit(&zs);
  for (int64_t pos = r.start; pos < r.end;) {
    int32_t len = 0;
    if (std::fread(&len, 4, 1, in) != 1) break;
    chunk.resize(static_cast<size_t>(len));
    if (std::fread(chunk.data(), 1, chunk.size(), in) != chunk.size()) break;
    inflateReset(&zs);
    zs.next_in = chunk.data();
    zs.avail_in = static_cast<uInt>(chunk.size());
    int rc;
    do {
      zs.next_out = block.data();
      zs.avail_out = static_cast<uInt>(block.size());
      rc = inflate(&zs, Z_NO_FLUSH);
      std::fwrite(block.data(), 1, block.size() - zs.avail_out, out);
    } while (rc == Z_OK);
    pos += 4 + len;
  }
  inflateEnd(&zs);
  std::fclose(in);
  std::fclose(out);
}

template <typename F>
double Seconds(F&& f) {
  auto t0 = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int64_t mib = argc > 1 ? std::atoll(argv[1]) : 1024;
  const std::filesystem::path dir =
      argc > 2 ? std::filesystem::path(argv[2]) : std::filesystem::temp_directory_path();
  const std::string package = (dir / "sk-bench-extract.pkg").string();
  const std::string output = (dir / "sk-bench-extract.out").string();

  sk::Region region;
  double writeSeconds = Seconds([&] {
    HostFile out(package, "wb");
    sk::bench::PayloadStream payload(mib << 20);
    sk::PackageWriter writer(out, 0, 0);
    writer.WritePreamble();
    region = writer.AppendRegion(payload);
    out.Close();
  });

  // Peak memory of ExtractRegion: reset the high-water mark, take the resident size as the
  // baseline, extract, read the high-water mark.
  const bool reset = sk::bench::ResetPeakMemory();
  const long baseline = sk::bench::StatusKiB("VmRSS");
  // The kernel updates the high-water mark lazily, so a sampler reads VmRSS meanwhile as well.
  std::atomic<bool> done{false};
  long sampled = baseline;
  std::thread sampler([&] {
    while (!done) {
      sampled = std::max(sampled, sk::bench::StatusKiB("VmRSS"));
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  });
  double oursBest = Seconds([&] {
    HostFile in(package, "rb");
    HostFile out(output, "wb");
    sk::ExtractRegion(in, out, region.start, region.end);
    out.Close();
  });
  done = true;
  sampler.join();
  const long peak = std::max(sampled, sk::bench::StatusKiB("VmHWM"));

  double bareBest = 1e9;
  for (int round = 0; round < 2; ++round) {
    bareBest = std::min(bareBest, Seconds([&] { BareInflate(package, output, region); }));
    if (round == 1) break;
    oursBest = std::min(oursBest, Seconds([&] {
                          HostFile in(package, "rb");
                          HostFile out(output, "wb");
                          sk::ExtractRegion(in, out, region.start, region.end);
                          out.Close();
                        }));
  }
  const double mb = static_cast<double>(mib);
  std::printf(
      "payload                      %lld MiB in %lld compressed bytes (written in %.1f s)\n",
      static_cast<long long>(mib), static_cast<long long>(region.end - region.start), writeSeconds);
  std::printf("bare zlib inflate loop       %.2f s  %.0f MiB/s\n", bareBest, mb / bareBest);
  std::printf("ExtractRegion into a file    %.2f s  %.0f MiB/s\n", oursBest, mb / oursBest);
  std::printf("relative speed               %.0f%% (target >= 90%%)\n",
              100.0 * bareBest / oursBest);
  if (reset && baseline > 0 && peak > 0)
    std::printf("peak memory above baseline   %.1f MiB (target <= 16 MiB; baseline %.1f MiB)\n",
                (peak - baseline) / 1024.0, baseline / 1024.0);
  else
    std::printf("peak memory above baseline   unavailable (no /proc/self/clear_refs)\n");
  std::filesystem::remove(package);
  std::filesystem::remove(output);
  return 0;
}
