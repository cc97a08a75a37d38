#pragma once
// The reader of one traffic recorder (type 0): polls the recorder's header, fetches new record
// buffers (in one batch request where the controller supports it), turns each record into its
// text line and hands it to the display, the text file, the decoders and the analyzer.
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "blackbox/BoxContext.h"
#include "blackbox/BoxDecoder.h"
#include "blackbox/BoxDescriptor.h"
#include "blackbox/BoxRecord.h"
#include "blackbox/BoxTextFile.h"

namespace vlm {

// Calls f for every piece of a text cut at its CR LF separators (one piece for a text without).
template <typename F>
void ForEachPiece(std::string_view text, F f) {
  for (size_t from = 0;;) {
    const size_t at = text.find("\r\n", from);
    f(text.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from));
    if (at == std::string_view::npos) return;
    from = at + 2;
  }
}

// One display line's trace for the window's flow picture.
struct TFlowEntry {
  uint8_t colour = 0;  // colour code and F0h
  uint16_t length = 0;
  uint8_t direction = 0;
};

class TBoxDriver {
 public:
  static constexpr size_t kMaxLines = 2000;
  static constexpr size_t kMaxFlow = 2000;
  static constexpr size_t kMaxRawLines = 3;
  static constexpr size_t kBatchBytes = 248;
  // Colour code of a separator line.
  static constexpr uint8_t kSeparatorColour = 1;
  // Colour code of the line that marks lost records: white on red.
  static constexpr uint8_t kOverrunColour = 0x4F;

  TBoxDriver(TBoxContext& context, const TBoxDescriptor& descriptor, uint16_t segment, uint16_t offset);
  virtual ~TBoxDriver();
  TBoxDriver(const TBoxDriver&) = delete;
  TBoxDriver& operator=(const TBoxDriver&) = delete;

  virtual void StartRecording();
  virtual void StopRecording();
  virtual void Poll();

  // Formats and distributes the current record.
  void ProcessRecord(size_t length, TDateTime time);
  // Adds display lines (text cut at CR LF) for the current reader while it is not paused.
  void AddLines(std::string_view text, uint8_t colour);
  // Writes the display lines to a file (CP1251, CR LF) under a header; false when it cannot.
  bool SaveAllText(const std::filesystem::path& path) const;
  bool IsFiltered() const;

  uint8_t Number() const { return number_; }
  const std::string& Name() const { return name_; }
  std::string NodeText() const;
  uint8_t Type() const { return descriptor_.Type(); }
  bool Recording() const { return recording_; }
  const TBoxDescriptor& Descriptor() const { return descriptor_; }
  TFarPointer Address() const { return {segment_, offset_}; }

  // The window's file name field while this reader is the current one.
  std::string FileName;
  bool Paused = false;
  // First flow entry the window shows (the window moves it).
  int32_t FirstFlowShown = 0;

  TBoxRecord& CurrentRecord() { return record_; }
  const std::deque<std::string>& Lines() const { return lines_; }      // colour character first
  const std::deque<std::string>& RawLines() const { return rawLines_; }  // character 0 first
  const TFlowEntry* Flow() const { return flow_.data(); }
  int32_t FlowCount() const { return flowCount_; }
  const std::string& CurrentLine() const { return line_; }
  uint8_t ReadIndex() const { return readIndex_; }
  int32_t BytesWritten() const { return bytesWritten_; }
  uint64_t RecordsProcessed() const { return recordsProcessed_; }
  // Records skipped because their batch read failed (the read index had already passed them).
  uint64_t RecordsLost() const { return recordsLost_; }
  // Times the recorder wrote over records before they were read (how many is unknown: the ring
  // keeps no count). Each one is marked in the display and in the recording.
  uint64_t Overruns() const { return overruns_; }
  // Records whose length entry claimed more than the 128 bytes a buffer holds (cut to 128).
  uint64_t RecordsCut() const { return recordsCut_; }
  // Whether the 16 buffers lie inside one segment; a ring that does not is never read.
  bool RingFits() const { return ringFits_; }
  bool BatchTested() const { return batchTested_; }
  bool BatchSupported() const { return batchSupported_; }
  // The replay keeps the declared length of a replayed line as the length of the read buffer.
  void SetBufferLength(uint8_t length) { descriptor_.bytes[14 + readIndex_ % kBoxBuffers] = length; }
  // The file a recording writes: the recordings folder and the file name field.
  std::filesystem::path RecordingPath() const;

 protected:
  void SetRecording(bool on);
  void ClearLines();
  TBoxContext& context_;
  TBoxDescriptor descriptor_;
  int32_t bytesWritten_ = 0;

 private:
  // The head of the record last read and its buffer. While that buffer still holds it, fewer
  // than 16 records have been written since, so every buffer behind it holds a record not yet
  // read; once it changed, the ring has come round and records were written over unread.
  struct TGuard {
    uint8_t buffer = 0;
    std::array<uint8_t, kBoxHeadSize> head{};
  };

  bool IsCurrent() const { return context_.view.currentBox == this; }
  bool ReadHeader(std::array<uint8_t, kBoxHeaderSize>& header, bool& checked, bool& held);
  bool GuardHeld(std::span<const uint8_t> head) const;
  bool CheckGuardAlone(bool& held);
  void ProbeBatchRead();
  void ReadBatch();
  void ReadSingle();
  void Deliver(uint8_t buffer, std::span<const uint8_t> bytes);
  void Overrun();
  void WriteFileHeader();
  void Decode(size_t length, TDateTime time);

  uint16_t bufferSegment_ = 0;
  std::array<uint16_t, kBoxBuffers> bufferOffsets_{};
  std::string name_;
  uint16_t segment_, offset_;
  TBoxRecord record_;
  uint8_t readIndex_ = 0;
  TBoxTextFile file_;
  std::array<TFlowEntry, kMaxFlow> flow_{};
  int32_t flowCount_ = 0;
  uint32_t previousTicks_ = 0;
  uint8_t previousDirection_ = 0;
  std::string line_;
  bool recording_ = false;
  std::deque<std::string> lines_;
  std::deque<std::string> rawLines_;
  uint8_t number_;
  bool batchTested_ = false;
  bool batchSupported_ = false;
  TDecoderState decoderState_;
  uint64_t recordsProcessed_ = 0;
  uint64_t recordsLost_ = 0;
  uint64_t overruns_ = 0;
  uint64_t recordsCut_ = 0;
  std::optional<TGuard> guard_;
  bool ringFits_ = true;
};

// The overwrite question of a recording whose file exists.
std::string OverwriteQuestion(const std::string& path, bool offerAppend);

}  // namespace vlm
