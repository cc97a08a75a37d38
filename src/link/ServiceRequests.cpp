#include "link/ServiceRequests.h"

#include <algorithm>
#include <cstring>

#include "common/Numbers.h"
#include "common/Prompt.h"
#include "common/TextCodec.h"

namespace vlm {
namespace {

struct TDosErrorName {
  uint16_t code;
  const char* text;
};
constexpr TDosErrorName kDosErrors[] = {
    {2, "2 - Файл не найден."},        {3, "3 - Путь не найден."},
    {4, "4 - Много открытых файлов."}, {5, "5 - Ошибка доступа."},
    {8, "8 - Недостаточно памяти."},   {18, "18 - Конец списка файлов."},
};

// Stands where a DOS error text would when the answer itself cannot be read.
constexpr const char* kBadAnswerText = "Неполный ответ контроллера.";

// The received bytes of the last exchange; every field is read through Has() first.
struct TReply {
  std::span<const uint8_t> bytes;
  bool Has(size_t end) const { return end <= bytes.size(); }
  uint8_t U8(size_t pos) const { return bytes[pos]; }
  uint16_t U16(size_t pos) const { return GetU16(&bytes[pos]); }
  uint32_t U32(size_t pos) const { return GetU32(&bytes[pos]); }
};

// A request must not touch the buffers of an exchange that is still waiting (a timer that fires
// while the wait pumps the window system); otherwise the first request would judge its answer
// against the second one's bytes.
bool BeginRequest(TControllerLink& link, bool clearRequest) {
  if (link.LinkBusy()) {
    link.LastFailure = TLinkFailure::Busy;
    return false;
  }
  if (clearRequest) link.RequestBuffer.fill(0);
  return true;
}

bool BadAnswer(TControllerLink& link) {
  link.LastFailure = TLinkFailure::BadAnswer;
  return false;
}

bool DosFailure(TControllerLink& link, uint16_t code) {
  link.LastDosError = code;
  link.LastFailure = TLinkFailure::DosError;
  return false;
}

// The controller repeats the command in byte 1 of its answer. An answer to some other request (a
// late one that outlived its own wait) must not be read with this request's layout.
bool EchoesCommand(const TControllerLink& link, const TReply& a) {
  return a.Has(2) && a.U8(1) == link.RequestBuffer[1];
}

std::string ControllerText(const std::string& utf8, size_t max) {
  std::string dos = Utf8ToDos(utf8);
  if (dos.size() > max) dos.resize(max);
  return dos;
}

// Length byte and characters; returns the bytes written.
size_t PutShort(uint8_t* at, const std::string& dos) {
  at[0] = uint8_t(dos.size());
  std::memcpy(at + 1, dos.data(), dos.size());
  return dos.size() + 1;
}

// The name as the controller gets it, as text for messages.
std::string SentName(const TControllerLink& link) { return DosToUtf8(ControllerText(link.File.FileName, kFileNameMax)); }
std::string SentMask(const TControllerLink& link) { return DosToUtf8(ControllerText(link.File.PathMask, kPathMaskMax)); }

// Reads attribute, date-time, size and name at pos; next is the position behind the entry.
bool ParseEntry(const TReply& a, size_t pos, size_t maxName, TDirEntry& entry, size_t& next) {
  if (!a.Has(pos + 10)) return false;
  const size_t nameLength = a.U8(pos + 9);
  if (nameLength > maxName || !a.Has(pos + 10 + nameLength)) return false;
  entry.Attr = a.U8(pos);
  entry.DateTime = a.U32(pos + 1);
  entry.Size = a.U32(pos + 5);
  entry.Name = DosToUtf8(std::string(reinterpret_cast<const char*>(&a.bytes[pos + 10]), nameLength));
  next = pos + 10 + nameLength;
  return true;
}

std::string ReasonText(const TControllerLink& link) {
  return link.LastFailure == TLinkFailure::DosError ? DosErrorText(link.LastDosError) : kBadAnswerText;
}

bool Find(TControllerLink& link, bool first, const std::string& dosName, const std::string& failText,
          TDirEntry* found) {
  if (!BeginRequest(link, true)) return false;
  auto& rb = link.RequestBuffer;
  rb[0] = uint8_t(48 + dosName.size());
  rb[1] = kCmdFind;
  rb[2] = first ? 1 : 0;
  PutShort(&rb[48], dosName);
  if (!link.Exchange(kExchangeAnswer, 49)) return false;
  const TReply a{link.Response()};
  TDirEntry entry;
  size_t next = 0;
  bool ok = false;
  if (!a.Has(5) || !EchoesCommand(link, a)) BadAnswer(link);
  else if (const uint16_t code = a.U16(3); code != 0) DosFailure(link, code);
  else if (!ParseEntry(a, 26, kFileNameMax, entry, next)) BadAnswer(link);
  else ok = true;
  if (ok) {
    if (found) *found = std::move(entry);
    return true;
  }
  const bool endOfList = link.LastFailure == TLinkFailure::DosError && link.LastDosError == kDosNoMoreFiles;
  if (!endOfList && link.Settings.ShowErrors) ShowError(failText + ReasonText(link));
  return false;
}

// Exchanges the built request and reads the DOS error code at errorPos.
bool ExchangeForCode(TControllerLink& link, uint8_t mode, uint8_t expected, size_t errorPos) {
  if (!link.Exchange(mode, expected)) return false;
  const TReply a{link.Response()};
  if (!a.Has(errorPos + 2) || !EchoesCommand(link, a)) return BadAnswer(link);
  if (const uint16_t code = a.U16(errorPos); code != 0) return DosFailure(link, code);
  return true;
}

// A block read with the given length and the answer filter that takes only its count. (A caller
// that gives no size beyond the offset gets whatever count comes.)
bool ReadBlockOnce(TControllerLink& link, bool longRead, std::span<uint8_t> destination) {
  const uint32_t left = link.File.FileOffset < link.File.FileSize ? link.File.FileSize - link.File.FileOffset : 0;
  const size_t requested = longRead ? link.File.BlockSize : uint8_t(link.File.BlockSize);
  const size_t wanted = std::min<size_t>({requested, longRead ? kBlockLong : kBlockShort, left});
  if (left > 0) link.SetAnswerFilter([longRead, wanted](std::span<const uint8_t> bytes) {
    TBlockAnswer a;
    if (!ParseBlockAnswer(bytes, longRead, a) || a.code != 0) return TAnswerVerdict::Take;
    return a.count == wanted ? TAnswerVerdict::Take : TAnswerVerdict::Ignore;
  });
  const uint8_t expected = longRead ? 29 : uint8_t(uint8_t(link.File.BlockSize) + 6);
  if (!link.Exchange(kExchangeAnswer, expected)) return false;
  TBlockAnswer a;
  if (!ParseBlockAnswer(link.Response(), longRead, a) || !EchoesCommand(link, TReply{link.Response()}))
    return BadAnswer(link);
  if (a.code != 0) return DosFailure(link, a.code);
  const size_t copied = std::min(a.count, destination.size());
  std::copy_n(a.data.begin(), copied, destination.data());
  link.File.BlockGot = uint16_t(copied);
  return true;
}

int Tries(const TControllerLink& link) { return std::max(1, link.Settings.Attempts); }

bool ReadBlockWithTries(TControllerLink& link, bool longRead, std::span<uint8_t> destination) {
  link.File.BlockGot = 0;
  for (int i = 0; i < Tries(link); ++i) {
    if (ReadBlockOnce(link, longRead, destination)) return true;
    if (link.LastFailure == TLinkFailure::Busy || link.LastFailure == TLinkFailure::Disconnected) return false;
  }
  std::string text = "Ошибка чтения файла. \r" + SentName(link);
  if (link.LastFailure == TLinkFailure::DosError) text += "\r" + DosErrorText(link.LastDosError);
  ShowError(text);
  return false;
}

}  // namespace

std::string DosErrorText(uint16_t code) {
  for (const auto& e : kDosErrors)
    if (e.code == code) return e.text;
  return "Код ошибки: DosErrCode=" + std::to_string(code);
}

bool ReadMemory(TControllerLink& link, uint16_t segment, uint16_t offset, uint8_t count) {
  if (!BeginRequest(link, false)) return false;
  auto& rb = link.RequestBuffer;
  rb[0] = 6;
  rb[1] = kCmdReadMemory;
  PutU16(&rb[2], offset);
  PutU16(&rb[4], segment);
  rb[6] = count;
  if (!link.Exchange(kExchangeAnswer, uint8_t(count + 8))) return false;
  const TReply a{link.Response()};
  if (!a.Has(7 + size_t(count)) || a.U8(1) != kCmdReadMemory || !std::equal(&rb[2], &rb[6], &a.bytes[2]) ||
      a.U8(6) != count)
    return BadAnswer(link);
  return true;
}

bool ReadMemory(TControllerLink& link, uint16_t segment, uint16_t offset, std::span<uint8_t> out) {
  if (out.size() > 255) return false;
  if (!ReadMemory(link, segment, offset, uint8_t(out.size()))) return false;
  std::copy_n(&link.ResponseBuffer[7], out.size(), out.data());
  return true;
}

bool WriteMemory(TControllerLink& link, uint16_t segment, uint16_t offset, std::span<const uint8_t> data) {
  // The length byte of the frame must hold command, address, count and data.
  if (data.size() > kMemoryChunkMax || !BeginRequest(link, false)) return false;
  auto& rb = link.RequestBuffer;
  rb[0] = uint8_t(data.size() + 6);
  rb[1] = kCmdWriteMemory;
  PutU16(&rb[2], offset);
  PutU16(&rb[4], segment);
  rb[6] = uint8_t(data.size());
  std::copy_n(data.data(), data.size(), &rb[7]);
  return link.Exchange(kExchangeAnswer, 8);
}

bool ReadMemoryAreas(TControllerLink& link, std::span<const TMemoryArea> areas) {
  if (areas.size() > kMaxAreas || !BeginRequest(link, false)) return false;
  auto& rb = link.RequestBuffer;
  rb[0] = uint8_t(5 * areas.size() + 2);
  rb[1] = kCmdReadAreas;
  rb[2] = uint8_t(areas.size());
  size_t total = 0;
  for (size_t i = 0; i < areas.size(); ++i) {
    uint8_t* d = &rb[3 + 5 * i];
    PutU16(d, areas[i].Offset);
    PutU16(d + 2, areas[i].Segment);
    d[4] = areas[i].Count;
    total += areas[i].Count;
  }
  // The answer carries nothing but the data: its length is all that ties it to this request.
  // A whole answer is length byte, command, data and checksum. A serial line reads the expected
  // length only, so it is asked for the checksum too: without it a damaged byte of the data
  // would pass. An answer of another length (a late one of an earlier area read) is passed over.
  link.SetAnswerFilter([total](std::span<const uint8_t> bytes) {
    return bytes.size() == total + 3 ? TAnswerVerdict::Take : TAnswerVerdict::Ignore;
  });
  auto& reads = link.AreaReads;
  reads.RecentTotals[reads.RecentNext++ % reads.RecentTotals.size()] = total;
  if (!link.Exchange(kExchangeAnswer, uint8_t(total + 3))) return false;
  const TReply a{link.Response()};
  if (!a.Has(2 + total) || a.U8(1) != kCmdReadAreas) return BadAnswer(link);
  return true;
}

bool ResetController(TControllerLink& link) {
  if (!BeginRequest(link, false)) return false;
  link.RequestBuffer[0] = 1;
  link.RequestBuffer[1] = kCmdReset;
  return link.Exchange(kExchangeSendOnly, 0);
}

bool FindFile(TControllerLink& link, bool first, TDirEntry* found) {
  return Find(link, first, ControllerText(link.File.FileName, kFileNameMax),
              "Ошибка поиска файла.\r" + SentName(link) + "\r", found);
}

bool FindMask(TControllerLink& link, bool first, TDirEntry* found) {
  return Find(link, first, ControllerText(link.File.PathMask, kPathMaskMax),
              "Ошибка поиска файла\r" + SentMask(link) + "\r", found);
}

void BuildReadBlockRequest(TControllerLink& link, bool longRead) {
  auto& rb = link.RequestBuffer;
  rb.fill(0);
  const std::string name = ControllerText(link.File.FileName, kFileNameMax);
  if (longRead) {
    rb[0] = 27;
    rb[1] = kCmdReadBlockLong;
    PutU32(&rb[5], link.File.FileOffset);
    PutU32(&rb[9], link.File.FileSize);
    PutU16(&rb[13], link.File.BlockSize);
    PutShort(&rb[15], name);
  } else {
    rb[0] = 23;
    rb[1] = kCmdReadBlock;
    PutU32(&rb[2], link.File.FileOffset);
    PutU32(&rb[6], link.File.FileSize);
    rb[10] = uint8_t(link.File.BlockSize);  // the field is one byte wide
    PutShort(&rb[11], name);
  }
}

bool ParseBlockAnswer(std::span<const uint8_t> answer, bool longRead, TBlockAnswer& fields) {
  const TReply a{answer};
  // error code, count and data: bytes 2, 4, 5 of a short answer; 5, 7, 9 of a long one
  const size_t errorPos = longRead ? 5 : 2, countPos = longRead ? 7 : 4, dataPos = longRead ? 9 : 5;
  if (!a.Has(errorPos + 2)) return false;
  fields = TBlockAnswer{a.U16(errorPos), 0, {}};
  if (fields.code != 0) return true;
  if (!a.Has(countPos + (longRead ? 2 : 1))) return false;
  const size_t count = longRead ? a.U16(countPos) : a.U8(countPos);
  fields.count = std::min<size_t>(count, longRead ? kBlockLong : kBlockShort);
  if (!a.Has(dataPos + fields.count)) return false;
  fields.data = answer.subspan(dataPos, fields.count);
  return true;
}

bool ReadFileBlock(TControllerLink& link, std::span<uint8_t> destination) {
  if (!BeginRequest(link, true)) return false;
  BuildReadBlockRequest(link, false);
  return ReadBlockWithTries(link, false, destination);
}

bool ReadFileBlockLong(TControllerLink& link, std::span<uint8_t> destination) {
  if (!BeginRequest(link, true)) return false;
  BuildReadBlockRequest(link, true);
  return ReadBlockWithTries(link, true, destination);
}

namespace {

// Builds the write request of the block at FileOffset; returns its length.
size_t BuildWriteBlock(TControllerLink& link, std::span<const uint8_t> source) {
  link.RequestBuffer.fill(0);
  const size_t length = std::min<size_t>({link.File.BlockSize, kBlockShort, source.size()});
  link.File.BlockSize = uint16_t(length);
  auto& rb = link.RequestBuffer;
  rb[0] = uint8_t(23 + length);
  rb[1] = kCmdWriteBlock;
  PutShort(&rb[2], ControllerText(link.File.FileName, kFileNameMax));
  PutU32(&rb[15], link.File.FileOffset);
  PutU32(&rb[19], link.File.FileSize);
  rb[23] = uint8_t(length);
  std::copy_n(source.data(), length, &rb[24]);  // copy_n: an empty file may have no data pointer
  return length;
}

}  // namespace

bool WriteFileBlock(TControllerLink& link, std::span<const uint8_t> source) {
  if (!BeginRequest(link, true)) return false;
  BuildWriteBlock(link, source);
  for (int i = 0; i < Tries(link); ++i) {
    if (ExchangeForCode(link, kExchangeAnswer2, 5, 2)) return true;
    if (link.LastFailure == TLinkFailure::Busy || link.LastFailure == TLinkFailure::Disconnected) return false;
  }
  ShowWriteFailure(link);
  return false;
}

void ShowWriteFailure(const TControllerLink& link) {
  if (link.LastFailure == TLinkFailure::DosError || link.LastFailure == TLinkFailure::BadAnswer)
    ShowError("Ошибка записи файла. " + ReasonText(link));
}

bool SendFileBlockAhead(TControllerLink& link, std::span<const uint8_t> source) {
  if (!BeginRequest(link, true)) return false;
  BuildWriteBlock(link, source);
  return link.SendAhead();
}

bool AwaitFileBlockAnswer(TControllerLink& link) {
  if (!link.AwaitAnswer(5, {})) return false;
  const TReply a{link.Response()};
  if (!a.Has(4)) return BadAnswer(link);
  if (const uint16_t code = a.U16(2); code != 0) return DosFailure(link, code);
  return true;
}

bool ChangeDir(TControllerLink& link, const std::string& path) {
  if (!BeginRequest(link, true)) return false;
  const std::string dos = ControllerText(path, kChangeDirMax);
  auto& rb = link.RequestBuffer;
  rb[0] = uint8_t(dos.size() + 4);
  rb[1] = kCmdChangeDir;
  PutShort(&rb[4], dos);
  if (ExchangeForCode(link, kExchangeAnswer, 5, 2)) return true;
  const bool answered = link.LastFailure == TLinkFailure::DosError || link.LastFailure == TLinkFailure::BadAnswer;
  if (answered && link.Settings.ShowErrors)
    ShowError("Ошибка при смене каталога.\rКаталог: " + DosToUtf8(dos) + "\r" + ReasonText(link));
  return false;
}

bool DeleteRemoteFile(TControllerLink& link) {
  if (!BeginRequest(link, true)) return false;
  auto& rb = link.RequestBuffer;
  rb[0] = 16;
  rb[1] = kCmdDelete;
  PutShort(&rb[4], ControllerText(link.File.FileName, kFileNameMax));
  if (ExchangeForCode(link, kExchangeAnswer, 5, 2)) return true;
  // Shown whatever ShowErrors says: the user asked for this deletion and must learn its fate.
  if (link.LastFailure == TLinkFailure::DosError || link.LastFailure == TLinkFailure::BadAnswer)
    ShowError("Ошибка удаления файла. \r" + ReasonText(link));
  return false;
}

bool ListDirBlock(TControllerLink& link, bool first, std::vector<TDirEntry>& entries, bool& complete) {
  complete = false;
  if (!BeginRequest(link, true)) return false;
  const std::string dos = ControllerText(link.File.PathMask, kPathMaskMax);
  auto& rb = link.RequestBuffer;
  rb[0] = uint8_t(dos.size() + 8);
  rb[1] = kCmdListDir;
  rb[5] = first ? 1 : 0;
  PutShort(&rb[6], dos);
  if (!link.Exchange(kExchangeAnswer, 49)) return false;
  const TReply a{link.Response()};
  if (!a.Has(8) || !EchoesCommand(link, a)) return BadAnswer(link);
  const uint16_t code = a.U16(5);
  if (a.U8(4) != 1 || (code != 0 && code != kDosNoMoreFiles)) {
    if (code != 0) DosFailure(link, code);
    else BadAnswer(link);
    if (link.Settings.ShowErrors) ShowError("Ошибка поиска файла\r" + SentMask(link) + "\r" + ReasonText(link));
    return false;
  }
  std::vector<TDirEntry> block(a.U8(7));
  size_t pos = 8;
  for (auto& entry : block)
    if (!ParseEntry(a, pos, 255, entry, pos)) return BadAnswer(link);
  entries.insert(entries.end(), block.begin(), block.end());
  complete = code == kDosNoMoreFiles;
  if (complete) link.LastDosError = code;
  return true;
}

}  // namespace vlm
