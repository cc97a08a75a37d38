#include "blackbox/BoxDriverEth.h"

#include <algorithm>
#include <system_error>

#include "blackbox/Pcap.h"
#include "common/Format.h"
#include "common/Prompt.h"
#include "link/ServiceRequests.h"
#include "common/PathText.h"
#include "platform/FileAccess.h"

namespace vlm {

TBoxDriverEth::TBoxDriverEth(TBoxContext& context, const TBoxDescriptor& descriptor, uint16_t segment,
                             uint16_t offset)
    : TBoxDriver(context, descriptor, segment, offset) {
  FileName = Format("BlackBox%2.2d.pcap", {Number()});
}

TBoxDriverEth::~TBoxDriverEth() {
  if (capture_) std::fclose(capture_);
}

std::filesystem::path TBoxDriverEth::CapturePath() const {
  std::filesystem::path path(FileName);
  if (!path.has_extension()) path += ".pcap";
  return path;
}

void TBoxDriverEth::LinearAddress(uint32_t address, uint16_t& segment, uint16_t& offset) {
  address |= 0xF0000000u;
  segment = uint16_t(address >> 16);
  offset = uint16_t(address);
}

bool TBoxDriverEth::StatusRefresh() {
  std::array<uint8_t, kBoxDescriptorSize> bytes{};
  if (!ReadMemory(context_.link, Address().segment, Address().offset, bytes)) {
    context_.Point(kPointYellow);
    return false;
  }
  context_.Point(kPointGreen);
  // Limits and addresses come from this copy: one without the signature is not taken.
  if (!HeaderSignatureOk(bytes)) {
    context_.Point(kPointFuchsia);
    return false;
  }
  descriptor_ = TBoxDescriptor::FromBytes(bytes);
  AddLines(" ", 0);
  AddLines(" Размер буфера  = " + std::to_string(descriptor_.EthSize()), 0);
  AddLines(" Индекс записи  = " + std::to_string(descriptor_.EthWriteIndex()), 0);
  AddLines(std::string(" Буфер зациклен = ") + (descriptor_.EthWrapped() ? "True" : "False"), 0);
  return true;
}

std::string TBoxDriverEth::BufferFault() const {
  const uint64_t base = descriptor_.EthBase(), size = descriptor_.EthSize(), written = descriptor_.EthWriteIndex();
  if (base + size > kLinearEnd)
    return Format("буфер %u байт по адресу %8.8xh выходит за пределы памяти", {size, base});
  if (written > size) return Format("индекс записи %u за пределами буфера (%u байт)", {written, size});
  return {};
}

bool TBoxDriverEth::RefuseBadBuffer() {
  const std::string fault = BufferFault();
  if (fault.empty()) return false;
  ShowError("Чёрный Ящик №" + std::to_string(Number()) + " " + Name() + ": " + fault + ". Запись не начата.");
  return true;
}

void TBoxDriverEth::Poll() {
  const bool current = context_.view.currentBox == this;
  if (current && !Recording()) {
    const TDateTime now = context_.clock();
    if (now >= nextRefresh_) {
      nextRefresh_ = now + kRefreshMs / kMsPerDay;
      StatusRefresh();
    }
  }
  if (Recording()) CopyChunk();
}

void TBoxDriverEth::CopyChunk() {
  const uint32_t end = readMode_ == kReadEndPart ? descriptor_.EthSize() : limit_;
  const uint32_t remaining = end > readPosition_ ? end - readPosition_ : 0;
  const uint8_t chunk = uint8_t(std::min<uint32_t>(kChunk, remaining));
  std::array<uint8_t, kChunk> bytes{};
  uint16_t segment = 0, offset = 0;
  LinearAddress(descriptor_.EthBase() + readPosition_, segment, offset);
  if (!ReadMemory(context_.link, segment, offset, std::span(bytes.data(), chunk))) {
    context_.Point(kPointYellow);
    return;
  }
  if (chunk && std::fwrite(bytes.data(), 1, chunk, capture_) != chunk) writeFailed_ = true;
  bytesWritten_ += chunk;
  if (context_.observer) context_.observer->BytesCopied(*this);
  context_.Point(kPointGreen);
  readPosition_ += chunk;
  if (readMode_ == kReadEndPart) {
    if (readPosition_ >= end) {
      readMode_ = kReadToWriteIndex;
      readPosition_ = 0;
    }
    return;
  }
  if (readPosition_ >= limit_) StopRecording();
}

void TBoxDriverEth::StartRecording() {
  if (Recording()) return;
  bytesWritten_ = 0;
  StatusRefresh();
  // Positions the controller gives are used only inside the buffer it names.
  if (RefuseBadBuffer()) return;
  const std::filesystem::path path = CapturePath();
  std::error_code ec;
  if (std::filesystem::exists(path, ec) && AskYesNo(OverwriteQuestion(PathToUtf8(path), false)) != TAnswer::Yes) return;
  // The capture grows under a temporary name and takes its own at the stop, so an interrupted
  // recording never leaves a file that looks like a finished capture.
  capturePath_ = path;
  partPath_ = path;
  partPath_ += ".part";
  capture_ = platform::OpenFile(partPath_, "wb");
  if (!capture_) {
    ShowError("Не удалось создать файл " + PathToUtf8(partPath_));
    return;
  }
  const auto header = PcapGlobalHeader(kLinkTypeEthernet);
  writeFailed_ = std::fwrite(header.data(), 1, header.size(), capture_) != header.size();
  StatusRefresh();
  if (RefuseBadBuffer()) {
    std::fclose(capture_);
    capture_ = nullptr;
    std::filesystem::remove(partPath_, ec);
    return;
  }
  limit_ = descriptor_.EthWriteIndex();
  if (limit_ < readPosition_) {
    readPosition_ = 0;
    AddLines(" Индекс записи меньше позиции чтения: чтение с начала буфера", 0);
  }
  readMode_ = kReadToWriteIndex;
  if (descriptor_.EthWrapped() && readPosition_ == 0 && limit_ < descriptor_.EthSize()) {
    // Everything behind the write index is older than the start of the buffer.
    readMode_ = kReadEndPart;
    readPosition_ = limit_;
    AddLines(" Буфер зациклен: сначала читается его конец", 0);
  }
  SetRecording(true);
}

void TBoxDriverEth::StopRecording() {
  if (!Recording()) return;
  bool ok = std::fclose(capture_) == 0 && !writeFailed_;
  capture_ = nullptr;
  std::error_code ec;
  if (ok) std::filesystem::rename(partPath_, capturePath_, ec);
  if (!ok || ec) ShowError("Ошибка записи файла " + PathToUtf8(capturePath_));
  SetRecording(false);
}

std::filesystem::path TBoxDriverEth::AbandonRecording() {
  if (!Recording()) return {};
  if (std::fclose(capture_) != 0 || writeFailed_) ShowError("Ошибка записи файла " + PathToUtf8(partPath_));
  capture_ = nullptr;
  SetRecording(false);
  return partPath_;
}

}  // namespace vlm
