#pragma once
// A folder of its own under the system's temporary folder, removed with everything in it when
// the object goes: tests leave nothing behind, and parallel runs never share a folder.
#include <filesystem>
#include <string>

namespace vlm::test {

class TTempDir {
 public:
  // `label` goes into the folder's name, to tell leftovers of a crashed run apart.
  explicit TTempDir(const std::string& label = "test");
  ~TTempDir();
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace vlm::test
