#include "blackbox/BoxReplay.h"

#include <cstring>
#include <string>

#include "blackbox/BoxDriver.h"
#include "blackbox/BoxLine.h"
#include "blackbox/BoxListing.h"

namespace vlm {

bool TLineSource::Next(std::string_view& line) {
  for (;;) {
    const char* start = buffer_.data() + begin_;
    if (const void* nl = std::memchr(start, '\n', end_ - begin_)) {
      const size_t n = size_t(static_cast<const char*>(nl) - start);
      line = std::string_view(start, n);
      begin_ += n + 1;
      return true;
    }
    if (eof_) {
      if (begin_ == end_) return false;
      line = std::string_view(start, end_ - begin_);
      begin_ = end_;
      return true;
    }
    Refill();
  }
}

void TLineSource::Refill() {
  std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
  end_ -= begin_;
  begin_ = 0;
  if (end_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);
  const size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
  end_ += got;
  if (got == 0) eof_ = true;
}

TBoxReplay::TBoxReplay(TBoxDriver& box, std::FILE* file, uint8_t param)
    : box_(box), source_(file), param_(param) {}

bool TBoxReplay::Step() {
  std::string_view line;
  TParsedLine parsed;
  while (source_.Next(line)) {
    progress_ += line.size() + (line.empty() || line.back() != '\r' ? 2 : 1);
    const TLineKind kind = ClassifyRecordLine(line, parsed);
    if (kind == TLineKind::Malformed) ++skipped_;
    if (kind != TLineKind::Record) continue;
    box_.SetBufferLength(uint8_t(parsed.declaredLength));
    TBoxRecord& record = box_.CurrentRecord();
    record = parsed.record;
    record.param = param_;
    box_.ProcessRecord(parsed.length, parsed.time);
    ++records_;
    return true;
  }
  return false;
}

TReplayResult PrintRecording(std::FILE* in, std::FILE* out, const TReplayOptions& options) {
  constexpr size_t kFlushAt = 1 << 20;
  TReplayResult result;
  TBoxListing listing(options.showHex, true);
  TLineSource source(in);
  TParsedLine parsed;
  std::string text;
  text.reserve(kFlushAt + 4096);
  auto flush = [&] {
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), out) != text.size()) result.writeError = true;
    text.clear();
  };
  std::string_view line;
  while (source.Next(line) && !result.writeError) {
    if (!ParseRecordLine(line, parsed)) continue;
    parsed.record.param = options.param;
    listing.Process(parsed.record, parsed.length, parsed.time, text);
    ++result.records;
    if (text.size() >= kFlushAt) flush();
  }
  flush();
  result.readError = source.Failed();
  return result;
}

}  // namespace vlm
