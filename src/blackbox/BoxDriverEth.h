#pragma once
// The reader of a type-1 recorder: the controller keeps Ethernet traffic as pcap packet records
// in linear memory; the reader shows the recorder's status while idle and, while recording,
// copies the stream up to the write position seen at the start into a pcap file.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "blackbox/BoxDriver.h"

namespace vlm {

class TBoxDriverEth : public TBoxDriver {
 public:
  static constexpr size_t kChunk = 248;
  static constexpr double kRefreshMs = 500;
  // Linear addresses are sent with F in the top digit of the segment: 28 bits remain.
  static constexpr uint64_t kLinearEnd = 0x10000000;
  // Read modes: up to the write index; or first the older end part of a wrapped buffer.
  enum : uint8_t { kReadToWriteIndex = 0, kReadEndPart = 1 };

  TBoxDriverEth(TBoxContext& context, const TBoxDescriptor& descriptor, uint16_t segment, uint16_t offset);
  ~TBoxDriverEth() override;

  void StartRecording() override;
  void StopRecording() override;
  // Ends a recording before the write position: the file keeps its temporary name, which is
  // returned, so that an interrupted capture never looks finished.
  std::filesystem::path AbandonRecording();
  void Poll() override;

  uint32_t ReadPosition() const { return readPosition_; }
  uint32_t Limit() const { return limit_; }
  uint8_t ReadMode() const { return readMode_; }
  // The capture file a recording writes: the file name field, ".pcap" added when it has no extension.
  std::filesystem::path CapturePath() const;

 private:
  bool StatusRefresh();
  // Why the buffer of the descriptor copy cannot be read (outside the linear memory, a write
  // index past its end), or an empty text when it can.
  std::string BufferFault() const;
  // Shows the fault and gives true when there is one.
  bool RefuseBadBuffer();
  void CopyChunk();
  // Linear address of a buffer position as segment:offset with F in the top digit of the segment.
  static void LinearAddress(uint32_t address, uint16_t& segment, uint16_t& offset);

  TDateTime nextRefresh_ = 0;
  std::FILE* capture_ = nullptr;
  std::filesystem::path capturePath_, partPath_;
  uint32_t readPosition_ = 0;
  uint32_t limit_ = 0;
  uint8_t readMode_ = kReadToWriteIndex;
  bool writeFailed_ = false;
};

}  // namespace vlm
