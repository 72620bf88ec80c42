// The package writer: preamble, data regions, settings block and trailer. Payloads are cut into
// pieces of kChunkPieceSize bytes; each piece becomes one zlib stream. Pieces are compressed on
// worker threads with a bounded window of pieces in flight and written strictly in order, so
// the bytes do not depend on the number of threads.
#include "package/Writer.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <future>
#include <thread>

#include "package/Container.h"

namespace sk {

namespace {

// The eight bytes before the first region: a tag that marks where the package begins in a
// setup file and the layout version 1. Readers locate everything through the trailer and
// never look at it.
constexpr char kPreamble[8] = {'S', 'K', 'P', 'K', 'G', '\0', '\0', '\1'};

void WriteLe32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>(v >> (8 * i));
}

void WriteLe64(std::string& out, uint64_t v) {
  for (int i = 0; i < 8; ++i) out += static_cast<char>(v >> (8 * i));
}

// One compressed piece framed as a chunk: Int32 length, then the zlib stream.
std::string MakeChunk(const std::string& piece) {
  std::string z = ZlibCompress(piece);
  std::string chunk;
  chunk.reserve(4 + z.size());
  WriteLe32(chunk, static_cast<uint32_t>(z.size()));
  chunk += z;
  return chunk;
}

}  // namespace

std::string SerializeSettings(const TCompile& model) {
  MemoryWriter w;
  auto count = [&w](size_t n) {
    if (n > static_cast<size_t>(INT32_MAX)) throw Error("too many records to store");
    w.WriteInt32(static_cast<int32_t>(n));
  };

  count(model.InfoList().size());
  for (const auto& s : model.InfoList()) {
    TElement::WriteString(w, s->Name);
    TElement::WriteString(w, s->Value);
    w.WriteByte(s->Group);
  }
  TElement::WriteString(w, WriteCommaText(model.FileFolderList()));

  count(model.FileList().size());
  for (const auto& f : model.FileList()) {
    TElement::WriteString(w, f->Name);
    TElement::WriteString(w, f->SourcePath);
    TElement::WriteString(w, f->TargetDir);
    for (uint8_t b : {f->RunAtStartup, f->KeepOnUninstall, f->NoOverwrite, f->RegisterServer,
                      f->InstallService, f->RunAfterInstall, f->PatchFile})
      w.WriteByte(b);
    TElement::WriteString(w, f->TargetOs);
    w.WriteInt64(f->DataStart);
    w.WriteInt64(f->DataEnd);
    w.WriteInt64(f->UncompressedSize);
    w.WriteByte(f->Kind);  // stream order: Kind and FileTime here, ReservedFlag last
    w.WriteDouble(f->FileTime);
    w.WriteByte(f->ReservedFlag);
  }
  TElement::WriteString(w, WriteCommaText(model.RegFolderList()));

  count(model.RegList().size());
  for (const auto& v : model.RegList()) {
    TElement::WriteString(w, v->KeyPath);
    TElement::WriteString(w, v->ValueName);
    TElement::WriteString(w, v->ValueData);
    TElement::WriteString(w, v->TargetOs);
    w.WriteByte(v->ValueType);
  }
  TElement::WriteString(w, WriteCommaText(model.ShotCutFolderList()));

  count(model.ShotCutList().size());
  for (const auto& s : model.ShotCutList()) {
    TElement::WriteString(w, s->Folder);
    TElement::WriteString(w, s->Name);
    TElement::WriteString(w, s->Target);
    TElement::WriteString(w, s->IconFile);
    TElement::WriteString(w, s->Arguments);
    TElement::WriteString(w, s->Description);
    w.WriteByte(s->Kind);
  }

  count(model.CompList().size());
  for (const auto& c : model.CompList()) {
    TElement::WriteString(w, c->Name);
    w.WriteInt64(c->Size);
  }
  TElement::WriteString(w, model.Serial);
  return std::move(w.Data());
}

PackageWriter::PackageWriter(OutputStream& out, int64_t baseOffset, unsigned threads)
    : out_(out), offset_(baseOffset), threads_(threads) {
  if (threads_ == 0) threads_ = std::max(1u, std::thread::hardware_concurrency());
}

void PackageWriter::WritePreamble() {
  out_.Write(kPreamble, sizeof kPreamble);
  offset_ += static_cast<int64_t>(sizeof kPreamble);
}

Region PackageWriter::AppendPieces(const std::function<size_t(char*, size_t)>& readPiece) {
  Region region{offset_, offset_};
  auto emit = [this](const std::string& chunk) {
    out_.Write(chunk.data(), chunk.size());
    offset_ += static_cast<int64_t>(chunk.size());
  };
  auto nextPiece = [&](std::string& piece) {
    piece.resize(kChunkPieceSize);
    size_t got = 0;
    while (got < kChunkPieceSize) {
      size_t n = readPiece(piece.data() + got, kChunkPieceSize - got);
      if (n == 0) break;
      got += n;
    }
    piece.resize(got);
    return got > 0;
  };
  auto progress = [this](size_t n) {
    bytesIn_ += static_cast<int64_t>(n);
    if (OnProgress) OnProgress(bytesIn_);
  };

  if (threads_ <= 1) {
    std::string piece;
    while (nextPiece(piece)) {
      emit(MakeChunk(piece));
      progress(piece.size());
    }
  } else {
    // At most threads_ pieces are being compressed while the next one is read.
    std::deque<std::pair<size_t, std::future<std::string>>> inFlight;
    auto drainOne = [&] {
      auto [size, chunk] = std::move(inFlight.front());
      inFlight.pop_front();
      emit(chunk.get());
      progress(size);
    };
    try {
      std::string piece;
      while (nextPiece(piece)) {
        if (inFlight.size() >= threads_) drainOne();
        size_t size = piece.size();
        inFlight.emplace_back(
            size, std::async(std::launch::async, [p = std::move(piece)] { return MakeChunk(p); }));
        piece = std::string();
      }
      while (!inFlight.empty()) drainOne();
    } catch (...) {
      for (auto& f : inFlight) f.second.wait();  // never leave a worker behind
      throw;
    }
  }
  region.end = offset_;
  return region;
}

Region PackageWriter::AppendRegion(InputStream& payload) {
  return AppendPieces([&payload](char* buf, size_t n) { return payload.Read(buf, n); });
}

Region PackageWriter::AppendRegion(const std::string& payload) {
  size_t pos = 0;
  return AppendPieces([&payload, &pos](char* buf, size_t n) {
    size_t take = std::min(n, payload.size() - pos);
    std::memcpy(buf, payload.data() + pos, take);
    pos += take;
    return take;
  });
}

void PackageWriter::Finish(const TCompile& model) {
  std::string settings = SerializeSettings(model);
  Region block = AppendRegion(settings);
  std::string trailer;
  WriteLe64(trailer, static_cast<uint64_t>(model.Size));
  WriteLe64(trailer, static_cast<uint64_t>(block.start));
  out_.Write(trailer.data(), trailer.size());
  offset_ += static_cast<int64_t>(trailer.size());
}

}  // namespace sk
