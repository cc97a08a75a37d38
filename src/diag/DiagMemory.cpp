#include "diag/DiagMemory.h"

#include <algorithm>
#include <vector>

#include "common/Format.h"
#include "link/MemoryReader.h"
#include "link/ServiceRequests.h"
#include "link/Velmor_PC.h"

namespace vlm {

std::string FarPtrText(TFarPtr p) { return Format("%.4X:%.4X", {SegmentOf(p), OffsetOf(p)}); }

bool TDiagMemory::Refuse(TFarPtr address, size_t count) {
  refusal_.clear();
  if (IsReservedSegment(address))
    refusal_ = "адрес " + FarPtrText(address) + " в зарезервированной области";
  else if (!FitsSegment(address, count))
    refusal_ = Format("%d байт по адресу %s выходят за сегмент", {count, FarPtrText(address)});
  return !refusal_.empty();
}

const TDiagMemory::TPrefetched* TDiagMemory::Prefetched(TFarPtr address, size_t count) const {
  for (const auto& p : prefetched_)
    if (SegmentOf(p.Address) == SegmentOf(address) && OffsetOf(p.Address) <= OffsetOf(address) &&
        size_t(OffsetOf(address)) + count <= size_t(OffsetOf(p.Address)) + p.Bytes.size())
      return &p;
  return nullptr;
}

void TDiagMemory::Prefetch(std::span<const TArea> areas) {
  std::vector<TPrefetched> fresh;
  for (const TArea& a : areas) {
    if (a.Count == 0 || a.Count > kReadPiece || IsReservedSegment(a.Address) || !FitsSegment(a.Address, a.Count) ||
        Prefetched(a.Address, a.Count))
      continue;
    if (std::any_of(fresh.begin(), fresh.end(), [&](const TPrefetched& f) { return f.Address == a.Address && f.Bytes.size() >= a.Count; }))
      continue;
    fresh.push_back({a.Address, std::vector<uint8_t>(a.Count), false});
  }
  if (fresh.empty()) return;
  if (silent_) {
    // The controller answered nothing a moment ago: the step's reads fail without more tries.
    prefetched_.insert(prefetched_.end(), std::make_move_iterator(fresh.begin()), std::make_move_iterator(fresh.end()));
    return;
  }
  std::vector<TMemoryRead> reads;
  for (auto& f : fresh) reads.push_back({SegmentOf(f.Address), OffsetOf(f.Address), f.Bytes, false});
  TMemoryReader reader(link_);
  reader.SetAttempts(kAttempts);
  reader.SetIndicator([this](bool ok) { AddPoint(ok ? DiagPoint::Green : DiagPoint::Red); });
  const bool all = reader.Read(reads);
  requests_ += reader.Requests();
  // Another exchange held the link: nothing was learnt, the reads go their own way.
  if (!all && link_.LastFailure == TLinkFailure::Busy) return;
  for (size_t i = 0; i < fresh.size(); ++i) fresh[i].Read = reads[i].Done;
  silent_ = !all && std::none_of(reads.begin(), reads.end(), [](const TMemoryRead& r) { return r.Done; });
  prefetched_.insert(prefetched_.end(), std::make_move_iterator(fresh.begin()), std::make_move_iterator(fresh.end()));
}

bool TDiagMemory::Peek(TFarPtr address, std::span<uint8_t> out) const {
  const TPrefetched* p = Prefetched(address, out.size());
  if (!p || !p->Read) return false;
  std::copy_n(p->Bytes.begin() + (OffsetOf(address) - OffsetOf(p->Address)), out.size(), out.begin());
  return true;
}

bool TDiagMemory::ReadDiagMemory(TFarPtr address, std::span<uint8_t> out) {
  if (Refuse(address, out.size())) return false;
  if (Prefetched(address, out.size())) return Peek(address, out);
  for (size_t done = 0; done < out.size() || (done == 0 && out.empty());) {
    const size_t piece = std::min(kReadPiece, out.size() - done);
    const TFarPtr at = address + TFarPtr(done);
    bool ok = false;
    for (int attempt = 0; attempt < kAttempts && !ok; ++attempt) {
      ++requests_;
      ok = ReadMemory(link_, SegmentOf(at), OffsetOf(at), out.subspan(done, piece));
      AddPoint(ok ? DiagPoint::Green : DiagPoint::Red);
    }
    if (!ok) return false;
    if (out.empty()) break;
    done += piece;
  }
  return true;
}

bool TDiagMemory::WriteDiagMemory(TFarPtr address, std::span<const uint8_t> data) {
  if (Refuse(address, data.size())) return false;
  Forget();  // what was read ahead may hold the bytes written
  for (size_t done = 0; done < data.size();) {
    const size_t piece = std::min(kMemoryChunkMax, data.size() - done);
    const TFarPtr at = address + TFarPtr(done);
    ++requests_;
    const bool ok = WriteMemory(link_, SegmentOf(at), OffsetOf(at), data.subspan(done, piece));
    AddPoint(ok ? DiagPoint::Green : DiagPoint::Red);
    if (!ok) return false;
    done += piece;
  }
  return true;
}

std::optional<std::string> TDiagMemory::ReadText(TFarPtr address) {
  // The first read never passes the segment's end: near the end it takes what is left.
  uint8_t head[32];
  const size_t first = std::min<size_t>(32, 0x10000 - OffsetOf(address));
  if (!ReadDiagMemory(address, std::span(head, first))) return std::nullopt;
  const size_t length = head[0];
  if (!FitsSegment(address, length + 1)) {
    refusal_ = Format("строка длиной %d по адресу %s выходит за сегмент", {length, FarPtrText(address)});
    return std::nullopt;
  }
  std::string text(reinterpret_cast<const char*>(head + 1), std::min(length, first - 1));
  if (length >= 32) {
    std::vector<uint8_t> rest(length - 31);
    if (!ReadDiagMemory(address + 32, rest)) return std::nullopt;
    text.append(rest.begin(), rest.end());
  }
  return text;
}

TDiagLinkUse::TDiagLinkUse(TControllerLink& link) : link_(link), opened_(!link.LinkOpen() && link.OpenLink()) {}

TDiagLinkUse::~TDiagLinkUse() {
  if (opened_) link_.CloseLink();
}

}  // namespace vlm
