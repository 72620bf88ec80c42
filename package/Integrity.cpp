// The integrity pass: trailer, settings block and stream, then every data region inflated into
// a counter.
#include "package/Integrity.h"

#include "package/Container.h"

namespace sk {

namespace {

constexpr int64_t kTrailerSize = 16;
// The settings stream is held in memory; a larger one is refused as the load refuses it.
constexpr size_t kMaxSettingsStream = 256 * 1024 * 1024;

std::string N(int64_t v) {
  return std::to_string(v);
}

int64_t ReadInt64At(InputStream& in, int64_t pos) {
  unsigned char b[8];
  in.Seek(pos);
  size_t got = 0;
  while (got < sizeof b) {
    size_t r = in.Read(b + got, sizeof b - got);
    if (r == 0) throw ChunkError(pos, "cannot read the package trailer");
    got += r;
  }
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = v << 8 | b[i];
  return static_cast<int64_t>(v);
}

// Thrown from a counting sink when a region inflates to more than its record says; caught in
// CheckRegion before it could reach anyone else.
struct LongerThanRecord {};

// Inflates [start, end) into a counter. Returns the fault of the region, if any.
std::optional<IntegrityFault> CheckRegion(InputStream& in, int64_t start, int64_t end,
                                          int64_t expected, int64_t& inflated,
                                          const std::function<void(int64_t)>& onBytes) {
  inflated = 0;
  try {
    ExtractRegion(
        in,
        [&](const char*, size_t n) {
          inflated += static_cast<int64_t>(n);
          if (inflated > expected) throw LongerThanRecord{};
          if (onBytes) onBytes(static_cast<int64_t>(n));
        },
        start, end);
  } catch (const LongerThanRecord&) {
    return IntegrityFault{
        start, "data inflates to more than the " + N(expected) + " bytes its record says"};
  } catch (const ChunkError& e) {
    return IntegrityFault{e.Offset(), e.what()};
  }
  if (inflated != expected)
    return IntegrityFault{
        start, "data inflates to " + N(inflated) + " bytes, its record says " + N(expected)};
  return std::nullopt;
}

std::optional<IntegrityFault> Check(InputStream& in, TCompile& parsed,
                                    const IntegrityProgress& progress, IntegrityStats& stats) {
  const PackageBounds bounds = LocatePackage(in);
  stats.bounds = bounds;
  if (bounds.end - bounds.imageEnd < kTrailerSize)
    return IntegrityFault{bounds.end,
                          "no room for the 16-byte package trailer after the "
                          "executable image (package area [" +
                              N(bounds.imageEnd) + ", " + N(bounds.end) + "))"};
  const int64_t trailerAt = bounds.end - kTrailerSize;
  stats.declaredSize = ReadInt64At(in, trailerAt);
  const int64_t settings = ReadInt64At(in, trailerAt + 8);
  stats.settingsOffset = settings;
  if (settings <= 0)
    return IntegrityFault{
        trailerAt + 8, "the trailer names no settings block (settings offset " + N(settings) + ")"};
  if (settings < bounds.imageEnd || settings >= trailerAt)
    return IntegrityFault{trailerAt + 8, "settings offset " + N(settings) +
                                             " lies outside the package area [" +
                                             N(bounds.imageEnd) + ", " + N(trailerAt) + ")"};

  std::string stream;
  try {
    ExtractRegion(
        in,
        [&](const char* p, size_t n) {
          if (stream.size() + n > kMaxSettingsStream)
            throw ChunkError(settings, "settings block inflates to more than " +
                                           N(static_cast<int64_t>(kMaxSettingsStream)) + " bytes");
          stream.append(p, n);
        },
        settings, trailerAt);
  } catch (const ChunkError& e) {
    return IntegrityFault{e.Offset(), std::string("settings block: ") + e.what()};
  }
  ++stats.regions;
  stats.settingsStream = std::move(stream);
  try {
    parsed.ParseSettings(stats.settingsStream);
  } catch (const Error& e) {
    return IntegrityFault{settings, e.what()};
  }

  int64_t total = 0;
  for (const auto& f : parsed.FileList())
    if (f->Kind != kind::Folder && f->UncompressedSize > 0 &&
        total <= INT64_MAX - f->UncompressedSize)
      total += f->UncompressedSize;
  int64_t done = 0;
  std::function<void(int64_t)> onBytes;
  if (progress) {
    progress(0, total);
    onBytes = [&](int64_t n) { progress(done += n, total); };
  }

  const auto& files = parsed.FileList();
  for (size_t i = 0; i < files.size(); ++i) {
    const TCompileFileData& f = *files[i];
    if (f.Kind == kind::Folder) continue;
    const std::string what =
        "file item " + N(static_cast<int64_t>(i)) + " (" + f.SourcePath + "): ";
    if (f.DataStart < bounds.imageEnd || f.DataEnd < f.DataStart || f.DataEnd > settings)
      return IntegrityFault{settings, what + "data region [" + N(f.DataStart) + ", " +
                                          N(f.DataEnd) + ") lies outside the package data [" +
                                          N(bounds.imageEnd) + ", " + N(settings) + ")"};
    if (f.UncompressedSize < 0)
      return IntegrityFault{settings, what + "negative size " + N(f.UncompressedSize)};
    int64_t inflated = 0;
    if (auto fault =
            CheckRegion(in, f.DataStart, f.DataEnd, f.UncompressedSize, inflated, onBytes)) {
      fault->message = what + fault->message;
      return fault;
    }
    ++stats.regions;
    stats.inflatedBytes += inflated;
  }
  return std::nullopt;
}

}  // namespace

std::optional<IntegrityFault> CheckPackage(InputStream& in, TCompile& parsed,
                                           const IntegrityProgress& progress,
                                           IntegrityStats* stats) {
  IntegrityStats local;
  std::optional<IntegrityFault> fault;
  try {
    fault = Check(in, parsed, progress, local);
  } catch (const ChunkError& e) {  // the trailer could not be read
    fault = IntegrityFault{e.Offset(), e.what()};
  }
  if (stats) *stats = local;
  return fault;
}

std::string DamagedSetupMessage(int64_t offset) {
  // "安装文件已损坏或不完整，请重新下载。" (the setup file is damaged or incomplete, please
  // download it again) and "偏移量：" (offset:)
  return "\xB0\xB2\xD7\xB0\xCE\xC4\xBC\xFE\xD2\xD1\xCB\xF0\xBB\xB5\xBB\xF2\xB2\xBB\xCD\xEA\xD5\xFB"
         "\xA3\xAC\xC7\xEB\xD6\xD8\xD0\xC2\xCF\xC2\xD4\xD8\xA1\xA3"
         "\r\n\r\n"
         "\xC6\xAB\xD2\xC6\xC1\xBF\xA3\xBA" +
         std::to_string(offset);
}

void CheckSetupFile(TCompile& model, const IntegrityProgress& progress) {
  Platform& platform = model.GetPlatform();
  const std::string path = platform.ExecutablePath();
  if (!platform.FileExists(path)) return;
  auto in = platform.OpenRead(path);
  TCompile scratch(platform);
  if (auto fault = CheckPackage(*in, scratch, progress))
    throw Error(DamagedSetupMessage(fault->offset));
}

void LoadSetupFile(TCompile& model) {
  try {
    model.LoadPackage(model.GetPlatform().ExecutablePath());
  } catch (const Error&) {
    CheckSetupFile(model);  // throws the damaged-file message when the package is damaged
    throw;
  }
}

}  // namespace sk
