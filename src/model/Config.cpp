#include "model/Config.h"

#include <algorithm>
#include <cstring>

#include "common/Format.h"
#include "common/Numbers.h"
#include "common/Prompt.h"
#include "common/TextCodec.h"

namespace vlm {

namespace {
constexpr char kSignature[] = "         VELMOR    Config file ";  // offsets 0..30
constexpr size_t kSignatureLength = 31;
static_assert(sizeof(kSignature) == kSignatureLength + 1);
constexpr size_t kCheckedFrom = 9, kCheckedLength = 21;  // product tag and " Config file"
constexpr size_t kDateOffset = 64, kTimeOffset = 80, kVersionOffset = 96, kSizeTextOffset = 32;
constexpr size_t kFieldLength = 16;

std::string Padded(std::string text, size_t length) {
  text.resize(length, ' ');
  return text;
}

[[noreturn]] void Refuse(const std::string& text) {
  ShowError(text);
  Abort();
}

// Walks the records of [begin, end) in file order, entering every container. Returns the offset
// of the first record that does not fit its container (or the image), or nothing when all fit.
struct TWalkError {
  size_t offset;
  const char* reason;
};
std::optional<TWalkError> WalkRecords(const uint8_t* data, size_t begin, size_t end,
                                      const std::function<void(const TRecordInfo&)>& visit) {
  std::vector<size_t> ends{end};
  size_t pos = begin;
  for (;;) {
    while (!ends.empty() && pos == ends.back()) ends.pop_back();
    if (ends.empty()) return std::nullopt;
    const size_t limit = ends.back();
    if (limit - pos < 4) return TWalkError{pos, "неполный заголовок записи"};
    const uint8_t tag = data[pos], id = data[pos + 1];
    const uint16_t length = GetU16(data + pos + 2);
    if (length < 4) return TWalkError{pos, "запись нулевой длины"};
    if (length > limit - pos) return TWalkError{pos, "запись выходит за границу контейнера"};
    const bool container = tag == kTagContainer;
    if (visit) {
      std::span<const uint8_t> payload;
      if (!container) payload = {data + pos + 4, size_t{length} - 4};
      visit(TRecordInfo{pos, tag, id, length, static_cast<int>(ends.size()) - 1, payload});
    }
    if (container) {
      ends.push_back(pos + length);
      pos += 4;
    } else {
      pos += length;
    }
  }
}

uint16_t ByteSum(const uint8_t* buffer, size_t length) {
  uint16_t sum = 0;
  for (size_t i = 0; i + 2 < length; ++i) sum = static_cast<uint16_t>(sum + buffer[i]);
  return sum;
}
}  // namespace

bool StoreCheckSum(uint8_t* buffer, size_t length) {
  if (length < 3) return false;
  PutU16(buffer + length - 2, ByteSum(buffer, length));
  return true;
}

bool CheckSumMatches(const uint8_t* buffer, size_t length) {
  return length >= 3 && GetU16(buffer + length - 2) == ByteSum(buffer, length);
}

bool CheckSum(uint8_t* buffer, size_t length, int mode) {
  if (mode == 1) return StoreCheckSum(buffer, length);
  if (mode == 0) return CheckSumMatches(buffer, length);
  return false;
}

TConfig::TConfig() : buffer_(kImageCapacity, 0) {}

// --- writing ---

void TConfig::Clear() {
  std::fill(buffer_.begin(), buffer_.end(), 0);
  Position = 0;
  ConfigSize = 0;
  overflow_ = false;
  countError_.clear();
  recordsEnd_ = containerEnd_ = 0;
}

void TConfig::Put(size_t offset, const void* data, size_t size) {
  if (size) std::memcpy(buffer_.data() + offset, data, size);
}

size_t TConfig::OpenContainer(uint8_t id) {
  const size_t start = Position;
  if (Fits(4)) {
    const uint8_t header[4] = {kTagContainer, id, 4, 0};
    Put(Position, header, 4);
  } else {
    overflow_ = true;
  }
  Position += 4;
  return start;
}

void TConfig::CloseContainer(size_t start) {
  if (overflow_ || start + 4 > Position) return;
  PutU16(buffer_.data() + start + 2, static_cast<uint16_t>(Position - start));
}

void TConfig::WriteItem(uint8_t id, size_t size, const void* data) {
  if (Fits(size + 4)) {
    uint8_t header[4] = {kTagItem, id, 0, 0};
    PutU16(header + 2, static_cast<uint16_t>(size + 4));
    Put(Position, header, 4);
    Put(Position + 4, data, size);
  } else {
    overflow_ = true;
  }
  Position += size + 4;
}

void TConfig::WriteCount(uint8_t id, size_t count) {
  if (count > 255 && countError_.empty())
    countError_ = Format("Слишком много объектов в одном узле конфигурации: %u\rНаибольшее число 255",
                         {count});
  WriteU8(id, static_cast<uint8_t>(std::min<size_t>(count, 255)));
}

void TConfig::WriteU16(uint8_t id, uint16_t value) {
  uint8_t bytes[2];
  PutU16(bytes, value);
  WriteItem(id, 2, bytes);
}

void TConfig::WriteU32(uint8_t id, uint32_t value) {
  uint8_t bytes[4];
  PutU32(bytes, value);
  WriteItem(id, 4, bytes);
}

void TConfig::WriteString(uint8_t id, std::string_view utf8) {
  std::string bytes = Utf8ToDos(utf8);
  if (bytes.size() > 255) bytes.resize(255);
  std::string payload(1, static_cast<char>(bytes.size()));
  payload += bytes;
  WriteItem(id, payload.size(), payload.data());
}

void TConfig::WriteStringPadded(uint8_t id, std::string_view utf8, size_t size) {
  if (size == 0) return;
  std::string bytes = Utf8ToDos(utf8);
  bytes.resize(std::min({bytes.size(), size_t{255}, size - 1}));
  std::string payload(size, '\0');
  payload[0] = static_cast<char>(bytes.size());
  std::copy(bytes.begin(), bytes.end(), payload.begin() + 1);
  WriteItem(id, payload.size(), payload.data());
}

// --- header ---

void TConfig::WriteHeader(TDateTime when) {
  Put(0, kSignature, kSignatureLength);
  buffer_[kSignatureLength] = 1;
  const std::string date = Padded("Date:" + FormatDateTime("dd.mm.yyyy", when), kFieldLength);
  const std::string time = Padded("Time:" + FormatDateTime("hh:nn:ss", when), kFieldLength);
  const std::string version = Padded(std::string("CVer:") + kProgramVersion, kFieldLength);
  Put(kDateOffset, date.data(), kFieldLength);
  Put(kTimeOffset, time.data(), kFieldLength);
  Put(kVersionOffset, version.data(), kFieldLength);
}

void TConfig::FinishImage() {
  ConfigSize = Position + 2;
  const std::string sizeText = Padded(Format("Size:%-7d", {ConfigSize}), 12);
  Put(kSizeTextOffset, sizeText.data(), 12);
  PutU32(buffer_.data() + kSizeOffset, static_cast<uint32_t>(ConfigSize));
  StoreCheckSum(buffer_.data(), ConfigSize);
}

// --- loading ---

void TConfig::CheckSignature(std::span<const uint8_t> bytes) const {
  if (bytes.size() < kSignatureLength ||
      std::memcmp(bytes.data() + kCheckedFrom, kSignature + kCheckedFrom, kCheckedLength) != 0)
    Refuse("Ошибка сигнатуры");
}

size_t TConfig::CheckSizeField(std::span<const uint8_t> bytes) const {
  if (bytes.size() < kHeaderSize + 2)
    Refuse(Format("Ошибка размера конфигурации\rфайл короче заголовка: %u байт", {bytes.size()}));
  const uint32_t size = GetU32(bytes.data() + kSizeOffset);
  if (size > bytes.size() || size < kHeaderSize + 2)
    Refuse(Format("Ошибка размера конфигурации\rразмер=%u, прочитано %u байт", {size, bytes.size()}));
  return size;
}

void TConfig::CheckStructure() const {
  if (auto error = WalkRecords(buffer_.data(), kHeaderSize, recordsEnd_, nullptr))
    Refuse(Format("Ошибка структуры конфигурации\r%s, смещение %u", {error->reason, error->offset}));
}

void TConfig::Load(std::span<const uint8_t> bytes) {
  Clear();
  ReadNotes.clear();
  if (bytes.size() > kImageCapacity) Refuse(Format("Слишком большой файл: %u", {bytes.size()}));
  CheckSignature(bytes);
  const size_t size = CheckSizeField(bytes);
  std::copy_n(bytes.begin(), size, buffer_.begin());
  if (!CheckSumMatches(buffer_.data(), size)) Refuse("Ошибка контрольной суммы");
  ConfigSize = size;
  recordsEnd_ = size - 2;
  CheckStructure();
  Position = kHeaderSize;
  containerEnd_ = recordsEnd_;
}

// --- reading ---

std::optional<std::span<const uint8_t>> TConfig::FindItem(uint8_t id, int occurrence) const {
  size_t pos = Position;
  const size_t end = std::min(containerEnd_, recordsEnd_);
  while (pos < end && end - pos >= 4 && buffer_[pos] == kTagItem) {
    const uint16_t length = GetU16(buffer_.data() + pos + 2);
    if (length < 4 || length > end - pos) break;
    if (buffer_[pos + 1] == id && occurrence-- == 0)
      return std::span<const uint8_t>(buffer_.data() + pos + 4, length - 4u);
    pos += length;
  }
  return std::nullopt;
}

std::optional<std::span<const uint8_t>> TConfig::FindItem(uint8_t id) const { return FindItem(id, 0); }

bool TConfig::ReadItem(uint8_t id, size_t size, void* destination) const {
  auto payload = FindItem(id);
  if (!payload) return false;
  std::memcpy(destination, payload->data(), std::min(size, payload->size()));
  return true;
}

void TConfig::ShortItem(uint8_t id, size_t need) const {
  Refuse(Format("Ошибка длины элемента конфигурации\rid=%d, нужно %u байт", {id, need}));
}

bool TConfig::ReadBytes(uint8_t id, std::span<uint8_t> out) const {
  auto payload = FindItem(id);
  if (!payload) return false;
  if (payload->size() < out.size()) ShortItem(id, out.size());
  std::copy_n(payload->begin(), out.size(), out.begin());
  return true;
}

bool TConfig::ReadU8(uint8_t id, uint8_t& value) const { return ReadBytes(id, {&value, 1}); }

bool TConfig::ReadU16(uint8_t id, uint16_t& value) const {
  uint8_t bytes[2];
  if (!ReadBytes(id, bytes)) return false;
  value = GetU16(bytes);
  return true;
}

bool TConfig::ReadU32(uint8_t id, uint32_t& value) const {
  uint8_t bytes[4];
  if (!ReadBytes(id, bytes)) return false;
  value = GetU32(bytes);
  return true;
}

bool TConfig::ReadI32(uint8_t id, int32_t& value) const {
  uint32_t raw = 0;
  if (!ReadU32(id, raw)) return false;
  value = static_cast<int32_t>(raw);
  return true;
}

bool TConfig::ReadString(uint8_t id, std::string& utf8, int occurrence) const {
  auto payload = FindItem(id, occurrence);
  if (!payload) return false;
  if (payload->empty()) ShortItem(id, 1);
  const size_t length = std::min<size_t>((*payload)[0], payload->size() - 1);
  utf8 = DosToUtf8(std::string_view(reinterpret_cast<const char*>(payload->data() + 1), length));
  return true;
}

uint8_t TConfig::NextContainer() {
  size_t pos = Position;
  while (pos < recordsEnd_ && recordsEnd_ - pos >= 4) {
    const uint16_t length = GetU16(buffer_.data() + pos + 2);
    if (length < 4 || length > recordsEnd_ - pos) break;
    if (buffer_[pos] == kTagContainer) {
      Position = pos + 4;
      containerEnd_ = pos + length;
      return buffer_[pos + 1];
    }
    pos += length;
  }
  Refuse(Format("Ошибка структуры конфигурации\rнет ожидаемого контейнера, смещение %u", {pos}));
}

void ForEachRecord(const TConfig& cfg, const std::function<void(const TRecordInfo&)>& visit) {
  if (cfg.ConfigSize < kHeaderSize + 2) return;
  WalkRecords(cfg.Data(), kHeaderSize, cfg.ConfigSize - 2, visit);
}

}  // namespace vlm
