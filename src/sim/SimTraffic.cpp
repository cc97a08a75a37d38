#include "sim/SimTraffic.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace vlm::sim {
namespace {

// One fault in this many frames.
constexpr unsigned kFaultEvery = 16;

void PutBe16(std::vector<uint8_t>& v, unsigned x) {
  v.push_back(uint8_t(x >> 8));
  v.push_back(uint8_t(x));
}

void AppendModbusCrc(std::vector<uint8_t>& frame) {
  const uint16_t crc = ModbusCrc(frame.data(), frame.size());
  frame.push_back(uint8_t(crc));
  frame.push_back(uint8_t(crc >> 8));
}

// Sum of the FT1.2 user data (control field to the end of the ASDU).
uint8_t Ft12Sum(const std::vector<uint8_t>& frame, size_t from) {
  uint8_t sum = 0;
  for (size_t i = from; i < frame.size(); ++i) sum = uint8_t(sum + frame[i]);
  return sum;
}

std::vector<uint8_t> SiriusFrame(std::vector<uint8_t> body) {
  body.push_back(0x20);
  body.push_back(0);
  body.back() = SiriusCheck(body);
  return body;
}

SimFrame Make(uint8_t code, uint8_t direction, std::vector<uint8_t> bytes, uint8_t param = 0) {
  SimFrame f;
  f.protocol = code;
  f.direction = direction;
  f.param = param;
  f.bytes = std::move(bytes);
  return f;
}

bool HasCheck(uint8_t code) {
  return code == kCodeSirius || code == kCodeSiriusFast || code == kCodeIec101 || code == kCodeMkt3 ||
         code == kCodeModbus || code == kCodeLampBoard;
}

}  // namespace

uint16_t ModbusCrc(const uint8_t* bytes, size_t count) {
  uint16_t crc = 0xFFFF;
  for (size_t i = 0; i < count; ++i) {
    crc ^= bytes[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0xA001) : uint16_t(crc >> 1);
  }
  return crc;
}

uint8_t SiriusCheck(const std::vector<uint8_t>& frame) {
  if (frame.size() < 3) return 0;
  // 9-bit characters (odd parity as the ninth bit, inverted for the last one) through the
  // generator 229h.
  uint16_t reg = 0;
  auto feed = [&reg](unsigned bit) {
    const unsigned feedback = ((reg >> 8) & 1) ^ bit;
    reg = uint16_t((reg << 1) & 0x1FF);
    if (feedback) reg ^= 0x029;
  };
  const size_t last = frame.size() - 2;
  for (size_t i = 1; i <= last; ++i) {
    for (int bit = 7; bit >= 0; --bit) feed((frame[i] >> bit) & 1);
    feed((std::popcount(frame[i]) % 2 == 0 ? 1u : 0u) ^ (i == last ? 1u : 0u));
  }
  return uint8_t(reg >> 1);
}

TrafficGenerator::TrafficGenerator(std::vector<uint8_t> codes, uint64_t seed, bool faults)
    : codes_(std::move(codes)), random_(seed), faults_(faults) {}

SimFrame TrafficGenerator::Next() {
  if (nextPending_ == pending_.size()) {
    pending_.clear();
    nextPending_ = 0;
    const uint8_t code = codes_.empty() ? uint8_t(kCodeModbus) : codes_[nextCode_++ % codes_.size()];
    Dialog(code, pending_);
  }
  SimFrame frame = pending_[nextPending_++];
  if (Random(kFaultEvery) == 0 && faults_) Fault(frame);
  ++produced_;
  if ((frame.protocol == kCodeSirius || frame.protocol == kCodeSiriusFast) && frame.fault == SimFrame::kNone &&
      frame.bytes.size() >= 3)
    ++siriusSent_[{uint8_t(frame.bytes[0] & 0x1F), frame.bytes[1], frame.bytes[2]}];
  return frame;
}

void TrafficGenerator::Fault(SimFrame& frame) {
  switch (Random(4)) {
    case 0:  // the check character spoilt on the line; the controller saw it
      if (!frame.bytes.empty() && HasCheck(frame.protocol & 0x3F)) {
        frame.fault = SimFrame::kBadCheck;
        frame.bytes.back() ^= uint8_t(1 + Random(255));
        frame.error = uint8_t(frame.protocol == kCodeSirius || frame.protocol == kCodeSiriusFast ? 3 : 7);
      }
      break;
    case 1:  // cut short by a line break
      if (frame.bytes.size() > 1) {
        frame.fault = SimFrame::kCut;
        frame.bytes.resize(1 + Random(unsigned(frame.bytes.size() - 1)));
      }
      if (frame.protocol == kCodeLisna) frame.error = 4;
      break;
    case 2:
      frame.fault = SimFrame::kLineError;
      frame.error = uint8_t(1 + Random(7));
      break;
    default:  // a damaged recorder entry
      frame.fault = SimFrame::kBadDirection;
      frame.direction = uint8_t(2 + Random(254));
      break;
  }
}

void TrafficGenerator::Dialog(uint8_t code, std::vector<SimFrame>& out) {
  const unsigned kp = 1 + Random(30);
  switch (code) {
    case kCodeSirius:
    case kCodeSiriusFast: {
      const uint8_t group = uint8_t(Random(8));
      out.push_back(Make(code, 1, SiriusFrame({uint8_t(kp), 0x90, group})));
      std::vector<uint8_t> answer{uint8_t(kp), 0x90, group, uint8_t(Random(256))};
      if (code == kCodeSiriusFast) {
        // The fast variant tells the age of the change in 100 ms steps.
        const unsigned age = Random(600);
        answer.push_back(uint8_t(age));
        answer.push_back(uint8_t(age >> 8));
      }
      out.push_back(Make(code, 0, SiriusFrame(answer)));
      break;
    }
    case kCodeIec101: {
      fcb101_ ^= 0x20;
      const uint8_t control = uint8_t(0x5B | fcb101_);
      out.push_back(Make(code, 1, {0x10, control, uint8_t(kp), uint8_t(control + kp), 0x16}, kIec101Param));
      if (Random(3) == 0) {
        out.push_back(Make(code, 0, {0xE5}, kIec101Param));
        break;
      }
      // Single points in a sequence: M_SP_NA_1, spontaneous.
      const unsigned count = 1 + Random(6);
      std::vector<uint8_t> f{0x68, 0, 0, 0x68, 0x08, uint8_t(kp), 1, uint8_t(0x80 | count), 3, uint8_t(kp),
                             uint8_t(1 + Random(200))};
      for (unsigned i = 0; i < count; ++i) f.push_back(uint8_t(Random(2)));
      f[1] = f[2] = uint8_t(f.size() - 4);
      f.push_back(Ft12Sum(f, 4));
      f.push_back(0x16);
      out.push_back(Make(code, 0, f, kIec101Param));
      break;
    }
    case kCodeMkt3: {
      std::vector<uint8_t> query{0x44, 0, 0, 0, uint8_t(Random(256)), uint8_t(kp)};
      out.push_back(Make(code, 1, query));
      const uint8_t series = uint8_t(Random(8));
      std::vector<uint8_t> f{uint8_t(0xA0 | (kp & 0x1F)), series};
      for (int i = 0; i < 8; ++i) {
        const unsigned value = Random(4096);
        f.push_back(uint8_t(value));
        f.push_back(uint8_t(value >> 8));
      }
      AppendModbusCrc(f);
      out.push_back(Make(code, 0, f));
      break;
    }
    case kCodeTkRes: {
      const unsigned address = (kp & 0x1F) << 11;
      std::vector<uint8_t> command{0x38};
      PutBe16(command, address | 0x001);
      out.push_back(Make(code, 1, command));
      std::vector<uint8_t> status{0x38};
      PutBe16(status, address | Random(0x200));
      if (Random(2)) {
        status.push_back(0x38);
        PutBe16(status, address | 0x400 | 0x420);
      }
      out.push_back(Make(code, 0, status));
      break;
    }
    case kCodeIec104:
    case kCodeApciPrivate: {
      if (code == kCodeIec104 && Random(4) != 0) {
        // Measured value, short floating point, spontaneous: I-frame from the controlled station.
        std::vector<uint8_t> f{0x68, 0, uint8_t(sent104_ << 1), uint8_t(sent104_ >> 7), uint8_t(received104_ << 1),
                               uint8_t(received104_ >> 7), 13, 1, 3, 0, uint8_t(kp), 0};
        const unsigned ioa = 1000 + Random(100);
        f.insert(f.end(), {uint8_t(ioa), uint8_t(ioa >> 8), 0});
        const float value = float(Random(100000)) / 100.0f;
        uint8_t raw[4];
        std::memcpy(raw, &value, 4);
        f.insert(f.end(), raw, raw + 4);
        f.push_back(0);
        f[1] = uint8_t(f.size() - 2);
        sent104_ = uint16_t((sent104_ + 1) & 0x7FFF);
        out.push_back(Make(code, 0, f));
        out.push_back(Make(code, 1, {0x68, 4, 1, 0, uint8_t(sent104_ << 1), uint8_t(sent104_ >> 7)}));
      } else if (code == kCodeApciPrivate && Random(2)) {
        out.push_back(Make(code, 1, {0x68, 4, uint8_t(received104_ << 1), uint8_t(received104_ >> 7), 0, 0}));
        received104_ = uint16_t((received104_ + 1) & 0x7FFF);
        out.push_back(Make(code, 0, {0x68, 4, 1, 0, uint8_t(received104_ << 1), uint8_t(received104_ >> 7)}));
      } else {
        out.push_back(Make(code, 1, {0x68, 4, 0x43, 0, 0, 0}));  // TESTFR act
        out.push_back(Make(code, 0, {0x68, 4, 0x83, 0, 0, 0}));  // TESTFR con
      }
      break;
    }
    case kCodeLisna: {
      out.push_back(Make(code, 1, {uint8_t(0x08 | Random(8))}));
      if (Random(2)) {
        std::vector<uint8_t> f{uint8_t(0x10 | (Random(8) << 5))};
        for (int i = 0; i < 8; ++i) f.push_back(uint8_t(Random(256)));
        out.push_back(Make(code, 0, f));
      } else {
        out.push_back(Make(code, 0, {uint8_t(0x08 | Random(8)), uint8_t(Random(256))}));
      }
      break;
    }
    case kCodeLampBoard: {
      std::vector<uint8_t> f{0, uint8_t(kp), 0xF1, uint8_t(Random(16)), uint8_t(Random(256)), uint8_t(Random(256))};
      f[0] = uint8_t(f.size() - 1);
      uint8_t sum = 0;
      for (size_t i = 1; i < f.size(); ++i) sum = uint8_t(sum + f[i]);
      f.push_back(sum);
      out.push_back(Make(code, 1, f));
      break;
    }
    default: {  // Modbus RTU: read holding registers
      const unsigned start = Random(100), count = 1 + Random(10);
      std::vector<uint8_t> request{uint8_t(kp), 0x03};
      PutBe16(request, start);
      PutBe16(request, count);
      AppendModbusCrc(request);
      out.push_back(Make(kCodeModbus, 1, request));
      std::vector<uint8_t> answer{uint8_t(kp), 0x03};
      if (Random(10) == 0) {
        answer[1] = 0x83;
        answer.push_back(2);
      } else {
        answer.push_back(uint8_t(2 * count));
        for (unsigned i = 0; i < count; ++i) PutBe16(answer, Random(65536));
      }
      AppendModbusCrc(answer);
      out.push_back(Make(kCodeModbus, 0, answer));
      break;
    }
  }
}

}  // namespace vlm::sim
