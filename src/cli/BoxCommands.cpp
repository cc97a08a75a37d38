// velmorctl box ...: decoding of recorded frames and of recorded text files.
//   box decode-frame --code N --dir D [--param P] [--time "yyyy.mm.dd hh:nn:ss.zzz"] HEX...
//   box decode FILE.txt [--no-hex] [--param P]
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "blackbox/BoxDecoder.h"
#include "blackbox/BoxLine.h"
#include "blackbox/BoxListing.h"
#include "cli/Commands.h"

namespace vlm::cli {
namespace {

constexpr int kOk = 0, kFailure = 1, kBadInput = 2;

// Field lengths of an IEC 101 port, used for replayed records: the text line does not carry
// the parameter byte, and all-one-octet fields are the most common 101 set-up.
constexpr uint8_t kDefaultReplayParam = 0x55;

int Usage() {
  std::fputs(
      "usage: velmorctl box decode-frame --code N --dir 0|1 [--param P] [--time \"yyyy.mm.dd hh:nn:ss.zzz\"] HEX...\n"
      "       velmorctl box decode FILE.txt [--no-hex] [--param P]\n"
      "numbers: decimal, 0x1F, 1Fh or $1F; --param is the protocol parameter byte (IEC 101 field\n"
      "lengths), 55h by default for replayed records\n",
      stderr);
  return kBadInput;
}

int BadInput(const std::string& message) {
  std::fprintf(stderr, "velmorctl: %s\n", message.c_str());
  return kBadInput;
}

bool ParseNumber(std::string_view text, unsigned max, unsigned& value) {
  int base = 10;
  if (text.size() > 2 && (text.substr(0, 2) == "0x" || text.substr(0, 2) == "0X")) {
    text.remove_prefix(2);
    base = 16;
  } else if (!text.empty() && text.front() == '$') {
    text.remove_prefix(1);
    base = 16;
  } else if (!text.empty() && (text.back() == 'h' || text.back() == 'H')) {
    text.remove_suffix(1);
    base = 16;
  }
  if (text.empty() || text.size() > 8) return false;
  unsigned long v = 0;
  for (const char ch : text) {
    const int digit = ch >= '0' && ch <= '9' ? ch - '0'
                      : base == 16 && ch >= 'a' && ch <= 'f' ? ch - 'a' + 10
                      : base == 16 && ch >= 'A' && ch <= 'F' ? ch - 'A' + 10
                                                             : -1;
    if (digit < 0) return false;
    v = v * unsigned(base) + unsigned(digit);
  }
  if (v > max) return false;
  value = unsigned(v);
  return true;
}

// Hex bytes from the remaining arguments: pairs, with or without blanks, commas or colons.
bool ParseHexBytes(const std::vector<std::string>& args, size_t from, TBoxRecord& record, size_t& length) {
  length = 0;
  for (size_t a = from; a < args.size(); ++a) {
    const std::string& arg = args[a];
    for (size_t i = 0; i < arg.size();) {
      if (arg[i] == ' ' || arg[i] == ',' || arg[i] == ':') {
        ++i;
        continue;
      }
      unsigned byte = 0;
      if (i + 1 >= arg.size() || !ParseNumber(arg.substr(i, 2) + "h", 255, byte) || length == kBoxMaxData)
        return false;
      record.data[length++] = uint8_t(byte);
      i += 2;
    }
  }
  return true;
}

// Prints a decoder text: its CR LF line ends become the terminal's.
void PrintText(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 1);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  std::printf("%s\n", out.c_str());
}

int DecodeFrame(const std::vector<std::string>& args) {
  TBoxRecord record;
  bool haveCode = false, haveDir = false;
  TDateTime time = Now();
  size_t i = 1;
  for (; i < args.size() && args[i].rfind("--", 0) == 0; i += 2) {
    if (i + 1 >= args.size()) return Usage();
    const std::string& option = args[i];
    const std::string& value = args[i + 1];
    unsigned number = 0;
    if (option == "--code") {
      if (!ParseNumber(value, 255, number)) return BadInput("bad protocol code: " + value);
      record.protocol = uint8_t(number);
      haveCode = true;
    } else if (option == "--dir") {
      if (!ParseNumber(value, 1, number)) return BadInput("direction must be 0 or 1: " + value);
      record.direction = uint8_t(number);
      haveDir = true;
    } else if (option == "--param") {
      if (!ParseNumber(value, 255, number)) return BadInput("bad parameter byte: " + value);
      record.param = uint8_t(number);
    } else if (option == "--time") {
      TParsedLine parsed;
      if (!ParseRecordLine(value + "|t0|d0|p0|e0|L  0|№1|-->|", parsed))
        return BadInput("time must be \"yyyy.mm.dd hh:nn:ss.zzz\": " + value);
      time = parsed.time;
    } else {
      return Usage();
    }
  }
  if (!haveCode || !haveDir) return Usage();
  size_t length = 0;
  if (!ParseHexBytes(args, i, record, length)) return BadInput("frame bytes must be up to 128 hex pairs");
  if (!HasDecoder(record.Code())) {
    std::fprintf(stderr, "velmorctl: protocol code %u has no decoder\n", unsigned(record.Code()));
    return kFailure;
  }
  TDecoderState state;
  const TDecoded decoded = DecodeRecord(record, length, time, state);
  PrintText(decoded.text);
  std::printf("colour=%u\n", unsigned(decoded.colour));
  return kOk;
}

// Reads a file line by line through a fixed buffer, so a recording of any size streams.
class TLineSource {
 public:
  explicit TLineSource(std::FILE* file) : file_(file), buffer_(kChunk) {}

  bool Next(std::string_view& line) {
    for (;;) {
      const char* start = buffer_.data() + begin_;
      const void* nl = std::memchr(start, '\n', end_ - begin_);
      if (nl) {
        const size_t n = static_cast<const char*>(nl) - start;
        line = std::string_view(start, n);
        begin_ += n + 1;
        return true;
      }
      if (eof_) {
        if (begin_ == end_) return false;
        line = std::string_view(start, end_ - begin_);
        begin_ = end_;
        return true;
      }
      Refill();
    }
  }

 private:
  static constexpr size_t kChunk = 1 << 20;

  void Refill() {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
    if (end_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);  // a line longer than the buffer
    const size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
    end_ += got;
    if (got == 0) eof_ = true;
  }

  std::FILE* file_;
  std::vector<char> buffer_;
  size_t begin_ = 0, end_ = 0;
  bool eof_ = false;
};

int DecodeFile(const std::vector<std::string>& args) {
  std::string path;
  bool showHex = true;
  unsigned param = kDefaultReplayParam;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--no-hex") {
      showHex = false;
    } else if (args[i] == "--param") {
      if (++i >= args.size() || !ParseNumber(args[i], 255, param)) return Usage();
    } else if (path.empty() && args[i].rfind("--", 0) != 0) {
      path = args[i];
    } else {
      return Usage();
    }
  }
  if (path.empty()) return Usage();
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!file) return BadInput("cannot open " + path + ": " + std::strerror(errno));

  TBoxListing listing(showHex, true);
  TParsedLine parsed;
  std::string out;
  out.reserve(2 << 20);
  std::string_view line;
  TLineSource source(file.get());
  while (source.Next(line)) {
    if (!ParseRecordLine(line, parsed)) continue;
    parsed.record.param = uint8_t(param);
    listing.Process(parsed.record, parsed.length, parsed.time, out);
    if (out.size() >= (1 << 20)) {
      std::fwrite(out.data(), 1, out.size(), stdout);
      out.clear();
    }
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  if (std::ferror(file.get())) return BadInput("read error in " + path);
  return std::fflush(stdout) == 0 ? kOk : kFailure;
}

}  // namespace

int RunBoxCommand(const std::vector<std::string>& args) {
  if (args.empty()) return Usage();
  if (args[0] == "decode-frame") return DecodeFrame(args);
  if (args[0] == "decode") return DecodeFile(args);
  return Usage();
}

}  // namespace vlm::cli
