#include "link/RecentCounts.h"

#include <algorithm>
#include <charconv>
#include <sstream>

#include "common/DataFolder.h"

namespace vlm {
namespace {

int64_t Ms(TRecentCounts::Clock::time_point t) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count();
}

template <class T>
bool ParseNumber(std::string_view text, T& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc{} && end == text.data() + text.size();
}

// Calls take(ms, count) for each well-formed "ms:count" of a line after its key.
template <class Take>
void ForEachEntry(const std::string& line, Take take) {
  std::istringstream words(line);
  std::string word;
  words >> word;  // the key
  while (words >> word) {
    const size_t colon = word.find(':');
    int64_t ms = 0;
    size_t count = 0;
    if (colon != std::string::npos && ParseNumber(std::string_view(word).substr(0, colon), ms) &&
        ParseNumber(std::string_view(word).substr(colon + 1), count))
      take(ms, count);
  }
}

std::string KeyOf(const std::string& line) { return line.substr(0, line.find(' ')); }

}  // namespace

TRecentCounts::TRecentCounts(size_t maxCount) : lastUsedMs_(maxCount + 1, 0) {}

bool TRecentCounts::Recent(size_t count, Clock::time_point now) const {
  if (count >= lastUsedMs_.size() || lastUsedMs_[count] == 0) return false;
  const int64_t age = Ms(now) - lastUsedMs_[count];
  // A clock set back makes every entry young: kept off all the same, until the horizon passes.
  return age < std::chrono::duration_cast<std::chrono::milliseconds>(kHorizon).count();
}

void TRecentCounts::Note(size_t count, Clock::time_point when) {
  if (count < lastUsedMs_.size()) lastUsedMs_[count] = std::max(lastUsedMs_[count], Ms(when));
}

void TRecentCounts::Load(const std::filesystem::path& file, const std::string& key) {
  std::string text;
  if (!ReadWholeFile(file, text)) return;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);)
    if (KeyOf(line) == key)
      ForEachEntry(line, [&](int64_t ms, size_t count) {
        if (count < lastUsedMs_.size()) lastUsedMs_[count] = std::max(lastUsedMs_[count], ms);
      });
}

bool TRecentCounts::Save(const std::filesystem::path& file, const std::string& key) const {
  const int64_t now = Ms(Clock::now());
  const int64_t horizon = std::chrono::duration_cast<std::chrono::milliseconds>(kHorizon).count();
  std::string text, old;
  if (ReadWholeFile(file, old)) {
    // Other controllers' lines stay while any of their entries is young.
    std::istringstream lines(old);
    for (std::string line; std::getline(lines, line);) {
      if (line.empty() || KeyOf(line) == key) continue;
      bool young = false;
      ForEachEntry(line, [&](int64_t ms, size_t) { young = young || now - ms < horizon; });
      if (young) text += line + "\n";
    }
  }
  std::string own = key;
  for (size_t c = 0; c < lastUsedMs_.size(); ++c)
    if (lastUsedMs_[c] != 0 && now - lastUsedMs_[c] < horizon) own += " " + std::to_string(lastUsedMs_[c]) + ":" + std::to_string(c);
  text += own + "\n";
  return WriteFileAtomically(file, text);
}

}  // namespace vlm
