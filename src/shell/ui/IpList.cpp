#include "shell/ui/IpList.h"

#include <charconv>

#include "common/IniFile.h"

namespace vlm {

namespace {

constexpr const char* kSection = "IPList";

std::string Trim(std::string s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const auto last = s.find_last_not_of(" \t");
  return s.substr(first, last - first + 1);
}

std::optional<int> ToInt(const std::string& text) {
  const std::string t = Trim(text);
  int value = 0;
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
  if (t.empty() || ec != std::errc() || end != t.data() + t.size()) return std::nullopt;
  return value;
}

// A place typed into the grid may hold characters an ini key cannot: "=" would split it on the
// next load, a line break or a leading "[" would turn it into another line or a section.
std::string IniKey(const std::string& place) {
  std::string key;
  for (char c : place)
    if (c != '=' && c != '\r' && c != '\n') key += c;
  while (!key.empty() && key.front() == '[') key.erase(key.begin());
  return Trim(key);
}

}  // namespace

std::optional<TIp> ParseIp(const std::string& text) {
  TIp ip{};
  size_t start = 0;
  for (int i = 0; i < 4; ++i) {
    const size_t dot = i < 3 ? text.find('.', start) : std::string::npos;
    if (i < 3 && dot == std::string::npos) return std::nullopt;
    const auto value = ToInt(text.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
    if (!value) return std::nullopt;
    ip[i] = static_cast<uint8_t>(*value);
    start = dot + 1;
  }
  return ip;
}

std::string IpText(const TIp& ip) {
  return std::to_string(ip[0]) + "." + std::to_string(ip[1]) + "." + std::to_string(ip[2]) + "." +
         std::to_string(ip[3]);
}

void TIpList::Load(const std::filesystem::path& ini) {
  rows.clear();
  const TIniFile file(ini.string());
  for (const auto& place : file.ReadSection(kSection))
    rows.push_back({file.ReadString(kSection, place, "0.0.0.0"), place});
}

bool TIpList::Save(const std::filesystem::path& ini) const {
  if (rows.empty()) return true;
  TIniFile file(ini.string());
  file.EraseSection(kSection);
  for (const auto& row : rows) {
    const std::string key = IniKey(row.place);
    if (!key.empty()) file.WriteString(kSection, key, row.address);
  }
  return file.UpdateFile();
}

void TIpList::Delete(int i) {
  if (i < 0 || i >= static_cast<int>(rows.size())) return;
  if (rows.size() == 1) rows[0] = {};
  else rows.erase(rows.begin() + i);
}

int TIpList::MoveUp(int i) {
  if (i <= 0 || i >= static_cast<int>(rows.size())) return i;
  std::swap(rows[i], rows[i - 1]);
  return i - 1;
}

int TIpList::MoveDown(int i) {
  if (i < 0 || i + 1 >= static_cast<int>(rows.size())) return i;
  std::swap(rows[i], rows[i + 1]);
  return i + 1;
}

int TIpList::Find(const std::string& address) const {
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].address == address) return static_cast<int>(i);
  return -1;
}

std::string TIpList::PlaceOf(const std::string& address) const {
  const int i = Find(address);
  return i < 0 ? std::string() : rows[i].place;
}

}  // namespace vlm
