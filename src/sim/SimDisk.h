#pragma once
// The controller's drive "c:" kept in a host folder. DOS paths ("c:\dir\file.ext", relative to
// the current directory or absolute, "\" or "/" as separator) are resolved component by component
// against the folder's own listing, case-insensitively, so nothing outside the folder can ever be
// named: ".." stops at the root, other drives do not exist, symbolic links and host names that are
// not 8.3 names are invisible to the controller.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vlm::sim {

constexpr uint8_t kAttrReadOnly = 0x01;
constexpr uint8_t kAttrDirectory = 0x10;
constexpr uint8_t kAttrArchive = 0x20;
// Largest file the controller lets a client write; keeps a bad offset from filling the host disk.
constexpr uint64_t kMaxFileSize = 64u << 20;

struct DosEntry {
  std::string name;  // canonical 8.3 form as DOS reports it
  uint8_t attribute = 0;
  uint32_t dateTime = 0;  // packed DOS date-time, local time
  uint32_t size = 0;
};

class SimDisk {
 public:
  // The folder must exist.
  explicit SimDisk(std::filesystem::path root);

  const std::filesystem::path& Root() const { return root_; }
  // "C:\" or "C:\DIR\SUB\".
  std::string CurrentDir() const;
  void ResetCurrentDir() { cwd_.clear(); }

  // Every operation returns a DOS error code (0 on success).
  uint16_t ChangeDir(std::string_view dosPath);
  // Up to maxCount bytes from offset; reading at or past the end gives no bytes and no error.
  uint16_t ReadBlock(std::string_view dosName, uint32_t offset, size_t maxCount,
                     std::vector<uint8_t>& out) const;
  // Writing at offset 0 starts the file anew, so a shorter rewrite leaves no stale tail; a block
  // may continue the file but not leave a hole behind its end.
  uint16_t WriteBlock(std::string_view dosName, uint32_t offset, std::span<const uint8_t> data);
  uint16_t Delete(std::string_view dosName);
  // All entries matching a mask ("c:\dir\*.*"; a path ending in "\" means "*.*"), "." and ".."
  // first, then by name. A mask without wildcards that matches nothing gives 2, one with
  // wildcards gives 18.
  uint16_t Search(std::string_view dosMask, std::vector<DosEntry>& out) const;

 private:
  struct ParsedPath {
    uint16_t error = 0;
    std::vector<std::string> dirs;  // canonical components below the root
    std::string leaf;               // last component as given ("" when the path ends in "\")
  };
  ParsedPath Parse(std::string_view dosPath) const;
  // Host folder of canonical components, or nullopt when one of them is not a visible folder.
  std::optional<std::filesystem::path> HostDir(const std::vector<std::string>& dirs) const;
  struct Target {
    uint16_t error = 0;
    std::filesystem::path hostDir;
    std::string name;                           // canonical leaf
    std::optional<std::filesystem::path> host;  // existing host entry of that name
  };
  Target Locate(std::string_view dosName, uint16_t invalidNameError) const;
  // The host file of an existing plain file, or nullopt with the DOS error (2, 3 or 5).
  std::optional<std::filesystem::path> ExistingFile(std::string_view dosName, uint16_t& error) const;

  std::filesystem::path root_;
  std::vector<std::string> cwd_;
};

// The visible entry of a host folder whose 8.3 name is canonicalName, if there is one.
std::optional<std::filesystem::path> FindVisibleChild(const std::filesystem::path& hostDir,
                                                      std::string_view canonicalName);

}  // namespace vlm::sim
