#include "blackbox/BoxListing.h"

namespace vlm {

bool SeparatesSentFrames(uint8_t code) { return code == 2 || code == 4 || code == 8 || code == 13; }

TBoxListing::TBoxListing(bool showHex, bool showText) : box_(context_, TBoxDescriptor::Named("Test"), 0, 0) {
  context_.view.showHex = showHex;
  context_.view.showText = showText;
  context_.view.currentBox = &box_;
  context_.observer = this;
}

void TBoxListing::Process(TBoxRecord& record, size_t length, TDateTime time, std::string& out) {
  out_ = &out;
  box_.CurrentRecord() = record;
  box_.ProcessRecord(length, time);
  record = box_.CurrentRecord();
  out_ = nullptr;
}

void TBoxListing::LinesAdded(TBoxDriver&, std::string_view text, uint8_t) {
  if (!out_) return;
  ForEachPiece(text, [this](std::string_view piece) { (out_->append(piece)) += '\n'; });
}

}  // namespace vlm
