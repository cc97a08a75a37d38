// velmorctl box ...: recorders of the controller, decoding of recorded frames and files.
//   box decode-frame --code N --dir D [--param P] [--time "yyyy.mm.dd hh:nn:ss.zzz"] HEX...
//   box decode FILE.txt [--no-hex] [--param P]
//   box replay FILE.txt [--kp N] [--fn N] [--in|--out] [--no-hex] [--no-text] [--param P]
//   box topcap FILE.txt -o FILE.pcap [--param P]
//   box analyze FILE.txt [--param P]
//   [link options] box list | record --recorder N [--seconds S] [-o FILE.txt] [--text]
//                           | pcap --recorder N -o FILE.pcap
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
#include "cli/BoxCli.h"
#include "cli/CommandLine.h"
#include "cli/LinkCli.h"
#include "common/PathText.h"
#include "platform/FileAccess.h"

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
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(platform::OpenFile(PathFromUtf8(args.path), "rb"), std::fclose);
  if (!file) return BadInput("cannot open " + args.path + ": " + std::strerror(errno));

  TReplayOptions options;
  options.showHex = !args.noHex;
  options.param = uint8_t(Number(args.param, options.param));
  const TReplayResult result = PrintRecording(file.get(), stdout, options);
  if (result.readError) return BadInput("read error in " + args.path);
  if (result.writeError) return kExitFailed;
  if (result.records == 0) {
    // A binary file, or a text without a recorded line: nothing was decoded, and that is said.
    std::fprintf(stderr, "velmorctl: box decode: no records in %s\n", args.path.c_str());
    return kExitFailed;
  }
  return std::fflush(stdout) == 0 ? kExitOk : kExitFailed;
}

// Replay and conversion of recorded files; list, record and pcap over the controller link.
void AddRecordingCommands(CLI::App& box) {
  auto replay = std::make_shared<TBoxReplayArgs>();
  auto kp = std::make_shared<std::string>(), fn = std::make_shared<std::string>(), param = std::make_shared<std::string>();
  auto noHex = std::make_shared<bool>(false), noText = std::make_shared<bool>(false);
  CLI::App* play = box.add_subcommand("replay", "print the lines the black-box window shows for a recorded file");
  play->add_option("FILE.txt", replay->file, "recording saved by the program")->required();
  play->add_option("--kp", *kp, "show only frames of this КП (codes 2, 4, 36)")->check(NumberUpTo(31));
  play->add_option("--fn", *fn, "show only frames of this function (codes 2, 4, 36)")->check(NumberUpTo(255));
  auto* in = play->add_flag("--in", replay->onlyIn, "frames received by the controller only");
  play->add_flag("--out", replay->onlyOut, "frames sent by the controller only")->excludes(in);
  play->add_flag("--no-hex", *noHex, "leave out the recorded bytes");
  play->add_flag("--no-text", *noText, "leave out the decoded text");
  play->add_option("--param", *param, "protocol parameter byte of the replayed records")->check(NumberUpTo(255));
  SetAction(*play, [=] {
    TBoxReplayArgs a = *replay;
    a.kpFilter = !kp->empty();
    a.kpNumber = int(Number(*kp, 0));
    a.fnFilter = !fn->empty();
    a.fnNumber = int(Number(*fn, 0));
    a.hex = !*noHex;
    a.text = !*noText;
    a.param = int(Number(*param, unsigned(a.param)));
    return BoxReplay(a);
  });

  auto input = std::make_shared<std::string>(), output = std::make_shared<std::string>();
  auto pcapParam = std::make_shared<std::string>();
  CLI::App* topcap = box.add_subcommand("topcap", "turn a recorded text file into a pcap file for Wireshark");
  topcap->add_option("FILE.txt", *input, "recording saved by the program")->required();
  topcap->add_option("-o", *output, "pcap file to write")->required();
  topcap->add_option("--param", *pcapParam, "IEC 101 field lengths for the printed tshark options (55h)")
      ->check(NumberUpTo(255));
  SetAction(*topcap, [=] { return BoxToPcap(*input, *output, int(Number(*pcapParam, 0x55))); });

  auto analyzeFile = std::make_shared<std::string>(), analyzeParam = std::make_shared<std::string>();
  CLI::App* analyze = box.add_subcommand("analyze", "run the stream analyzer over a recorded file: its tree and errors");
  analyze->add_option("FILE.txt", *analyzeFile, "recording saved by the program")->required();
  analyze->add_option("--param", *analyzeParam, "protocol parameter byte of the replayed records")->check(NumberUpTo(255));
  SetAction(*analyze, [=] { return BoxAnalyze(*analyzeFile, int(Number(*analyzeParam, 0x55))); });

  CLI::App* list = box.add_subcommand("list", "the controller's recorders: number, type, write index, name");
  SetLinkAction(*list, [](TControllerLink& link) { return BoxList(link); });

  auto record = std::make_shared<TBoxRecordArgs>();
  auto recorder = std::make_shared<std::string>();
  CLI::App* rec = box.add_subcommand("record", "record a recorder into a text file, as the window does");
  rec->add_option("--recorder", *recorder, "recorder number (box list)")->required()->check(NumberUpTo(255));
  rec->add_option("--seconds", record->seconds, "stop after this many seconds (Ctrl+C stops too)")
      ->check(CLI::PositiveNumber);
  rec->add_option("-o", record->output, "text file (BlackBoxNN.txt in the Box folder by default)");
  rec->add_flag("--text", record->text, "write the decoded text too");
  rec->add_flag("--append", record->append, "add the records to an existing file (without it such a file is refused)");
  SetLinkAction(*rec, [=](TControllerLink& link) {
    TBoxRecordArgs a = *record;
    a.recorder = int(Number(*recorder, 0));
    return BoxRecord(link, a);
  });

  auto capture = std::make_shared<std::string>(), ethRecorder = std::make_shared<std::string>();
  CLI::App* pcap = box.add_subcommand("pcap", "copy an Ethernet recorder (type 1) into a pcap file");
  pcap->add_option("--recorder", *ethRecorder, "recorder number (box list)")->required()->check(NumberUpTo(255));
  pcap->add_option("-o", *capture, "pcap file (\".pcap\" added to a name without extension)")->required();
  SetLinkAction(*pcap, [=](TControllerLink& link) { return BoxPcap(link, int(Number(*ethRecorder, 0)), *capture); });
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
  frame->add_option("--dir", args->dir, "direction byte of the record: 0 received by the controller (->), 1 sent by it (<-)")
      ->required()
      ->check(NumberUpTo(1));
  frame->add_option("--param", args->param, "protocol parameter byte")->check(NumberUpTo(255));
  frame->add_option("--time", args->time, "time of the record, \"yyyy.mm.dd hh:nn:ss.zzz\" (now by default)");
  frame->add_option("HEX", args->hex, "frame bytes: hex pairs, blanks, commas or colons between them allowed");
  SetAction(*frame, [args] { return DecodeFrame(*args); });

  CLI::App* file = box->add_subcommand("decode", "decode every frame of a recorded text file");
  file->add_option("FILE.txt", args->path, "recording saved by the program")->required();
  file->add_flag("--no-hex", args->noHex, "leave out the recorded bytes, decoded text only");
  file->add_option("--param", args->param, "protocol parameter byte")->check(NumberUpTo(255));
  SetAction(*file, [args] { return DecodeFile(*args); });

  AddRecordingCommands(*box);
}

}  // namespace vlm::cli
