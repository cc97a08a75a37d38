#include "diag/WavFile.h"

#include <cstdio>

#include "common/DataFolder.h"
#include "common/Format.h"
#include "common/PathText.h"
#include "diag/OscStream.h"

namespace vlm {
namespace {

void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
void Put16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
void PutTag(uint8_t* p, const char* tag) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(tag[i]);
}

}  // namespace

std::array<uint8_t, 44> WavHeader(uint32_t dataBytes) {
  std::array<uint8_t, 44> h{};
  PutTag(&h[0], "RIFF");
  Put32(&h[4], dataBytes + 36);  // file size - 8
  PutTag(&h[8], "WAVE");
  PutTag(&h[12], "fmt ");
  Put32(&h[16], 16);
  Put16(&h[20], 1);
  Put16(&h[22], 2);
  Put32(&h[24], kOscFrameRate);
  Put32(&h[28], kOscFrameRate * kOscFrameBytes);
  Put16(&h[32], uint16_t(kOscFrameBytes));
  Put16(&h[34], 16);
  PutTag(&h[36], "data");
  Put32(&h[40], dataBytes);
  return h;
}

std::string WriteWavFile(const std::filesystem::path& path, std::span<const uint8_t> frames) {
  const auto header = WavHeader(uint32_t(frames.size()));
  std::string bytes(reinterpret_cast<const char*>(header.data()), header.size());
  bytes.append(reinterpret_cast<const char*>(frames.data()), frames.size());
  if (!WriteFileAtomically(path, bytes)) return "Не удалось записать файл " + PathToUtf8(path);
  return {};
}

std::string WavSavedText(const std::string& name, uint64_t fileSize) {
  return Format("Файл: %s\r\rБайтов: %d\rСекунд: %d", {name, fileSize, fileSize / (kOscFrameRate * kOscFrameBytes)});
}

std::string WavProposedName(int year, int month, int day, int hour, int minute, int second) {
  return Format("%.4d_%.2d_%.2d %.2d_%.2d_%.2d.wav", {year, month, day, hour, minute, second});
}

std::string WavFileName(const std::string& chosen) {
  return PathFromUtf8(chosen).has_extension() ? chosen : chosen + ".wav";
}

}  // namespace vlm
