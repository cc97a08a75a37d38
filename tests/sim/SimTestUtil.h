#pragma once
// Helpers of the simulator tests: request frames built by hand and files of the scratch disk
// (its folder is a vlm::test::TTempDir).
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/PathText.h"
#include "platform/FileAccess.h"
#include "support/TempDir.h"

namespace simtest {

using Bytes = std::vector<uint8_t>;

inline Bytes Hex(const std::string& text) {
  Bytes out;
  std::istringstream in(text);
  std::string byte;
  while (in >> byte) out.push_back(static_cast<uint8_t>(std::stoul(byte, nullptr, 16)));
  return out;
}

inline std::string ToHex(const Bytes& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (uint8_t b : bytes) {
    if (!out.empty()) out += ' ';
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

// Length byte, command, data, checksum of command and data.
inline Bytes Frame(uint8_t command, const Bytes& data) {
  Bytes out;
  out.reserve(data.size() + 3);
  out.push_back(static_cast<uint8_t>(data.size() + 1));
  out.push_back(command);
  out.insert(out.end(), data.begin(), data.end());
  unsigned sum = command;
  for (uint8_t b : data) sum += b;
  out.push_back(static_cast<uint8_t>(sum));
  return out;
}

inline void Append(Bytes& out, std::initializer_list<uint8_t> bytes) { out.insert(out.end(), bytes); }
inline void Append(Bytes& out, const Bytes& bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }
inline void AppendU32(Bytes& out, uint32_t v) {
  Append(out, {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
}
// Length byte and characters.
inline void AppendText(Bytes& out, const std::string& text) {
  out.push_back(static_cast<uint8_t>(text.size()));
  out.insert(out.end(), text.begin(), text.end());
}
// The 13-byte name field of the file requests.
inline void AppendName(Bytes& out, const std::string& name) {
  AppendText(out, name);
  out.insert(out.end(), 12 - name.size(), 0);
}

inline void WriteFile(const std::filesystem::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}
inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Host time stamp of 2024-05-17 13:45:30 local time (DOS date 58B1h, time 6DAFh).
inline void StampFile(const std::filesystem::path& path) {
  std::tm t{};
  t.tm_year = 124;
  t.tm_mon = 4;
  t.tm_mday = 17;
  t.tm_hour = 13;
  t.tm_min = 45;
  t.tm_sec = 30;
  t.tm_isdst = -1;
  // Folders too, which std::filesystem cannot stamp on Windows.
  if (!vlm::platform::SetModifiedTime(path, std::mktime(&t)))
    throw std::runtime_error("cannot set the time of " + vlm::PathToUtf8(path));
}

}  // namespace simtest
