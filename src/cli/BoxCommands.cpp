// velmorctl box ...: recorders of the controller, decoding of recorded frames and files.
//   box decode-frame --code N --dir D [--param P] [--time "yyyy.mm.dd hh:nn:ss.zzz"] HEX...
//   box decode FILE.txt [--no-hex] [--param P]
//   box replay FILE.txt [--kp N] [--fn N] [--in|--out] [--no-hex] [--no-text] [--param P]
//   box topcap FILE.txt -o FILE.pcap [--param P]
//   [link options] box list | record --recorder N [--seconds S] [-o FILE.txt] [--text]
//                           | pcap --recorder N -o FILE.pcap
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "blackbox/BoxDecoder.h"
#include "blackbox/BoxLine.h"
#include "blackbox/BoxReplay.h"
#include "cli/BoxCli.h"
#include "cli/Commands.h"
#include "cli/LinkCli.h"

namespace vlm::cli {
namespace {

constexpr int kOk = 0, kFailure = 1, kBadInput = 2;

int Usage() {
  std::fputs(
      "usage: velmorctl box decode-frame --code N --dir 0|1 [--param P] [--time \"yyyy.mm.dd hh:nn:ss.zzz\"] HEX...\n"
      "       velmorctl box decode FILE.txt [--no-hex] [--param P]\n"
      "       velmorctl box replay FILE.txt [--kp N] [--fn N] [--in|--out] [--no-hex] [--no-text] [--param P]\n"
      "       velmorctl box topcap FILE.txt -o FILE.pcap [--param P]\n"
      "       velmorctl [link options] box list\n"
      "       velmorctl [link options] box record --recorder N [--seconds S] [-o FILE.txt] [--text]\n"
      "       velmorctl [link options] box pcap --recorder N -o FILE.pcap\n"
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
      if (value.size() != 23 || !ParseRecordTime(value, time))
        return BadInput("time must be \"yyyy.mm.dd hh:nn:ss.zzz\": " + value);
    } else {
      return Usage();
    }
  }
  if (!haveCode || !haveDir) return Usage();
  size_t length = 0;
  if (!ParseHexBytes(args, i, record, length)) return BadInput("frame bytes must be hex pairs, at most 128");
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

int DecodeFile(const std::vector<std::string>& args) {
  std::string path;
  bool showHex = true;
  unsigned param = TReplayOptions{}.param;
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

  TReplayOptions options;
  options.showHex = showHex;
  options.param = uint8_t(param);
  const TReplayResult result = PrintRecording(file.get(), stdout, options);
  if (result.readError) return BadInput("read error in " + path);
  if (result.writeError) return kFailure;
  return std::fflush(stdout) == 0 ? kOk : kFailure;
}

// Options of the form "--name value" and flags; the first word without "--" is the file.
struct TOptionReader {
  explicit TOptionReader(const std::vector<std::string>& all) : args(all) {}
  const std::vector<std::string>& args;
  size_t i = 1;
  std::string file;
  bool More() const { return i < args.size(); }
  bool Flag(const char* name) {
    if (args[i] != name) return false;
    ++i;
    return true;
  }
  bool Value(const char* name, std::string& value) {
    if (args[i] != name || i + 1 >= args.size()) return false;
    value = args[i + 1];
    i += 2;
    return true;
  }
  bool Number(const char* name, unsigned max, unsigned& value, bool& bad) {
    std::string text;
    if (!Value(name, text)) return false;
    bad = bad || !ParseNumber(text, max, value);
    return true;
  }
  bool File() {
    if (!file.empty() || args[i].rfind("--", 0) == 0) return false;
    file = args[i++];
    return true;
  }
};

int Replay(const std::vector<std::string>& args) {
  TBoxReplayArgs replay;
  TOptionReader r(args);
  bool bad = false;
  unsigned kp = 0, fn = 0, param = unsigned(replay.param);
  while (r.More()) {
    if (r.Number("--kp", 31, kp, bad)) replay.kpFilter = true, replay.kpNumber = int(kp);
    else if (r.Number("--fn", 255, fn, bad)) replay.fnFilter = true, replay.fnNumber = int(fn);
    else if (r.Number("--param", 255, param, bad)) replay.param = int(param);
    else if (r.Flag("--in")) replay.onlyIn = true;
    else if (r.Flag("--out")) replay.onlyOut = true;
    else if (r.Flag("--no-hex")) replay.hex = false;
    else if (r.Flag("--no-text")) replay.text = false;
    else if (!r.File()) return Usage();
  }
  if (bad || r.file.empty() || (replay.onlyIn && replay.onlyOut)) return Usage();
  replay.file = r.file;
  return BoxReplay(replay);
}

int ToPcap(const std::vector<std::string>& args) {
  TOptionReader r(args);
  std::string output;
  unsigned param = 0x55;
  bool bad = false;
  while (r.More()) {
    if (!r.Value("-o", output) && !r.Number("--param", 255, param, bad) && !r.File()) return Usage();
  }
  if (bad || r.file.empty() || output.empty()) return Usage();
  return BoxToPcap(r.file, output, int(param));
}

}  // namespace

int RunBoxLinkCommand(TControllerLink& link, const TArgs& args) {
  if (args.empty()) return Usage();
  TOptionReader r(args);
  bool bad = false;
  unsigned recorder = 0;
  if (args[0] == "list") return args.size() == 1 ? BoxList(link) : Usage();
  if (args[0] == "record") {
    TBoxRecordArgs record;
    std::string seconds;
    while (r.More()) {
      if (r.Number("--recorder", 255, recorder, bad)) record.recorder = int(recorder);
      else if (r.Value("--seconds", seconds)) {
        char* end = nullptr;
        record.seconds = std::strtod(seconds.c_str(), &end);
        bad = bad || end != seconds.c_str() + seconds.size() || !(record.seconds > 0);
      } else if (r.Flag("--text")) {
        record.text = true;
      } else if (!r.Value("-o", record.output)) {
        return Usage();
      }
    }
    return bad || record.recorder == 0 ? Usage() : BoxRecord(link, record);
  }
  if (args[0] == "pcap") {
    std::string output;
    while (r.More())
      if (!r.Number("--recorder", 255, recorder, bad) && !r.Value("-o", output)) return Usage();
    return bad || recorder == 0 || output.empty() ? Usage() : BoxPcap(link, int(recorder), output);
  }
  return Usage();
}

int RunBoxCommand(const std::vector<std::string>& args) {
  if (args.empty()) return Usage();
  if (args[0] == "decode-frame") return DecodeFrame(args);
  if (args[0] == "decode") return DecodeFile(args);
  if (args[0] == "replay") return Replay(args);
  if (args[0] == "topcap") return ToPcap(args);
  if (args[0] == "list" || args[0] == "record" || args[0] == "pcap") {
    std::vector<std::string> linkArgs{"box"};
    linkArgs.insert(linkArgs.end(), args.begin(), args.end());
    return RunLinkCommand(linkArgs);
  }
  return Usage();
}

}  // namespace vlm::cli
