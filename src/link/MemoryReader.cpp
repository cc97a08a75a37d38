#include "link/MemoryReader.h"

#include <algorithm>

#include "link/ServiceRequests.h"

namespace vlm {
namespace {

// The remembered answer belongs to one controller: another address or line starts unknown.
TControllerLink::TAreaReads& StateOf(TControllerLink& link) {
  auto& s = link.AreaReads;
  if (s.Dest != link.Settings.DestIP || s.Mode != link.Settings.LinkMode) {
    s = {};
    s.Dest = link.Settings.DestIP;
    s.Mode = link.Settings.LinkMode;
  }
  return s;
}

bool Fatal(const TControllerLink& link) {
  return link.LastFailure == TLinkFailure::Busy || link.LastFailure == TLinkFailure::Disconnected ||
         link.LastFailure == TLinkFailure::NotOpen;
}

}  // namespace

std::optional<bool> TMemoryReader::AreasAnswered(TControllerLink& link) {
  const int8_t a = StateOf(link).Answered;
  return a < 0 ? std::nullopt : std::optional<bool>(a > 0);
}

void TMemoryReader::RememberAreasAnswered(TControllerLink& link, bool answered) {
  StateOf(link).Answered = answered ? 1 : 0;
}

size_t TMemoryReader::AnswerBytes(const TControllerLink& link) {
  return link.Settings.LinkMode == kLinkSerial ? kSerialAnswerBytes : kUdpAnswerBytes;
}

std::vector<std::vector<size_t>> TMemoryReader::Batches(std::span<const size_t> counts, size_t maxAreas, size_t maxBytes) {
  std::vector<std::vector<size_t>> batches;
  size_t bytes = 0;
  for (size_t i = 0; i < counts.size(); ++i) {
    if (batches.empty() || batches.back().size() >= maxAreas || bytes + counts[i] > maxBytes) {
      batches.emplace_back();
      bytes = 0;
    }
    batches.back().push_back(i);
    bytes += counts[i];
  }
  return batches;
}

void TMemoryReader::Point(bool answered) {
  ++requests_;
  if (indicator_) indicator_(answered);
}

bool TMemoryReader::ReadSingle(TMemoryRead& read) {
  if (read.Out.size() > 255) return false;  // no request can ask for it
  for (int attempt = 0; attempt < attempts_; ++attempt) {
    const bool ok = ReadMemory(link_, read.Segment, read.Offset, read.Out);
    if (link_.LastFailure == TLinkFailure::Busy) return false;  // nothing was sent
    Point(ok);
    if (ok) return read.Done = true;
    if (Fatal(link_)) return false;
  }
  return false;
}

bool TMemoryReader::ReadBatch(std::span<TMemoryRead* const> batch, int tries) {
  std::vector<TMemoryArea> areas;
  size_t total = 0;
  for (const TMemoryRead* r : batch) {
    areas.push_back({r->Offset, r->Segment, uint8_t(r->Out.size())});
    total += r->Out.size();
  }
  // An area read never asks for as many bytes as one of the 16 before it, so a late or repeated
  // answer of those (it is told apart by its length alone) cannot be taken for this one: an
  // extra area of a few bytes makes the difference. The plan left room for it.
  const auto& recent = StateOf(link_).RecentTotals;
  size_t pad = 0;
  while (pad < kPadMax && std::ranges::find(recent, total + pad) != recent.end()) ++pad;
  if (pad > 0) areas.push_back({batch.front()->Offset, batch.front()->Segment, uint8_t(pad)});
  for (int attempt = 0; attempt < tries; ++attempt) {
    const bool ok = ReadMemoryAreas(link_, areas);
    if (link_.LastFailure == TLinkFailure::Busy) return false;
    Point(ok);
    if (ok) {
      const std::span<const uint8_t> data = link_.Response().subspan(2);
      size_t at = 0;
      for (TMemoryRead* r : batch) {
        std::copy_n(data.begin() + long(at), r->Out.size(), r->Out.begin());
        at += r->Out.size();
        r->Done = true;
      }
      return true;
    }
    if (Fatal(link_)) return false;
  }
  return false;
}

bool TMemoryReader::Read(std::span<TMemoryRead> reads) {
  const size_t maxBytes = AnswerBytes(link_);
  // Areas of no bytes or too long for an area answer are read on their own.
  std::vector<TMemoryRead*> batchable, alone;
  for (TMemoryRead& r : reads) {
    r.Done = false;
    (r.Out.empty() || r.Out.size() + 1 > maxBytes ? alone : batchable).push_back(&r);
  }
  std::vector<size_t> counts;
  for (const TMemoryRead* r : batchable) counts.push_back(r->Out.size());
  // One area and a few bytes of room stay free for the bytes that keep totals apart.
  for (const auto& indexes : Batches(counts, kMaxAreas - 1, maxBytes - kPadMax)) {
    std::vector<TMemoryRead*> batch;
    for (size_t i : indexes) batch.push_back(batchable[i]);
    const std::optional<bool> answered = AreasAnswered(link_);
    if (batch.size() == 1 || answered == false) {
      for (TMemoryRead* r : batch)
        if (!ReadSingle(*r)) return false;
      continue;
    }
    // Until the controller has answered an area read, one try tells: older firmware never does.
    if (ReadBatch(batch, answered ? attempts_ : 1)) {
      RememberAreasAnswered(link_, true);
      continue;
    }
    if (answered || Fatal(link_)) return false;
    // Unanswered and not known: a single read answered now means the controller does not
    // take area reads; one unanswered too means it is silent, and nothing is learnt.
    if (!ReadSingle(*batch.front())) return false;
    RememberAreasAnswered(link_, false);
    for (size_t i = 1; i < batch.size(); ++i)
      if (!ReadSingle(*batch[i])) return false;
  }
  for (TMemoryRead* r : alone)
    if (!ReadSingle(*r)) return false;
  return true;
}

}  // namespace vlm
