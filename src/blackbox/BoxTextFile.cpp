#include "blackbox/BoxTextFile.h"

#include "common/TextCodec.h"
#include "platform/FileAccess.h"

namespace vlm {

bool TBoxTextFile::Open(const std::filesystem::path& path, const char* mode) {
  Close();
  file_ = platform::OpenFile(path, mode);
  failed_ = false;
  return file_ != nullptr;
}

size_t TBoxTextFile::WriteLine(std::string_view utf8) {
  if (!file_) return 0;
  buffer_ = Utf8ToCp1251(utf8);
  buffer_ += "\r\n";
  if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) failed_ = true;
  return buffer_.size() - 2;
}

bool TBoxTextFile::Close() {
  if (!file_) return !failed_;
  if (std::fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
  return !failed_;
}

std::string DashRule() { return std::string(99, '-'); }

}  // namespace vlm
