#pragma once
// Text files of the black box: UTF-8 inside, written in the Windows code page (CP1251) with
// CR LF line ends, as the other programs of the family read them.
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace vlm {

class TBoxTextFile {
 public:
  TBoxTextFile() = default;
  ~TBoxTextFile() { Close(); }
  TBoxTextFile(const TBoxTextFile&) = delete;
  TBoxTextFile& operator=(const TBoxTextFile&) = delete;

  bool Create(const std::filesystem::path& path) { return Open(path, "wb"); }
  bool Append(const std::filesystem::path& path) { return Open(path, "ab"); }
  bool IsOpen() const { return file_ != nullptr; }
  // One line and its CR LF; returns the line's length in characters.
  size_t WriteLine(std::string_view utf8);
  // Text that holds its own CR LF separators; a CR LF is added at its end.
  void WriteText(std::string_view utf8) { WriteLine(utf8); }
  // False when any write failed since the file was opened.
  bool Close();

 private:
  bool Open(const std::filesystem::path& path, const char* mode);
  std::FILE* file_ = nullptr;
  std::string buffer_;
  bool failed_ = false;
};

// A line of 99 dashes, the rule between the parts of a file header.
std::string DashRule();

}  // namespace vlm
