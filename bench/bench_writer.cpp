// Package writer throughput on 1 and 2 threads over the same generated payload; checks that the
// bytes are identical (CRC-32 and length) and prints the speed-up.
//
//   bench_writer [MiB]     (default 256)
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "bench/PayloadStream.h"
#include "package/Writer.h"

namespace {

// Counts and checksums what the writer produces; keeps nothing.
class CrcSink : public sk::OutputStream {
 public:
  void Write(const void* data, size_t n) override {
    crc_ = crc32(crc_, static_cast<const Bytef*>(data), static_cast<uInt>(n));
    size_ += n;
  }
  void Close() override {}
  uLong crc() const { return crc_; }
  size_t size() const { return size_; }

 private:
  uLong crc_ = crc32(0, nullptr, 0);
  size_t size_ = 0;
};

struct Run {
  double seconds;
  uLong crc;
  size_t size;
};

Run WriteOnce(int64_t payloadSize, unsigned threads) {
  CrcSink sink;
  sk::bench::PayloadStream payload(payloadSize);
  auto t0 = std::chrono::steady_clock::now();
  sk::PackageWriter writer(sink, 0, threads);
  writer.WritePreamble();
  writer.AppendRegion(payload);
  auto t1 = std::chrono::steady_clock::now();
  return {std::chrono::duration<double>(t1 - t0).count(), sink.crc(), sink.size()};
}

}  // namespace

int main(int argc, char** argv) {
  const int64_t mib = argc > 1 ? std::atoll(argv[1]) : 256;
  const int64_t size = mib << 20;
  Run one = WriteOnce(size, 1);
  Run two = WriteOnce(size, 2);
  const double mb = static_cast<double>(size) / (1 << 20);
  std::printf("payload              %lld MiB\n", static_cast<long long>(mib));
  std::printf("writer, 1 thread     %.2f s  %.1f MiB/s\n", one.seconds, mb / one.seconds);
  std::printf("writer, 2 threads    %.2f s  %.1f MiB/s\n", two.seconds, mb / two.seconds);
  std::printf("speed-up             %.2fx (target >= 1.7x)\n", one.seconds / two.seconds);
  std::printf("output               %zu bytes, crc32 %08lx / %08lx: %s\n", one.size, one.crc,
              two.crc, one.crc == two.crc && one.size == two.size ? "identical" : "DIFFERENT");
  return one.crc == two.crc && one.size == two.size ? 0 : 1;
}
