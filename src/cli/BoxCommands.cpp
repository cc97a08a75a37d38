// velmorctl box ...: decoding of recorded frames and of recorded text files.
//   box decode-frame --code N --dir D [--param P] [--time "yyyy.mm.dd hh:nn:ss.zzz"] HEX...
//   box decode FILE.txt [--no-hex] [--param P]
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "blackbox/BoxDecoder.h"
#include "blackbox/BoxLine.h"
#include "blackbox/BoxReplay.h"
#include "cli/CommandLine.h"

namespace vlm::cli {
namespace {

// The values of one box command line; numbers are checked by the parser already.
struct TBoxArgs {
  std::string code, dir, param, time, path;
  std::vector<std::string> hex;
  bool noHex = false;
};

int BadInput(const std::string& message) {
  std::fprintf(stderr, "velmorctl: %s\n", message.c_str());
  return kExitBadInput;
}

unsigned Number(const std::string& text, unsigned fallback) {
  unsigned value = fallback;
  if (!text.empty()) ParseNumber(text, 255, value);
  return value;
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

int DecodeFrame(const TBoxArgs& args) {
  TBoxRecord record;
  record.protocol = uint8_t(Number(args.code, 0));
  record.direction = uint8_t(Number(args.dir, 0));
  record.param = uint8_t(Number(args.param, record.param));
  TDateTime time = Now();
  if (!args.time.empty() && (args.time.size() != 23 || !ParseRecordTime(args.time, time)))
    return BadInput("time must be \"yyyy.mm.dd hh:nn:ss.zzz\": " + args.time);
  std::vector<uint8_t> bytes;
  if (!ParseHexBytes(args.hex, kBoxMaxData, bytes)) return BadInput("frame bytes must be hex pairs, at most 128");
  std::copy(bytes.begin(), bytes.end(), record.data.begin());
  if (!HasDecoder(record.Code())) {
    std::fprintf(stderr, "velmorctl: protocol code %u has no decoder\n", unsigned(record.Code()));
    return kExitFailed;
  }
  TDecoderState state;
  const TDecoded decoded = DecodeRecord(record, bytes.size(), time, state);
  PrintText(decoded.text);
  std::printf("colour=%u\n", unsigned(decoded.colour));
  return kExitOk;
}

int DecodeFile(const TBoxArgs& args) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(args.path.c_str(), "rb"), std::fclose);
  if (!file) return BadInput("cannot open " + args.path + ": " + std::strerror(errno));

  TReplayOptions options;
  options.showHex = !args.noHex;
  options.param = uint8_t(Number(args.param, options.param));
  const TReplayResult result = PrintRecording(file.get(), stdout, options);
  if (result.readError) return BadInput("read error in " + args.path);
  if (result.writeError) return kExitFailed;
  return std::fflush(stdout) == 0 ? kExitOk : kExitFailed;
}

}  // namespace

void AddBoxCommands(CLI::App& app) {
  auto args = std::make_shared<TBoxArgs>();
  CLI::App* box = app.add_subcommand("box", "black-box recordings and frame decoding");
  box->footer(
      "numbers: decimal, 0x1F, 1Fh or $1F; --param is the protocol parameter byte (IEC 101 field\n"
      "lengths), 55h by default for replayed records");

  CLI::App* frame = box->add_subcommand("decode-frame", "decode one frame given as hex bytes");
  frame->add_option("--code", args->code, "protocol code of the record")->required()->check(NumberUpTo(255));
  frame->add_option("--dir", args->dir, "direction: 0 sent, 1 received")->required()->check(NumberUpTo(1));
  frame->add_option("--param", args->param, "protocol parameter byte")->check(NumberUpTo(255));
  frame->add_option("--time", args->time, "time of the record, \"yyyy.mm.dd hh:nn:ss.zzz\" (now by default)");
  frame->add_option("HEX", args->hex, "frame bytes: hex pairs, blanks, commas or colons between them allowed");
  SetAction(*frame, [args] { return DecodeFrame(*args); });

  CLI::App* file = box->add_subcommand("decode", "decode every frame of a recorded text file");
  file->add_option("FILE.txt", args->path, "recording saved by the program")->required();
  file->add_flag("--no-hex", args->noHex, "leave out the recorded bytes, decoded text only");
  file->add_option("--param", args->param, "protocol parameter byte")->check(NumberUpTo(255));
  SetAction(*file, [args] { return DecodeFile(*args); });
}

}  // namespace vlm::cli
