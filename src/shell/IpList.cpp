#include "shell/IpList.h"

#include "common/IniFile.h"
#include "common/IpAddress.h"
#include "common/PathText.h"
#include "common/Trim.h"

namespace vlm {

namespace {

constexpr const char* kSection = "IPList";

// A place typed into the grid may hold characters an ini key cannot: "=" would split it on the
// next load, a line break or a leading "[" would turn it into another line or a section.
std::string IniKey(const std::string& place) {
  std::string key;
  for (char c : place)
    if (c != '=' && c != '\r' && c != '\n') key += c;
  while (!key.empty() && key.front() == '[') key.erase(key.begin());
  return std::string(Trim(key));
}

}  // namespace

bool TIpRow::AddressValid() const {
  try {
    StrToIP(address);
    return true;
  } catch (const EConvertError&) {
    return false;
  }
}

void TIpList::Load(const std::filesystem::path& ini) {
  rows.clear();
  const TIniFile file(PathToUtf8(ini));
  for (const auto& place : file.ReadSection(kSection))
    rows.push_back({file.ReadString(kSection, place, "0.0.0.0"), place});
}

bool TIpList::Save(const std::filesystem::path& ini) const {
  if (rows.empty()) return true;
  TIniFile file(PathToUtf8(ini));
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
