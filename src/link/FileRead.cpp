#include "link/FileRead.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <utility>

#include "common/IpAddress.h"
#include "common/Prompt.h"
#include "common/TextCodec.h"

namespace vlm {
namespace {

using Clock = std::chrono::steady_clock;

// A size from the controller is trusted only this far: a damaged search answer must not make
// the program allocate gigabytes.
constexpr uint32_t kMaxRemoteFile = 64u << 20;
// Block requests under way at once over UDP; Settings.ReadWindow may narrow it.
constexpr int kMaxReadWindow = 32;

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return text;
}

// A DOS name as the disk keeps it: eight characters, a dot and three, in capitals.
std::string Dos83(const std::string& name) {
  const size_t dot = name.find('.');
  std::string base = name.substr(0, std::min<size_t>(dot, 8));
  if (dot != std::string::npos) {
    const std::string ext = name.substr(dot + 1, 3);
    if (!ext.empty()) base += "." + ext;
  }
  return Upper(base);
}

// Whether a search answer names the file asked for: DOS answers carry the bare 8.3 name.
bool NamesMatch(const std::string& requestedDos, const std::string& foundDos) {
  if (requestedDos.find_first_of("*?") != std::string::npos) return true;
  const size_t cut = requestedDos.find_last_of("\\:/");
  const std::string bare = cut == std::string::npos ? requestedDos : requestedDos.substr(cut + 1);
  const std::string found = Upper(foundDos);
  return found == Dos83(bare) || found == Upper(bare) || found == Upper(requestedDos);
}

}  // namespace

TBlockCounts::TBlockCounts(size_t maxCount) : used_(std::max<size_t>(2, maxCount) + 1, false) {}

size_t TBlockCounts::Next(size_t left, const std::function<bool(size_t)>& refuse) {
  const size_t want = std::min(left, Max());
  // Full blocks take the largest free count of the upper half; the last blocks of a range ask
  // for exactly what is left when that is free, else for a smaller free count and the rest
  // follows.
  const size_t floor = left > Max() ? Max() / 2 : 1;
  for (int cycles = 0; cycles < 2; ++cycles) {
    bool refused = false;
    for (size_t c = want; c >= floor; --c) {
      if (used_[c]) continue;
      if (refuse && refuse(c)) {
        refused = true;
        continue;
      }
      used_[c] = true;
      return c;
    }
    // Free counts the caller refused: it may ask again with fewer conditions first.
    if (refused) return 0;
    // The upper half is spent: a new cycle (a lower count would only make more, smaller blocks).
    std::fill(used_.begin(), used_.end(), false);
    ++cycle_;
  }
  return 0;
}

bool FindControllerFile(TControllerLink& link, const std::string& name, TDirEntry& entry) {
  link.File.FileName = name;
  const std::string requested = Utf8ToDos(name).substr(0, kFileNameMax);
  for (int i = 0; i < std::max(1, link.Settings.Attempts); ++i) {
    // An answer to an earlier search (late, duplicated, or another program's) names its file.
    link.SetAnswerFilter([&requested](std::span<const uint8_t> a) {
      if (a.size() < 36 || a[3] != 0 || a[4] != 0) return TAnswerVerdict::Take;
      const size_t length = std::min<size_t>(a[35], a.size() - 36);
      const std::string found(reinterpret_cast<const char*>(&a[36]), length);
      return NamesMatch(requested, found) ? TAnswerVerdict::Take : TAnswerVerdict::Ignore;
    });
    if (FindFile(link, true, &entry)) return true;
    if (link.LastFailure != TLinkFailure::NoAnswer && link.LastFailure != TLinkFailure::BadAnswer) return false;
  }
  return false;
}

namespace {

// One block request under way.
struct TAsk {
  uint32_t offset = 0;
  uint16_t count = 0;
  int sends = 0;
  Clock::time_point sentAt;
  bool reused = false;
  uint32_t priorAsks = 0;  // requests of its count made before it in this transfer
  uint64_t order = 0;
  bool crossed = false;  // a count a recent read asked for (none other was left)
};

// Parts of the file, [first, second).
using TRanges = std::vector<std::pair<uint32_t, uint32_t>>;

// One block as a pass read it.
struct TBlockRead {
  uint32_t offset = 0, count = 0;
  bool reused = false;     // its count was given before in this transfer
  uint32_t priorAsks = 0;  // how many of askedAt_[count] came before it
  uint64_t order = 0;      // when it was asked for, within the transfer
  bool crossed = false;    // its count was one a recent read asked for
};

// What one pass over some ranges of the file found.
struct TPass {
  uint64_t received = 0;     // bytes taken
  bool foreign = false;      // a block answer of a count this cycle never asked for came
  bool lineTrouble = false;  // a time-out or a damaged answer (what matters on a serial line)
  std::vector<TBlockRead> blocks;
};

class TFileReader {
 public:
  TFileReader(TControllerLink& link, std::string name, uint32_t size, const TReadOptions& options, TReadReport& report)
      : link_(link), name_(std::move(name)), size_(size), options_(options), report_(report),
        udp_(link.Settings.LinkMode == kLinkUdp), long_(options.longBlocks && udp_),
        counts_(long_ ? kBlockLong : kBlockShort), probing_(long_),
        maxWindow_(udp_ ? size_t(std::clamp(link.Settings.ReadWindow, 1, kMaxReadWindow)) : 1), window_(maxWindow_) {
    if (udp_ && !link_.RecentCountsFile.empty()) link_.RecentCounts.Load(link_.RecentCountsFile, CountsKey());
  }

  bool Read(std::vector<uint8_t>& out);
  // Tells the link (and the next process) the counts this read asked for.
  void RememberCounts();

 private:
  bool Pass(const TRanges& ranges, std::vector<uint8_t>& bytes, TPass& pass);
  // The count of the block at `next`, with `left` bytes of its range still to read.
  size_t NextCount(uint32_t offset, bool rangeStart, size_t left, bool& reused, bool& crossed, const std::vector<TAsk>& asks);
  // Whether a block read with a reused count may stand on its one reading (see Read).
  bool UnlikeItsPredecessors(const TBlockRead& b, const std::vector<uint8_t>& reading, const TRanges& doubt) const;
  bool Send(TAsk& ask);
  TAnswerVerdict Judge(std::span<const uint8_t> answer, const std::vector<TAsk>& asks, TPass& pass);
  bool Take(std::vector<TAsk>& asks, std::vector<uint8_t>& bytes, TPass& pass, uint64_t done);
  bool Resend(std::vector<TAsk>& asks, bool onlyExpired, TLinkFailure why);
  bool Fail(TLinkFailure why) {
    link_.LastFailure = why;
    return false;
  }
  bool Stopped() const { return options_.stopRequested && options_.stopRequested(); }
  void Point(bool answered) const {
    if (options_.point) options_.point(answered);
  }
  int Attempts() const { return oneTry_ ? 1 : std::max(1, link_.Settings.Attempts); }
  // A serial line reads exactly the answer's length: count, code and frame bytes around it.
  uint8_t Expected(const TAsk& ask) const { return long_ ? 29 : uint8_t(ask.count + 6); }
  void SwitchToShortBlocks() {
    long_ = probing_ = false;
    counts_ = TBlockCounts(kBlockShort);
    dosStrikes_ = 0;
    std::fill(offsetOfCount_.begin(), offsetOfCount_.end(), kNowhere);
    for (auto& offsets : askedAt_) offsets.clear();
  }

  std::string CountsKey() const { return IPToStr(link_.Settings.DestIP) + ":" + std::to_string(link_.Settings.UdpPort); }

  TControllerLink& link_;
  const TRecentCounts::Clock::time_point started_ = TRecentCounts::Clock::now();
  const std::string name_;
  const uint32_t size_;
  const TReadOptions& options_;
  TReadReport& report_;
  const bool udp_;
  bool long_;
  TBlockCounts counts_;
  bool probing_;  // the first long request goes alone and tells whether long reads work
  int passNo_ = 1;
  size_t maxWindow_, window_;
  int dosStrikes_ = 0;
  // Where the block of each count was read, and the bytes taken there: a second answer of the
  // same count must bring the same bytes.
  static constexpr uint32_t kNowhere = UINT32_MAX;
  std::vector<uint32_t> offsetOfCount_ = std::vector<uint32_t>(kBlockLong + 1, kNowhere);
  std::vector<uint8_t> seen_ = std::vector<uint8_t>(size_);
  // Every offset asked for with each count in this transfer, in the order asked.
  std::vector<std::vector<uint32_t>> askedAt_ = std::vector<std::vector<uint32_t>>(kBlockLong + 1);
  std::vector<TAsk> asks_;  // the requests under way
  std::optional<uint32_t> resumeAt_;
  bool oneTry_ = false;  // until the first short block is answered after a silent long one
  // Counts whose answers may still be on their way when this read is over (sent more than once,
  // or never answered): the next reads keep off them.
  std::vector<bool> owed_ = std::vector<bool>(kBlockLong + 1, false);
  uint64_t asked_ = 0;
  TRanges contested_;  // blocks whose count came twice with different bytes
  bool answeredOddly_ = false;  // block answers came that matched no request
};

size_t TFileReader::NextCount(uint32_t offset, bool rangeStart, size_t left, bool& reused, bool& crossed,
                               const std::vector<TAsk>& asks) {
  reused = crossed = false;
  if (!udp_) {
    // A serial line answers in order and never twice: full blocks, the first one of a range
    // read again shorter so that its blocks end elsewhere.
    const size_t shift = rangeStart ? (size_t(passNo_ - 1) * 97) % kBlockShort : 0;
    return std::min(left, kBlockShort - shift);
  }
  // Two requests of one count under way at once could take each other's answers; a block asked
  // for again exactly as before would only be given the same answer again, right or wrong; and a
  // block that leaves a few bytes of its range for the next one makes a reading of a few bytes,
  // which agrees with another by chance far too often to confirm it. Only the first rule is
  // never bent.
  const auto inFlight = [&](size_t c) { return std::ranges::any_of(asks, [c](const TAsk& k) { return k.count == c; }); };
  const size_t least = std::max<size_t>(1, counts_.Max() / 4);
  const auto recent = [&](size_t c) { return inFlight(c) || link_.RecentCounts.Recent(c, started_); };
  const auto shortRest = [&](size_t c) { return recent(c) || (c < left && left - c < least); };
  size_t count = counts_.Next(left, [&](size_t c) { return shortRest(c) || std::ranges::find(askedAt_[c], offset) != askedAt_[c].end(); });
  if (count == 0) count = counts_.Next(left, shortRest);
  if (count == 0) count = counts_.Next(left, recent);
  if (count == 0) count = counts_.Next(left, inFlight);
  crossed = count != 0 && link_.RecentCounts.Recent(count, started_);
  reused = counts_.Reusing();
  return count;
}

bool TFileReader::Send(TAsk& ask) {
  link_.File.FileName = name_;
  link_.File.FileOffset = ask.offset;
  link_.File.FileSize = size_;
  link_.File.BlockSize = ask.count;
  BuildReadBlockRequest(link_, long_);
  // The answer to an earlier try may still come, after this read is over.
  if (ask.sends > 0) owed_[ask.count] = true;
  ++ask.sends;
  ++report_.requests;
  ask.sentAt = Clock::now();
  return link_.SendAhead();
}

TAnswerVerdict TFileReader::Judge(std::span<const uint8_t> answer, const std::vector<TAsk>& asks, TPass& pass) {
  TBlockAnswer a;
  if (!ParseBlockAnswer(answer, long_, a)) return TAnswerVerdict::Reject;
  if (a.code != 0) return TAnswerVerdict::Take;
  // The first long request goes alone: any count up to the one asked for is its answer (a
  // controller may keep its long blocks shorter than 1420), and none at all means no long reads.
  if (probing_) {
    if (a.count <= asks.front().count) return TAnswerVerdict::Take;
    pass.foreign = true;
    ++report_.foreign;
    return TAnswerVerdict::Ignore;
  }
  if (std::ranges::any_of(asks, [&](const TAsk& k) { return k.count == a.count; })) return TAnswerVerdict::Take;
  // An answer owed to a block already read (late, or duplicated on the way) carries that
  // block's count and the bytes taken for it. A count this transfer never asked for, or bytes
  // other than those taken, come from elsewhere (an earlier operation's late answer): one like
  // it could have been taken for a request of ours.
  answeredOddly_ = true;
  const uint32_t at = a.count < offsetOfCount_.size() ? offsetOfCount_[a.count] : kNowhere;
  if (at == kNowhere) {
    pass.foreign = true;
    ++report_.foreign;
    return TAnswerVerdict::Ignore;
  }
  if (!std::equal(a.data.begin(), a.data.end(), seen_.begin() + at)) {
    // Two answers of one count with different bytes: one of them was not the block's own. The
    // own answer of any block of this count may have been taken for a later one of the count,
    // so every block read with it is in doubt.
    for (const uint32_t p : askedAt_[a.count]) contested_.emplace_back(p, p + uint32_t(a.count));
    ++report_.foreign;
  }
  return TAnswerVerdict::Ignore;
}

// The answer just taken: its bytes go where its request reads.
bool TFileReader::Take(std::vector<TAsk>& asks, std::vector<uint8_t>& bytes, TPass& pass, uint64_t done) {
  TBlockAnswer a;
  ParseBlockAnswer(link_.Response(), long_, a);
  if (a.code != 0) {
    // Which request it answers is unknown; the one still without its bytes is asked again.
    link_.LastDosError = a.code;
    Point(false);
    if (++dosStrikes_ >= Attempts()) return Fail(TLinkFailure::DosError);
    return true;
  }
  auto it = probing_ ? asks.begin() : std::ranges::find(asks, a.count, &TAsk::count);
  if (it == asks.end()) return true;
  if (probing_) {
    probing_ = false;
    if (a.count == 0) return Fail(TLinkFailure::BadAnswer);  // no long reads here
    if (a.count < it->count && it->offset + a.count < size_) {
      // The controller's long blocks are shorter: later counts stay within them. Or the answer
      // is a late one of an earlier read, which any count up to the asked one would pass for:
      // the block is read again.
      counts_ = TBlockCounts(a.count);
      counts_.Next(a.count);
      it->count = uint16_t(a.count);
      it->crossed = true;
      resumeAt_ = it->offset + uint32_t(a.count);  // the rest of the asked block is asked again
      if (std::ranges::find(askedAt_[a.count], it->offset) == askedAt_[a.count].end()) askedAt_[a.count].push_back(it->offset);
    }
  }
  if (it->sends == 1) link_.NoteRoundTrip(Clock::now() - it->sentAt);
  oneTry_ = false;
  // Only an answer of the asked count is taken, so it fills its block exactly.
  if (a.count != it->count || it->offset + a.count > size_) return Fail(TLinkFailure::BadAnswer);
  std::copy_n(a.data.begin(), a.count, bytes.begin() + it->offset);
  std::copy_n(a.data.begin(), a.count, seen_.begin() + it->offset);
  offsetOfCount_[a.count] = it->offset;
  pass.received += a.count;
  pass.blocks.push_back({it->offset, uint32_t(a.count), it->reused, it->priorAsks, it->order, it->crossed});
  asks.erase(it);
  Point(true);
  window_ = std::min(maxWindow_, window_ + 1);
  if (options_.progress) options_.progress(std::min<uint64_t>(done + pass.received, size_), size_);
  return true;
}

// Requests whose answers did not come in the answer time are sent again, as a try of their own.
bool TFileReader::Resend(std::vector<TAsk>& asks, bool onlyExpired, TLinkFailure why) {
  const auto now = Clock::now();
  const auto wait = link_.Timing().Wait();
  for (TAsk& ask : asks) {
    if (onlyExpired && now - ask.sentAt < wait) continue;
    Point(false);
    // A controller that kept answering, with counts nobody asked for, is not silent.
    if (ask.sends >= Attempts()) return Fail(why == TLinkFailure::NoAnswer && answeredOddly_ ? TLinkFailure::BadAnswer : why);
    // Its first answer may still come after this one: the line falls quiet before the next
    // operation.
    link_.OweQuiet();
    if (!Send(ask)) return Fail(TLinkFailure::Send);
  }
  return true;
}

bool TFileReader::Pass(const TRanges& ranges, std::vector<uint8_t>& bytes, TPass& pass) {
  pass = TPass{};
  const TLinkCounters before = link_.Counters();
  uint64_t done = size_;  // progress counts the bytes already certain
  for (const auto& [a, b] : ranges) done -= b - a;
  std::vector<TAsk>& asks = asks_;
  asks.clear();
  size_t range = 0;
  uint32_t next = ranges.empty() ? 0 : ranges[0].first;
  for (;;) {
    if (Stopped()) return Fail(TLinkFailure::Stopped);
    const size_t window = probing_ ? 1 : window_;
    while (asks.size() < window && range < ranges.size()) {
      if (next >= ranges[range].second) {
        if (++range < ranges.size()) next = ranges[range].first;
        continue;
      }
      TAsk ask{next, 0, 0, {}, false};
      ask.count = uint16_t(NextCount(next, next == ranges[range].first, ranges[range].second - next, ask.reused, ask.crossed, asks));
      if (ask.count == 0) break;  // every count that fits is under way: an answer frees one
      next += ask.count;
      auto& offsets = askedAt_[ask.count];
      ask.priorAsks = uint32_t(offsets.size());
      if (std::ranges::find(offsets, ask.offset) == offsets.end()) offsets.push_back(ask.offset);
      ask.order = asked_++;
      asks.push_back(ask);
      if (!Send(asks.back())) return Fail(link_.LastFailure == TLinkFailure::None ? TLinkFailure::Send : link_.LastFailure);
    }
    if (asks.empty()) break;
    const bool got = link_.AwaitAnswer(Expected(asks.front()), [&](std::span<const uint8_t> answer) {
      return Judge(answer, asks, pass);
    });
    if (got) {
      if (!Take(asks, bytes, pass, done) || !Resend(asks, true, TLinkFailure::NoAnswer)) return false;
      // A first long block answered shorter: it went alone, so the blocks go on after its end.
      if (resumeAt_) next = *std::exchange(resumeAt_, std::nullopt);
      continue;
    }
    const TLinkFailure why = link_.LastFailure;
    if (why != TLinkFailure::NoAnswer && why != TLinkFailure::BadAnswer) return false;
    window_ = std::max<size_t>(1, window_ / 2);
    if (!Resend(asks, false, why)) return false;
  }
  if (udp_) {
    // The answers of the last blocks may still be on their way: one taken for a block but not
    // its own shows itself when the block's own answer follows with other bytes.
    const auto listen = std::clamp(link_.Timing().Measured(), std::chrono::milliseconds(2), link_.Timing().BaseWait());
    link_.Listen(listen, [&](std::span<const uint8_t> answer) { return Judge(answer, asks, pass); });
  }
  const TLinkCounters& after = link_.Counters();
  pass.lineTrouble = after.timeouts != before.timeouts || after.rejected != before.rejected;
  return true;
}

// Adds [a, b) to ranges kept in order and merged.
void AddRange(TRanges& ranges, uint32_t a, uint32_t b) {
  ranges.emplace_back(a, b);
  std::ranges::sort(ranges);
  TRanges merged;
  for (const auto& r : ranges) {
    if (!merged.empty() && r.first <= merged.back().second) merged.back().second = std::max(merged.back().second, r.second);
    else merged.push_back(r);
  }
  ranges = std::move(merged);
}

bool Overlaps(const TRanges& ranges, uint32_t a, uint32_t b) {
  return std::ranges::any_of(ranges, [&](const auto& r) { return r.first < b && a < r.second; });
}

// An answer taken for a block of a reused count is either its own, one from outside the
// transfer (the one assumption), or a copy of the answer to an earlier request of that count in
// this transfer. Such a copy carries the bytes at that request's offset: when those bytes are
// certain and differ from the bytes taken, the answer was not a copy.
bool TFileReader::UnlikeItsPredecessors(const TBlockRead& b, const std::vector<uint8_t>& reading,
                                        const TRanges& doubt) const {
  const auto& offsets = askedAt_[b.count];
  for (uint32_t i = 0; i < b.priorAsks && i < offsets.size(); ++i) {
    const uint32_t p = offsets[i];
    if (p == b.offset) continue;  // its own bytes, whichever request brought them
    if (Overlaps(doubt, p, p + b.count)) return false;
    if (std::equal(reading.begin() + p, reading.begin() + p + b.count, reading.begin() + b.offset)) return false;
  }
  return true;
}

// Why the result is certain (docs/architecture.md, "Reading whole files"). Over UDP every block
// of a cycle is asked for with a count no other block of it has, so an answer can only be taken
// for the request it belongs to, unless it comes from outside the transfer. A block is certain
// when its pass heard no block answer from outside, no second answer of its count brought other
// bytes, and its count was new or it differs from every certain block read before with its count;
// any other block is read again until two readings agree. A
// serial line answers in order and never twice: a pass without a time-out or a damaged answer
// took every answer in its own request's wait.
bool TFileReader::Read(std::vector<uint8_t>& out) {
  out.assign(size_, 0);
  if (size_ == 0) return true;
  if (link_.LinkBusy()) return Fail(TLinkFailure::Busy);
  const int maxPasses = 1 + std::max(2, Attempts());
  TRanges ranges{{0, size_}};
  for (int passNo = 1;; ++passNo) {
    passNo_ = passNo;
    std::vector<uint8_t> reading = out;  // the last reading of every byte
    TPass pass;
    if (!Pass(ranges, reading, pass)) {
      const TLinkFailure why = link_.LastFailure;
      // A controller without the long read is read in 230-byte blocks; that is no error.
      if (long_ && pass.received == 0 && passNo == 1 && why != TLinkFailure::Stopped && why != TLinkFailure::Busy &&
          why != TLinkFailure::Disconnected && why != TLinkFailure::NotOpen) {
        SwitchToShortBlocks();
        // A long request left unanswered may be a controller without it, or one that has just
        // gone silent: the first short block gets one try, so a dead controller is not waited
        // for twice.
        oneTry_ = why == TLinkFailure::NoAnswer;
        --passNo;
        continue;
      }
      return false;
    }
    report_.passes = passNo;
    report_.longBlocks = long_;
    const bool clean = udp_ ? !pass.foreign && link_.Settings.CheckAnswerSum : !pass.lineTrouble;
    TRanges doubt;
    std::vector<const TBlockRead*> reusedBlocks;
    for (const TBlockRead& b : pass.blocks) {
      const uint32_t end = b.offset + b.count;
      // Two answers of its count with different bytes: neither reading can be trusted.
      const bool contested = Overlaps(contested_, b.offset, end);
      const bool agrees = passNo > 1 && std::equal(reading.begin() + b.offset, reading.begin() + end, out.begin() + b.offset);
      // A count a recent read asked for may meet that read's late answer: read again.
      if (contested || ((!clean || b.crossed) && !agrees)) AddRange(doubt, b.offset, end);
      else if (b.reused && !agrees) reusedBlocks.push_back(&b);
    }
    // A block of a reused count stands when the blocks asked before with its count are certain
    // and it holds other bytes than each of them. Each depends on those before it, and a doubt
    // found later in the pass may reach back: repeated until no more doubt is added.
    std::ranges::sort(reusedBlocks, {}, &TBlockRead::order);
    for (bool added = true; added;) {
      added = false;
      for (auto& b : reusedBlocks)
        if (b && !UnlikeItsPredecessors(*b, reading, doubt)) {
          AddRange(doubt, b->offset, b->offset + b->count);
          b = nullptr;
          added = true;
        }
    }
    // A contest about a block of an earlier pass puts it in doubt again.
    for (const auto& [a, b] : contested_)
      if (!Overlaps(ranges, a, b)) AddRange(doubt, a, b);
    contested_.clear();
    out = std::move(reading);
    if (doubt.empty()) return true;
    if (passNo >= maxPasses) return Fail(TLinkFailure::Unconfirmed);
    // A few bytes in doubt are read again inside a wider range, for the same reason.
    ranges.clear();
    const uint32_t least = uint32_t(std::min<size_t>(counts_.Max() / 2, size_));
    for (auto [a, b] : doubt) {
      if (b - a < least) {
        a = b > least ? std::min(a, b - least) : 0;
        b = std::max(b, std::min(size_, a + least));
      }
      AddRange(ranges, a, b);
    }
  }
}

void TFileReader::RememberCounts() {
  if (!udp_) return;
  const auto now = TRecentCounts::Clock::now();
  for (const TAsk& ask : asks_) owed_[ask.count] = true;
  for (size_t c = 0; c < owed_.size(); ++c)
    if (owed_[c]) link_.RecentCounts.Note(c, now);
  if (!link_.RecentCountsFile.empty()) link_.RecentCounts.Save(link_.RecentCountsFile, CountsKey());
}

}  // namespace

bool ReadControllerFile(TControllerLink& link, const std::string& name, std::vector<uint8_t>& out,
                        const TReadOptions& options, TReadReport* report) {
  TReadReport local;
  TReadReport& r = report ? *report : local;
  r = TReadReport{};
  const uint64_t echoesBefore = link.Counters().echoes;
  TDirEntry& entry = r.entry;
  bool ok = options.found ? (entry = *options.found, true) : FindControllerFile(link, name, entry);
  r.found = ok;
  if (ok && (entry.IsDirectory() || entry.Size > kMaxRemoteFile)) {
    link.LastFailure = entry.IsDirectory() ? TLinkFailure::IsDirectory : TLinkFailure::BadAnswer;
    ok = false;
  }
  // Over UDP a late search answer of an earlier read names the same file with the size it had
  // then: a second search after the blocks must agree with the first, else the file is read
  // again with what the second said (once; a file that keeps changing is not read).
  const bool udp = link.Settings.LinkMode == kLinkUdp;
  for (int reading = 0; ok; ++reading) {
    TFileReader reader(link, name, entry.Size, options, r);
    ok = reader.Read(out);
    reader.RememberCounts();
    if (ok && udp) {
      TDirEntry again;
      ok = FindControllerFile(link, name, again);
      if (ok && (again.Size != entry.Size || again.DateTime != entry.DateTime)) {
        entry = again;
        ok = false;
        link.LastFailure = TLinkFailure::Unconfirmed;
        if (reading == 0 && !entry.IsDirectory() && entry.Size <= kMaxRemoteFile) {
          ok = true;
          continue;
        }
      }
    }
    if (!ok && options.showReadError && link.LastFailure != TLinkFailure::Stopped && link.LastFailure != TLinkFailure::Busy)
      ShowError(ReadFailureText(link, name));
    break;
  }
  r.echoes = link.Counters().echoes - echoesBefore;
  if (!ok) out.clear();
  return ok;
}

std::string ReadFailureCause(const TControllerLink& link) {
  switch (link.LastFailure) {
    case TLinkFailure::DosError: return DosErrorText(link.LastDosError) + "\r";
    case TLinkFailure::NoAnswer: return "Контроллер не отвечает.\r";
    case TLinkFailure::BadAnswer: return "Ответы контроллера искажены или не соответствуют запросам.\r";
    case TLinkFailure::Disconnected: return "Линия связи отключена.\r";
    case TLinkFailure::NotOpen: case TLinkFailure::Send: return "Не удаётся передать запрос.\r";
    case TLinkFailure::IsDirectory: return "Это каталог.\r";
    case TLinkFailure::Unconfirmed:
      return "Повторные чтения не совпали: линия связи теряет, задерживает или повторяет ответы.\r";
    default: return {};
  }
}

std::string ReadFailureText(const TControllerLink& link, const std::string& name) {
  std::string cause = ReadFailureCause(link);
  if (!cause.empty()) cause.pop_back();
  return "Ошибка чтения файла. \r" + name + (cause.empty() ? "" : "\r" + cause);
}

}  // namespace vlm
