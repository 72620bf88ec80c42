#include "tools/setupkit/Verify.h"

#include <cstring>

#include "package/Compile.h"
#include "package/Container.h"
#include "package/Writer.h"
#include "tools/setupkit/DefaultMachine.h"

namespace sk::cli {

namespace {

std::string N(int64_t v) {
  return std::to_string(v);
}

int64_t ReadInt64At(InputStream& in, int64_t pos) {
  unsigned char b[8];
  in.Seek(pos);
  if (in.Read(b, 8) != 8) throw Error("short read at offset " + N(pos));
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | b[i];
  return static_cast<int64_t>(v);
}

// Walks the chunk run [start, end) one chunk at a time so a fault names its chunk.
std::optional<Fault> CheckRegion(InputStream& in, int64_t start, int64_t end, const ByteSink& sink,
                                 VerifyStats& stats) {
  int64_t pos = start;
  while (pos < end) {
    if (end - pos < 4) return Fault{pos, "chunk length field runs past the region end " + N(end)};
    unsigned char b[4];
    in.Seek(pos);
    if (in.Read(b, 4) != 4) return Fault{pos, "chunk length field runs past the end of the file"};
    int32_t len = static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                                       uint32_t(b[3]) << 24);
    if (len <= 0) return Fault{pos, "chunk length " + N(len) + " is not positive"};
    if (len > kMaxCompressedChunk) return Fault{pos, "chunk length " + N(len) + " is too large"};
    if (len > end - pos - 4)
      return Fault{pos, "chunk of " + N(len) + " bytes runs past the region end " + N(end)};
    try {
      ExtractRegion(in, sink, pos, pos + 4 + len);
    } catch (const Error& e) {
      return Fault{pos, std::string("chunk does not inflate: ") + e.what()};
    }
    ++stats.chunks;
    pos += 4 + static_cast<int64_t>(len);
  }
  ++stats.regions;
  return std::nullopt;
}

}  // namespace

std::optional<Fault> VerifyPackage(InputStream& in, VerifyStats* out) {
  VerifyStats stats;
  auto done = [&](std::optional<Fault> f) {
    if (out) *out = stats;
    return f;
  };
  const int64_t size = in.Size();
  if (size < 16) return done(Fault{0, "file of " + N(size) + " bytes has no package trailer"});
  const int64_t trailer = size - 16;
  const int64_t declaredSize = ReadInt64At(in, trailer);
  const int64_t settings = ReadInt64At(in, trailer + 8);
  if (settings <= 0)
    return done(Fault{trailer + 8, "no settings block (settings offset " + N(settings) + ")"});
  if (settings >= trailer)
    return done(Fault{trailer + 8, "settings offset " + N(settings) +
                                       " is not before the trailer at " + N(trailer)});

  std::string stream;
  auto toString = [&](const char* p, size_t n) {
    if (stream.size() + n > kMaxInflatedChunk)
      throw Error("settings stream larger than " + N(int64_t(kMaxInflatedChunk)) + " bytes");
    stream.append(p, n);
  };
  if (auto f = CheckRegion(in, settings, trailer, toString, stats)) {
    f->message = "settings block: " + f->message;
    return done(f);
  }

  DefaultMachine machine;
  TCompile model(machine);
  try {
    model.ParseSettings(stream);
  } catch (const Error& e) {
    return done(Fault{settings, std::string("settings stream: ") + e.what()});
  }
  std::string again = SerializeSettings(model);
  if (again.size() < stream.size() && stream.compare(0, again.size(), again) == 0)
    return done(Fault{settings, "settings stream: " + N(int64_t(stream.size() - again.size())) +
                                    " bytes follow the product identifier"});

  int64_t kind0 = 0;
  const auto& files = model.FileList();
  for (size_t i = 0; i < files.size(); ++i) {
    const TCompileFileData& f = *files[i];
    ++stats.items;
    std::string what = "file item " + N(int64_t(i)) + " (" + f.SourcePath + "): ";
    if (f.Kind > kind::Uninstaller)
      return done(Fault{settings, what + "unknown kind " + N(f.Kind)});
    if (f.Kind == kind::Folder) continue;
    if (f.DataStart < 0 || f.DataStart > f.DataEnd || f.DataEnd > settings)
      return done(Fault{settings, what + "data region [" + N(f.DataStart) + ", " + N(f.DataEnd) +
                                      ") is not inside the data before the settings block at " +
                                      N(settings)});
    int64_t inflated = 0;
    auto count = [&](const char*, size_t n) { inflated += static_cast<int64_t>(n); };
    if (auto fault = CheckRegion(in, f.DataStart, f.DataEnd, count, stats)) {
      fault->message = what + fault->message;
      return done(fault);
    }
    stats.inflatedBytes += inflated;
    if (inflated != f.UncompressedSize)
      return done(Fault{f.DataStart, what + "data inflates to " + N(inflated) +
                                         " bytes, the record says " + N(f.UncompressedSize)});
    if (f.Kind == kind::File) kind0 += inflated;
  }
  stats.inflatedBytes += static_cast<int64_t>(stream.size());
  if (declaredSize != kind0)
    return done(Fault{trailer, "trailer Size " + N(declaredSize) +
                                   " differs from the total of the files to install " + N(kind0)});
  return done(std::nullopt);
}

}  // namespace sk::cli
