// Package writer throughput on 1 and 2 threads over the same generated payload, written once as
// one large region and once as a batch of small files (AppendRegions); checks that the bytes are
// identical (CRC-32 and length) and prints the speed-ups.
//
//   bench_writer [MiB] [small file KiB]     (default 256, 24)
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

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

// The next `size` bytes of a shared payload: consecutive small files cut from one stream.
class SliceStream : public sk::InputStream {
 public:
  SliceStream(sk::InputStream& whole, int64_t size) : whole_(whole), size_(size) {}
  int64_t Size() override { return size_; }
  int64_t Position() override { return pos_; }
  void Seek(int64_t) override { throw sk::Error("slice cannot seek"); }
  size_t Read(void* buffer, size_t n) override {
    size_t got = whole_.Read(buffer, static_cast<size_t>(std::min<int64_t>(n, size_ - pos_)));
    pos_ += static_cast<int64_t>(got);
    return got;
  }

 private:
  sk::InputStream& whole_;
  int64_t size_;
  int64_t pos_ = 0;
};

// fileSize 0: one region of `payloadSize` bytes; otherwise a batch of files of fileSize bytes.
Run WriteOnce(int64_t payloadSize, int64_t fileSize, unsigned threads) {
  CrcSink sink;
  sk::bench::PayloadStream payload(payloadSize);
  auto t0 = std::chrono::steady_clock::now();
  sk::PackageWriter writer(sink, 0, threads);
  writer.WritePreamble();
  if (fileSize == 0) {
    writer.AppendRegion(payload);
  } else {
    std::vector<sk::PayloadSource> files;
    for (int64_t at = 0; at < payloadSize; at += fileSize)
      files.emplace_back([&payload, n = std::min(fileSize, payloadSize - at)] {
        return std::make_unique<SliceStream>(payload, n);
      });
    writer.AppendRegions(files);
  }
  auto t1 = std::chrono::steady_clock::now();
  return {std::chrono::duration<double>(t1 - t0).count(), sink.crc(), sink.size()};
}

// Runs one shape on 1 and 2 threads and prints the figures; false when the bytes differ.
bool Compare(const char* shape, int64_t payloadSize, int64_t fileSize) {
  Run one = WriteOnce(payloadSize, fileSize, 1);
  Run two = WriteOnce(payloadSize, fileSize, 2);
  const double mb = static_cast<double>(payloadSize) / (1 << 20);
  const bool same = one.crc == two.crc && one.size == two.size;
  std::printf("%s\n", shape);
  std::printf("  writer, 1 thread     %.2f s  %.1f MiB/s\n", one.seconds, mb / one.seconds);
  std::printf("  writer, 2 threads    %.2f s  %.1f MiB/s\n", two.seconds, mb / two.seconds);
  std::printf("  speed-up             %.2fx (target >= 1.7x)\n", one.seconds / two.seconds);
  std::printf("  output               %zu bytes, crc32 %08lx / %08lx: %s\n", one.size, one.crc,
              two.crc, same ? "identical" : "DIFFERENT");
  return same;
}

}  // namespace

int main(int argc, char** argv) {
  const int64_t mib = argc > 1 ? std::atoll(argv[1]) : 256;
  const int64_t kib = std::max<int64_t>(1, argc > 2 ? std::atoll(argv[2]) : 24);
  const int64_t size = mib << 20;
  std::printf("payload %lld MiB\n", static_cast<long long>(mib));
  bool same = Compare("one region", size, 0);
  char shape[64];
  std::snprintf(shape, sizeof shape, "batch of %lld files of %lld KiB",
                static_cast<long long>((size + (kib << 10) - 1) / (kib << 10)),
                static_cast<long long>(kib));
  same = Compare(shape, size, kib << 10) && same;
  return same ? 0 : 1;
}
