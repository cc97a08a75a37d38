#include "common/IniFile.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <mutex>
#include <utility>

#include "common/DataFolder.h"
#include "common/PathText.h"
#include "common/TextCodec.h"
#include "common/Trim.h"

namespace vlm {
namespace {

std::mutex& ReportMutex() {
  static std::mutex mutex;
  return mutex;
}

TIniReportGuard::TReport& CurrentReport() {
  static TIniReportGuard::TReport report;
  return report;
}

// A decimal whole number, or a hexadecimal one after "$".
bool ParseInteger(const std::string& text, int& value) {
  if (text.empty()) return false;
  const bool hex = text.size() > 1 && (text[0] == '$');
  const char* begin = text.c_str() + (hex ? 1 : 0);
  char* end = nullptr;
  const long v = std::strtol(begin, &end, hex ? 16 : 10);
  if (end == begin || *end != '\0' || v < INT32_MIN || v > INT32_MAX) return false;
  value = static_cast<int>(v);
  return true;
}

// A line end of a CR LF file is blank too.
constexpr std::string_view kBlanks = " \t\r";

// Section and key names compare without regard to Latin case, as Windows does.
bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

TIniFile::TIniFile(std::string path) : path_(std::move(path)) {
  std::string raw;
  if (!ReadWholeFile(PathFromUtf8(path_), raw)) return;
  if (raw.size() >= 3 && raw.compare(0, 3, "\xEF\xBB\xBF") == 0) raw.erase(0, 3);
  const std::string text = AnyToUtf8(raw);
  Section* current = nullptr;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string_view line = Trim(std::string_view(text).substr(start, end - start), kBlanks);
    start = end + 1;
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const size_t close = line.find(']');
      const std::string_view name = line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1);
      current = &FindOrAdd(Trim(name, kBlanks));
      continue;
    }
    const size_t eq = line.find('=');
    if (!current || eq == std::string_view::npos) continue;
    const std::string key(Trim(line.substr(0, eq), kBlanks));
    const std::string value(Trim(line.substr(eq + 1), kBlanks));
    auto it = std::find_if(current->entries.begin(), current->entries.end(),
                           [&](const Entry& e) { return SameName(e.key, key); });
    if (it == current->entries.end()) current->entries.push_back({key, value});
    // A repeated key keeps its first value, as the Windows ini routines read it.
  }
}

const TIniFile::Section* TIniFile::Find(std::string_view section) const {
  for (const auto& s : sections_)
    if (SameName(s.name, section)) return &s;
  return nullptr;
}

TIniFile::Section& TIniFile::FindOrAdd(std::string_view section) {
  for (auto& s : sections_)
    if (SameName(s.name, section)) return s;
  sections_.push_back({std::string(section), {}});
  return sections_.back();
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
  if (const Section* s = Find(section))
    for (const auto& e : s->entries)
      if (SameName(e.key, key)) return e.value;
  return std::string(def);
}

int TIniFile::ReadInteger(std::string_view section, std::string_view key, int def) const {
  int value = 0;
  return ParseInteger(ReadString(section, key, ""), value) ? value : def;
}

int TIniFile::ReadInteger(std::string_view section, std::string_view key, int def, TIntRange range) const {
  if (!ValueExists(section, key)) return def;
  const std::string text = ReadString(section, key, "");
  int value = 0;
  const bool number = ParseInteger(text, value);
  if (number && range.Contains(value)) return value;
  ReportIniFallback(section, key, text,
                    number ? "вне пределов " + std::to_string(range.min) + ".." + std::to_string(range.max)
                           : std::string("не целое число"),
                    std::to_string(def));
  return def;
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  Section& s = FindOrAdd(section);
  for (auto& e : s.entries)
    if (SameName(e.key, key)) {
      e.value = std::string(value);
      return;
    }
  s.entries.push_back({std::string(key), std::string(value)});
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

bool TIniFile::SectionExists(std::string_view section) const { return Find(section) != nullptr; }

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const {
  if (const Section* s = Find(section))
    for (const auto& e : s->entries)
      if (SameName(e.key, key)) return true;
  return false;
}

std::vector<std::string> TIniFile::ReadSections() const {
  std::vector<std::string> names;
  for (const auto& s : sections_) names.push_back(s.name);
  return names;
}

std::vector<std::string> TIniFile::ReadSection(std::string_view section) const {
  std::vector<std::string> keys;
  if (const Section* s = Find(section))
    for (const auto& e : s->entries) keys.push_back(e.key);
  return keys;
}

void TIniFile::EraseSection(std::string_view section) {
  sections_.erase(std::remove_if(sections_.begin(), sections_.end(),
                                 [&](const Section& s) { return SameName(s.name, section); }),
                  sections_.end());
}

void TIniFile::DeleteKey(std::string_view section, std::string_view key) {
  for (auto& s : sections_)
    if (SameName(s.name, section))
      s.entries.erase(std::remove_if(s.entries.begin(), s.entries.end(),
                                     [&](const Entry& e) { return SameName(e.key, key); }),
                      s.entries.end());
}

bool TIniFile::UpdateFile() const {
  std::string text;
  for (const auto& s : sections_) {
    text += "[" + s.name + "]\r\n";
    for (const auto& e : s.entries) text += e.key + "=" + e.value + "\r\n";
    text += "\r\n";
  }
  return WriteFileAtomically(PathFromUtf8(path_), Utf8ToCp1251(text));
}

void ReportIniFallback(std::string_view section, std::string_view key, std::string_view value,
                       std::string_view why, std::string_view def) {
  const std::string line = "Настройка [" + std::string(section) + "] " + std::string(key) + "=" +
                           std::string(value) + ": " + std::string(why) + ", взято " + std::string(def);
  std::lock_guard lock(ReportMutex());
  if (CurrentReport()) CurrentReport()(line);
}

TIniReportGuard::TIniReportGuard(TReport report) {
  std::lock_guard lock(ReportMutex());
  previous_ = std::exchange(CurrentReport(), std::move(report));
}

TIniReportGuard::~TIniReportGuard() {
  std::lock_guard lock(ReportMutex());
  CurrentReport() = std::move(previous_);
}

}  // namespace vlm
