#pragma once
// The block counts whose answers recent file reads of one controller may still have on their
// way (requests sent more than once, or never answered). Block answers carry nothing but their
// count, and both ends keep port 208, so such a late answer can meet the next read, of this
// process or of the one after; one whose count that read never asks for shows itself as foreign.
// A read therefore keeps off the counts owed within the last minute. The memory lives in the
// link object and, when a file is named, in the data folder, so that the next process knows it.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vlm {

// The file in the data folder that velmorctl and the program share.
inline constexpr const char* kRecentCountsFileName = "LinkCounts.txt";

class TRecentCounts {
 public:
  using Clock = std::chrono::system_clock;
  // How long an answer may still be on its way: far beyond any answer time a link allows.
  static constexpr std::chrono::seconds kHorizon{60};

  explicit TRecentCounts(size_t maxCount = 1420);
  // Whether an answer of `count` was owed within the horizon before `now`.
  bool Recent(size_t count, Clock::time_point now = Clock::now()) const;
  void Note(size_t count, Clock::time_point when = Clock::now());

  // One line per controller ("key ms:count ms:count ..."), other controllers' lines kept; a
  // missing or damaged file is an empty memory.
  void Load(const std::filesystem::path& file, const std::string& key);
  bool Save(const std::filesystem::path& file, const std::string& key) const;

 private:
  std::vector<int64_t> lastUsedMs_;  // per count, ms since the epoch; 0: never
};

}  // namespace vlm
