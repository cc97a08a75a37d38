#include "services/BlockReader.h"

#include <algorithm>

namespace vlm {

TBlockReader::TBlockReader(TControllerLink& link, std::string name, uint32_t size, TReadMode& mode,
                           IServiceObserver* points)
    : link_(link), name_(std::move(name)), size_(size), mode_(mode), points_(points), buffer_(kBlockLong) {
  // A serial line reads exactly the expected length, one byte wide: a long block cannot come.
  if (mode_ == TReadMode::Undecided && link_.Settings.LinkMode != kLinkUdp) mode_ = TReadMode::Short;
}

bool TBlockReader::Request(size_t rest) {
  auto& file = link_.File;
  if (mode_ != TReadMode::Short) {
    file.BlockSize = uint16_t(tags_.Next(kBlockLong, rest));
    const bool ok = ReadFileBlockLong(link_, std::span(buffer_).first(std::min<size_t>(rest, file.BlockSize)));
    if (mode_ == TReadMode::Long) return ok;
    if (ok && file.BlockGot > 0) {
      mode_ = TReadMode::Long;
      return true;
    }
    mode_ = TReadMode::Short;
  }
  file.BlockSize = uint16_t(std::min<size_t>(rest, tags_.Next(kBlockShort, rest)));
  return ReadFileBlock(link_, std::span(buffer_).first(file.BlockSize));
}

bool TBlockReader::Next() {
  got_ = 0;
  const int tries = std::max(1, link_.Settings.Attempts);
  for (int empty = 0; empty < tries; ++empty) {
    link_.File.FileName = name_;
    link_.File.FileSize = size_;
    link_.File.FileOffset = offset_;
    const bool ok = Request(size_ - offset_);
    if (points_) points_->Point(ok ? TPoint::Good : TPoint::Bad);
    if (!ok) return false;
    if (link_.File.BlockGot > 0) {
      got_ = link_.File.BlockGot;
      offset_ += uint32_t(got_);
      return true;
    }
  }
  link_.LastFailure = TLinkFailure::BadAnswer;
  return false;
}

}  // namespace vlm
