// velmorctl osc record and velmorctl screen: the oscilloscope stream into a WAV file and the
// controller's text screen as text or as a BMP picture, over the same core as the windows.
#include "cli/CommandLine.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <thread>

#include "cli/LinkCli.h"
#include "common/PathText.h"
#include "diag/DiagKinds.h"
#include "diag/DiagSession.h"
#include "diag/DisplayFont.h"
#include "diag/OscThread.h"
#include "diag/WavFile.h"

namespace vlm::cli {
namespace {

constexpr auto kNoStreamLimit = std::chrono::seconds(3);

struct TOscLine {
  std::string object, output, bmp;
  int channel = -1, seconds = 5, oscPort = 0;
  bool text = false;
};

// The channel byte of a kind-40 object; -1 after a message when there is none.
int ChannelOfObject(TControllerLink& link, const std::string& path) {
  TDiagMemory memory(link);
  TDiagContext context(memory);
  TDiagSession session(context);
  if (!session.Scan() || !session.Root) {
    std::fprintf(stderr, "velmorctl: osc record: the controller's diagnostic tree cannot be read\n");
    return -1;
  }
  TDiagObj* obj = FindByPath(context, *session.Root, path);
  if (!obj) {
    std::fprintf(stderr, "velmorctl: osc record: no object %s\n", path.c_str());
    return -1;
  }
  if (obj->Kind() != kDiagScope) {
    BadInput("osc record", path + " is not an oscilloscope (kind " + std::to_string(obj->Kind()) + ")");
    return -1;
  }
  uint8_t channel = 0;  // a failed read leaves channel 0, as the window does
  memory.ReadDiagMemory(obj->Header.DataPtr, std::span(&channel, 1));
  return channel;
}

int Record(TControllerLink& link, const TOscLine& line) {
  int channel = line.channel;
  if (!line.object.empty() && (channel = ChannelOfObject(link, line.object)) < 0) return kExitFailed;
  const uint16_t port = line.oscPort ? uint16_t(line.oscPort) : link.Settings.OscPort;
  TOscStream stream;
  if (const std::string error = stream.Start(link.Settings.SelfIP, link.Settings.DestIP, port, uint8_t(channel));
      !error.empty()) {
    std::fprintf(stderr, "velmorctl: osc record: %s\n", error.c_str());
    return kExitFailed;
  }
  const uint64_t wanted = uint64_t(line.seconds) * kOscFrameRate;
  auto framesIn = [&] { return (stream.Counters().packets + stream.Counters().lost) * kOscBlockFrames; };
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  auto lastCommand = start;
  while (framesIn() < wanted) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    for (const auto& l : stream.TakeEvents().lines) std::fprintf(stderr, "%s\n", l.c_str());
    if (Clock::now() - lastCommand >= std::chrono::seconds(1)) {
      stream.SendStreamCommand();
      lastCommand = Clock::now();
    }
    if (stream.Counters().packets == 0 && Clock::now() - start > kNoStreamLimit) {
      stream.Stop();
      std::fprintf(stderr, "velmorctl: osc record: no stream from the controller (%s, port %u)\n",
                   IPToStr(link.Settings.DestIP).c_str(), unsigned(port));
      return kExitFailed;
    }
  }
  // Packets already on their way are still counted, so the figures match what the controller sent.
  stream.Stop(std::chrono::milliseconds(300));
  for (const auto& l : stream.TakeEvents().lines) std::fprintf(stderr, "%s\n", l.c_str());
  const auto frames = stream.Ring().Bytes().first(size_t(wanted) * kOscFrameBytes);
  if (const std::string error = WriteWavFile(PathFromUtf8(line.output), frames); !error.empty()) {
    std::fprintf(stderr, "velmorctl: osc record: %s\n", error.c_str());
    return kExitFailed;
  }
  const TOscCounters& c = stream.Counters();
  std::printf("%s: %llu frames; packets %llu, lost %llu, repeated %llu, wrong size %llu\n", line.output.c_str(),
              static_cast<unsigned long long>(wanted), static_cast<unsigned long long>(c.packets.load()),
              static_cast<unsigned long long>(c.lost.load()), static_cast<unsigned long long>(c.repeated.load()),
              static_cast<unsigned long long>(c.wrongSize.load()));
  return kExitOk;
}

int Screen(TControllerLink& link, const TOscLine& line) {
  std::optional<TFont8x8> font;
  if (!line.bmp.empty()) {
    std::string why;
    font = LoadPsf1File(PathFromUtf8(kConsoleCyrillicFont), &why);
    if (!font) {
      std::fprintf(stderr, "velmorctl: screen: no 8x8 code page 866 font (%s; Debian package console-cyrillic)\n",
                   why.c_str());
      return kExitFailed;
    }
  }
  TScreenBuffer screen;
  TScreenReader reader(link, screen);
  if (const int failed = reader.ReadAll(); failed > 0) return LinkFailed(link, "screen", std::to_string(failed) + " of 50 rows");
  if (line.text || line.bmp.empty()) std::fputs(screen.Text().c_str(), stdout);
  if (font) {
    const TGlyphCache glyphs(*font);
    TScreenPicture picture(glyphs);
    picture.DrawAll(screen);
    const std::string name = BmpFileName(line.bmp);
    if (const std::string error = WriteBmpFile(PathFromUtf8(name), picture.Image()); !error.empty()) {
      std::fprintf(stderr, "velmorctl: screen: %s\n", error.c_str());
      return kExitFailed;
    }
    std::fprintf(stderr, "%s: %dx%d\n", name.c_str(), kPictureWidth, kPictureHeight);
  }
  return kExitOk;
}

}  // namespace

void AddOscCommands(CLI::App& app) {
  auto line = std::make_shared<TOscLine>();
  const std::string group = "Controller commands (over the link)";
  CLI::App* osc = app.add_subcommand("osc", "the controller's oscilloscope stream");
  osc->group(group);
  osc->require_subcommand(1);
  CLI::App* record = osc->add_subcommand("record", "record the two channels into a WAV file");
  auto* object = record->add_option("--object", line->object, "the oscilloscope's diagnostic object (\"Процессор.Осциллограф\")");
  auto* channel = record->add_option("--channel", line->channel, "channel byte of the stream command")->check(CLI::Range(0, 255));
  object->excludes(channel);
  record->add_option("--seconds", line->seconds, "length of the recording (1-60, 5 by default)")->check(CLI::Range(1, 60));
  record->add_option("-o", line->output, "WAV file")->required();
  record->add_option("--osc-port", line->oscPort, "UDP port of the stream (the saved OscPort, 209, by default)")
      ->check(CLI::Range(1, 65535));
  SetLinkAction(*record, [line, object, channel](TControllerLink& link) {
    if (object->count() == 0 && channel->count() == 0) return BadInput("osc record", "--object or --channel is needed");
    return Record(link, *line);
  });

  CLI::App* screen = app.add_subcommand("screen", "the controller's 80x50 text screen as UTF-8 text or a BMP picture");
  screen->group(group);
  screen->add_option("--bmp", line->bmp, "save the picture (640x500) under this name, its extension made .bmp");
  screen->add_flag("--text", line->text, "print the screen as text (also without --bmp)");
  SetLinkAction(*screen, [line](TControllerLink& link) { return Screen(link, *line); });
}

}  // namespace vlm::cli
