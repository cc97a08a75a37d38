#include "blackbox/BoxDriver.h"

#include <algorithm>
#include <cstring>
#include <system_error>
#include <vector>

#include "blackbox/BoxLine.h"
#include "blackbox/BoxListing.h"
#include "common/DataFolder.h"
#include "common/Format.h"
#include "common/ProgramInfo.h"
#include "common/Prompt.h"
#include "link/MemoryReader.h"
#include "link/ServiceRequests.h"
#include "common/PathText.h"

namespace vlm {
namespace {

constexpr const char* kRecordFormat =
    "Время ЭВМ|tТики контроллера,мс|dДельта,мc|pПротокол|eОшибки|LДлина|№Ящика|<>Направление|Данные(hex)";
constexpr const char* kErrorLegend =
    "Коды ошибок: 0=нет 1=бит(ЧМ) 2=четность(ЧМ) 3=КС(ФМ) 4=длина(ЛИСНА) 5=ош.КС ДОЗУ 6=БК<>20h 7=ош.CRC";

std::string ProgramLine() {
  return "Файл данных программы " + std::string(kProgramTitle) + " " + std::string(kProgramVersion) + " " +
         std::string(kProgramSite);
}

size_t Utf8Characters(std::string_view text) {
  return size_t(std::count_if(text.begin(), text.end(), [](char c) { return (uint8_t(c) & 0xC0) != 0x80; }));
}

}  // namespace

std::string OverwriteQuestion(const std::string& path, bool offerAppend) {
  std::string text = "Файл " + path + " уже существует. Удалить?\r\rYes - удалить старые данные";
  if (offerAppend) text += "\rNo  - оставить старые данные и добавить новые";
  return text;
}

TBoxDriver::TBoxDriver(TBoxContext& context, const TBoxDescriptor& descriptor, uint16_t segment, uint16_t offset)
    : context_(context), descriptor_(descriptor), segment_(segment), offset_(offset) {
  const TFarPointer buffers = descriptor.Buffers();
  bufferSegment_ = buffers.segment;
  for (size_t i = 0; i < kBoxBuffers; ++i) bufferOffsets_[i] = uint16_t(buffers.offset + i * kBoxBufferSize);
  ringFits_ = size_t(buffers.offset) + kBoxBuffers * kBoxBufferSize <= 0x10000;
  name_ = descriptor.Name();
  number_ = ++context_.readerCounter;
  FileName = Format("BlackBox%2.2d.txt", {number_});
}

TBoxDriver::~TBoxDriver() {
  if (context_.view.currentBox == this) context_.view.currentBox = nullptr;
}

std::string TBoxDriver::NodeText() const { return "№" + std::to_string(number_) + " " + name_; }

std::filesystem::path TBoxDriver::RecordingPath() const {
  const std::string name = SanitizeFileName(FileName);
  if (name.empty()) return {};
  return (context_.boxFolder.empty() ? DataSubfolder("Box") : context_.boxFolder) / name;
}

void TBoxDriver::SetRecording(bool on) {
  recording_ = on;
  if (context_.observer) context_.observer->RecordingChanged(*this);
}

void TBoxDriver::ClearLines() {
  lines_.clear();
  flowCount_ = 0;
}

void TBoxDriver::Poll() {
  if (!recording_ && !IsCurrent()) {
    // Records that pass while nobody reads them are not lost to anyone: the check starts afresh.
    guard_.reset();
    return;
  }
  // A ring running past the end of its segment would have its later buffers read from the
  // segment's start, memory that is not the recorder's.
  if (!ringFits_) {
    context_.Point(kPointPurple);
    return;
  }
  std::array<uint8_t, kBoxHeaderSize> header{};
  const bool hadGuard = guard_.has_value();
  bool guardChecked = false, guardHeld = true;
  if (!ReadHeader(header, guardChecked, guardHeld)) {
    context_.Point(kPointYellow);
    return;
  }
  context_.Point(kPointGreen);
  // A damaged header never reaches the reader's copy: its lengths would be taken for records.
  if (!HeaderSignatureOk(header)) {
    context_.Point(kPointFuchsia);
    return;
  }
  if (header[13] >= kBoxBuffers) {
    context_.Point(kPointPurple);
    return;
  }
  std::copy(header.begin(), header.end(), descriptor_.bytes.begin());
  if (!guardHeld) return Overrun();
  if (readIndex_ == descriptor_.WriteIndex()) {
    // Exactly 16 (or 32, ...) new records leave the write index where it was: only the guard
    // tells. With batch reads it came with the header.
    if (hadGuard && !guardChecked && CheckGuardAlone(guardHeld) && !guardHeld) Overrun();
    return;
  }
  if (!batchTested_) ProbeBatchRead();
  if (batchSupported_)
    ReadBatch();
  else
    ReadSingle();
}

// The header, and the guard's buffer with it where batch reads are known to work. Without a
// guard (the first poll, or the first after polls were left out) the buffer in front of the read
// index becomes one: it is taken as it is now, so whatever overwrites it from here on shows.
bool TBoxDriver::ReadHeader(std::array<uint8_t, kBoxHeaderSize>& header, bool& checked, bool& held) {
  const uint8_t buffer = guard_ ? guard_->buffer : uint8_t((readIndex_ + kBoxBuffers - 1) % kBoxBuffers);
  std::array<uint8_t, kBoxHeadSize> head{};
  if (batchSupported_) {
    const TMemoryArea areas[] = {{offset_, segment_, uint8_t(kBoxHeaderSize)},
                                 {bufferOffsets_[buffer], bufferSegment_, uint8_t(kBoxHeadSize)}};
    if (!ReadMemoryAreas(context_.link, areas)) return false;
    const std::span<const uint8_t> data = context_.link.Response().subspan(2);
    std::copy_n(data.begin(), kBoxHeaderSize, header.begin());
    std::copy_n(data.begin() + kBoxHeaderSize, kBoxHeadSize, head.begin());
  } else {
    if (!ReadMemory(context_.link, segment_, offset_, header)) return false;
    if (guard_) return true;  // checked behind the records, or alone when there are none
    if (!ReadMemory(context_.link, bufferSegment_, bufferOffsets_[buffer], head)) return false;
  }
  if (guard_) {
    checked = true;
    held = GuardHeld(head);
  } else {
    guard_ = TGuard{buffer, head};
  }
  return true;
}

bool TBoxDriver::GuardHeld(std::span<const uint8_t> head) const {
  return !guard_ || std::equal(head.begin(), head.end(), guard_->head.begin(), guard_->head.end());
}

// The guard's buffer read on its own (no batch reads); false when the read failed.
bool TBoxDriver::CheckGuardAlone(bool& held) {
  std::array<uint8_t, kBoxHeadSize> head{};
  if (!ReadMemory(context_.link, bufferSegment_, bufferOffsets_[guard_->buffer], head)) {
    context_.Point(kPointYellow);
    return false;
  }
  context_.Point(kPointGreen);
  held = GuardHeld(head);
  return true;
}

void TBoxDriver::Overrun() {
  ++overruns_;
  const std::string mark = " Потеря записей: Чёрный Ящик №" + std::to_string(number_) + " " + name_ +
                           " перезаписал буферы до их чтения";
  AddLines(mark, kOverrunColour);
  if (recording_) file_.WriteLine("---------------------" + mark + " ---------------------");
  // What the ring holds now is partly newer than the gap and partly older, in no order that can
  // be told: reading goes on with what the controller writes next, and the next poll takes the
  // newest record as the guard.
  readIndex_ = descriptor_.WriteIndex();
  guard_.reset();
}

void TBoxDriver::ProbeBatchRead() {
  // What any reader of this link learnt already holds here too (TMemoryReader).
  batchTested_ = true;
  if (const auto known = TMemoryReader::AreasAnswered(context_.link)) {
    batchSupported_ = *known;
    return;
  }
  const TMemoryArea probe{0, 0, 4};
  batchSupported_ = ReadMemoryAreas(context_.link, std::span(&probe, 1));
  // The header was answered just before: silence here is the firmware's, not the line's.
  if (batchSupported_ || context_.link.LastFailure == TLinkFailure::NoAnswer)
    TMemoryReader::RememberAreasAnswered(context_.link, batchSupported_);
}

void TBoxDriver::ReadBatch() {
  std::vector<TMemoryArea> areas;
  std::vector<uint8_t> buffers;
  // The guard's head (the header read left one) travels last in the same request: read after the
  // records, it proves that none of them had been written over when they were read.
  const size_t room = kBatchBytes - kBoxHeadSize;
  size_t total = 0;
  const uint8_t writeIndex = descriptor_.WriteIndex();
  while (readIndex_ != writeIndex && areas.size() < kBoxBuffers) {
    const size_t size = descriptor_.Length(readIndex_) + kBoxHeadSize;
    if (total + size > room) break;
    areas.push_back({bufferOffsets_[readIndex_], bufferSegment_, uint8_t(size)});
    buffers.push_back(readIndex_);
    total += size;
    readIndex_ = uint8_t((readIndex_ + 1) % kBoxBuffers);
  }
  areas.push_back({bufferOffsets_[guard_->buffer], bufferSegment_, uint8_t(kBoxHeadSize)});
  if (!ReadMemoryAreas(context_.link, areas)) {
    context_.Point(kPointYellow);
    recordsLost_ += buffers.size();
    return;
  }
  context_.Point(kPointGreen);
  const std::span<const uint8_t> data = context_.link.Response().subspan(2);
  if (!GuardHeld(data.subspan(total, kBoxHeadSize))) return Overrun();
  size_t at = 0;
  for (size_t i = 0; i < buffers.size(); ++i) {
    Deliver(buffers[i], data.subspan(at, areas[i].Count));
    at += areas[i].Count;
  }
}

void TBoxDriver::ReadSingle() {
  // The records are kept until the guard has been read behind them, as in a batch.
  std::vector<std::vector<uint8_t>> records;
  uint8_t index = readIndex_;
  while (index != descriptor_.WriteIndex()) {
    std::vector<uint8_t> bytes(descriptor_.Length(index) + kBoxHeadSize);
    if (!ReadMemory(context_.link, bufferSegment_, bufferOffsets_[index], bytes)) {
      context_.Point(kPointYellow);
      break;
    }
    context_.Point(kPointGreen);
    records.push_back(std::move(bytes));
    index = uint8_t((index + 1) % kBoxBuffers);
  }
  if (records.empty()) return;
  bool held = true;
  // A failed guard read leaves the read index: the same buffers are asked for again.
  if (!CheckGuardAlone(held)) return;
  if (!held) return Overrun();
  for (const auto& bytes : records) {
    Deliver(readIndex_, bytes);
    readIndex_ = uint8_t((readIndex_ + 1) % kBoxBuffers);
  }
}

void TBoxDriver::Deliver(uint8_t buffer, std::span<const uint8_t> bytes) {
  if (descriptor_.bytes[14 + buffer] > kBoxMaxData) ++recordsCut_;
  TGuard guard{buffer, {}};
  std::copy_n(bytes.begin(), kBoxHeadSize, guard.head.begin());
  guard_ = guard;
  record_.Assign(bytes);
  ProcessRecord(bytes.size() - kBoxHeadSize, context_.clock());
}

void TBoxDriver::ProcessRecord(size_t length, TDateTime time) {
  length = std::min(length, kBoxMaxData);
  ++recordsProcessed_;
  if (record_.direction == kBoxDirOut) record_.error = 0;
  line_.clear();
  AppendRecordLine(line_, record_, length, time, previousTicks_, number_);
  previousTicks_ = record_.ticks;

  bool show = false;
  if (record_.direction == kBoxDirIn)
    show = context_.view.showIn;
  else if (record_.direction == kBoxDirOut)
    show = context_.view.showOut;
  else
    context_.Point(kPointRed);

  rawLines_.push_back(std::string(1, '\0') + line_);
  while (rawLines_.size() > kMaxRawLines) rawLines_.pop_front();

  bool separator = false;
  if (SeparatesSentFrames(record_.Code())) {
    separator = previousDirection_ == kBoxDirOut && record_.direction == kBoxDirOut;
    previousDirection_ = record_.direction;
  }
  if (IsFiltered()) show = false;

  if (show) {
    if (separator) AddLines(" ", kSeparatorColour);
    if (context_.view.showHex && !Paused) AddLines(line_, 0);
  }
  if (recording_) {
    if (separator) file_.WriteLine("");
    bytesWritten_ += int32_t(file_.WriteLine(line_));
  }
  if (context_.view.analyzerRunning && context_.observer)
    context_.observer->AnalyzerFeed(*this, record_, length, line_);
  if (context_.view.showText && show) Decode(length, time);
}

void TBoxDriver::Decode(size_t length, TDateTime time) {
  if (!HasDecoder(record_.Code())) {
    if (!context_.view.showHex) AddLines(line_, 0);
    return;
  }
  const TDecoded decoded = DecodeRecord(record_, length, time, decoderState_);
  if (decoded.text.empty()) return;
  if (recording_) file_.WriteText(decoded.text);
  if (!Paused) AddLines(decoded.text, decoded.colour);
}

void TBoxDriver::AddLines(std::string_view text, uint8_t colour) {
  if (!IsCurrent() || Paused) return;
  ForEachPiece(text, [&](std::string_view piece) {
    std::string line(1, char(colour));
    line += piece;
    lines_.push_back(std::move(line));
    while (lines_.size() > kMaxLines) lines_.pop_front();
    flow_[size_t(flowCount_++)] = {uint8_t(colour & 0xF0), uint16_t(std::min<size_t>(Utf8Characters(piece), 0xFFFF)),
                                   record_.direction};
    if (flowCount_ == int32_t(kMaxFlow)) {
      flowCount_ = int32_t(kMaxFlow) - 1;
      std::memmove(flow_.data(), flow_.data() + 1, sizeof(TFlowEntry) * size_t(flowCount_));
    }
  });
  if (context_.observer) context_.observer->LinesAdded(*this, text, colour);
}

bool TBoxDriver::IsFiltered() const {
  const uint8_t code = record_.Code();
  if (code != 2 && code != 4 && code != 36) return false;
  const size_t k = code == 36 || (record_.protocol & 0xC0) ? 1 : 0;
  if (context_.view.kpFilter && (record_.data[k] & 0x1F) != context_.view.kpNumber) return true;
  return context_.view.fnFilter && record_.data[k + 1] != context_.view.fnNumber;
}

void TBoxDriver::StartRecording() {
  if (recording_) return;
  bytesWritten_ = 0;
  readIndex_ = 0;
  guard_.reset();
  if (!ringFits_) {
    ShowError(Format("Буферы Чёрного Ящика №%d %s выходят за пределы сегмента (смещение %4.4xh): запись невозможна.",
                     {number_, name_, bufferOffsets_[0]}));
    return;
  }
  const std::filesystem::path path = RecordingPath();
  if (path.empty()) {
    ShowError("Недопустимое имя файла: " + FileName);
    return;
  }
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  TAnswer answer = TAnswer::Yes;
  if (std::filesystem::exists(path, ec)) answer = AskYesNo(OverwriteQuestion(PathToUtf8(path), true), true);
  if (answer == TAnswer::Cancel) return;
  if (answer == TAnswer::Yes) {
    if (!file_.Create(path)) {
      ShowError("Не удалось создать файл " + PathToUtf8(path));
      return;
    }
    WriteFileHeader();
  } else {
    if (!file_.Append(path)) {
      ShowError("Не удалось открыть файл " + PathToUtf8(path));
      return;
    }
    file_.WriteLine("--------------------- Добавлены записи Чёрного Ящика №" + std::to_string(number_) + " " + name_ +
                    " ---------------------");
  }
  SetRecording(true);
}

void TBoxDriver::WriteFileHeader() {
  file_.WriteLine(ProgramLine());
  file_.WriteLine(DashRule());
  file_.WriteLine(" Чёрный Ящик №" + std::to_string(number_) + " " + name_);
  file_.WriteLine(DashRule());
  file_.WriteLine(" Формат записей:");
  file_.WriteLine(kRecordFormat);
  file_.WriteLine(kErrorLegend);
  file_.WriteLine(DashRule());
}

void TBoxDriver::StopRecording() {
  if (!recording_) return;
  // A full disk must not pass for a complete recording.
  if (!file_.Close()) ShowError("Ошибка записи файла " + PathToUtf8(RecordingPath()));
  SetRecording(false);
}

bool TBoxDriver::SaveAllText(const std::filesystem::path& path) const {
  TBoxTextFile file;
  if (!file.Create(path)) return false;
  file.WriteLine(ProgramLine());
  file.WriteLine(" Чёрный Ящик №" + std::to_string(number_) + " " + name_);
  file.WriteLine(DashRule());
  for (const std::string& line : lines_) file.WriteLine(std::string_view(line).substr(1));
  return file.Close();
}

}  // namespace vlm
