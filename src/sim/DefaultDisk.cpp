#include "sim/DefaultDisk.h"

#include <cstdio>
#include <cstring>
#include <fstream>

#include "common/Numbers.h"
#include "platform/System.h"
#include "sim/SimDisk.h"
#include "common/PathText.h"

namespace vlm::sim {
namespace {

void Put(std::vector<uint8_t>& image, size_t at, const char* text) {
  std::memcpy(&image[at], text, std::strlen(text));
}

// A record: tag, id, length including the 4-byte head, payload.
void Record(std::vector<uint8_t>& out, uint8_t tag, uint8_t id, std::vector<uint8_t> payload) {
  const size_t length = payload.size() + 4;
  out.insert(out.end(), {tag, id, uint8_t(length), uint8_t(length >> 8)});
  out.insert(out.end(), payload.begin(), payload.end());
}

std::vector<uint8_t> Container(uint8_t id, std::vector<uint8_t> items) {
  std::vector<uint8_t> out;
  Record(out, 0xF0, id, std::move(items));
  return out;
}

void Append(std::vector<uint8_t>& out, const std::vector<uint8_t>& more) {
  out.insert(out.end(), more.begin(), more.end());
}

std::vector<uint8_t> NewStation() {
  std::vector<uint8_t> processor;
  Record(processor, 0xE0, 105, {1});           // processor number
  Record(processor, 0xE0, 1, {0, 0, 0, 0});    // IP address
  Record(processor, 0xE0, 186, {0, 255, 255, 255});  // mask 255.255.255.0, last octet first
  Record(processor, 0xE0, 187, {0, 0, 0, 0});  // gateway
  Record(processor, 0xE0, 104, {0});           // no ports
  std::vector<uint8_t> controller;
  Record(controller, 0xE0, 105, {1});
  Record(controller, 0xE0, 103, {0});  // no cards
  Append(controller, Container(153, processor));
  std::vector<uint8_t> station;
  Record(station, 0xE0, 149, {0});  // empty place
  Record(station, 0xE0, 147, {1});  // one controller
  Append(station, Container(102, controller));
  return Container(148, station);
}

}  // namespace

std::vector<uint8_t> NewConfigImage(std::time_t built) {
  std::vector<uint8_t> image(144, 0);
  Put(image, 0, "         VELMOR    ");
  Put(image, 18, " Config file ");
  image[31] = 1;
  Append(image, NewStation());
  const size_t size = image.size() + 2;
  char text[64];
  std::snprintf(text, sizeof text, "Size:%-7zu", size);
  Put(image, 32, text);
  PutU32(&image[44], uint32_t(size));
  std::tm t{};
  platform::LocalTime(built, t);
  std::snprintf(text, sizeof text, "Date:%02d.%02d.%04d ", t.tm_mday, t.tm_mon + 1, t.tm_year + 1900);
  Put(image, 64, text);
  std::snprintf(text, sizeof text, "Time:%02d:%02d:%02d   ", t.tm_hour, t.tm_min, t.tm_sec);
  Put(image, 80, text);
  Put(image, 96, "CVer:4.1.9      ");
  uint16_t sum = 0;
  for (uint8_t b : image) sum = uint16_t(sum + b);
  image.push_back(uint8_t(sum));
  image.push_back(uint8_t(sum >> 8));
  return image;
}

std::string DefaultAutoexec() {
  return "@echo off\r\n"
         "prompt $p$g\r\n"
         "path c:\\\r\n"
         "vlm.exe c:\\vlm.cfg\r\n";
}

std::string PrepareDisk(const std::filesystem::path& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec || !std::filesystem::is_directory(folder, ec))
    return "cannot create the disk folder " + PathToUtf8(folder) + ": " + ec.message();
  // Looked up by the controller's name, so an existing AUTOEXEC.BAT is kept as it is.
  auto writeIfMissing = [&folder](const char* dosName, const char* hostName, const void* data,
                                  size_t size) -> std::string {
    if (FindVisibleChild(folder, dosName)) return {};
    std::ofstream out(folder / hostName, std::ios::binary);
    out.write(static_cast<const char*>(data), std::streamsize(size));
    return out ? std::string() : "cannot write " + PathToUtf8(folder / hostName);
  };
  const std::string autoexec = DefaultAutoexec();
  std::string error = writeIfMissing("AUTOEXEC.BAT", "autoexec.bat", autoexec.data(), autoexec.size());
  if (!error.empty()) return error;
  const auto image = NewConfigImage(std::time(nullptr));
  return writeIfMissing("VLM.CFG", "vlm.cfg", image.data(), image.size());
}

}  // namespace vlm::sim
