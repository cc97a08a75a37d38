#pragma once
// Puts one PC file into the root of the controller's disk in 230-byte segments and checks it by
// reading every segment back. Each step becomes a log line of the upload window (or velmorctl).
#include <cstdint>
#include <filesystem>
#include <string>

#include "link/Velmor_PC.h"
#include "services/ServiceObserver.h"

namespace vlm {

inline constexpr const char* kUploadOk = "Проверка завершена успешно.";

// Segments of n bytes in 230-byte blocks.
uint64_t SegmentCount(uint64_t size);

class TUpload {
 public:
  TUpload(TControllerLink& link, IServiceObserver& observer) : link_(link), observer_(observer) {}
  // Pause between writing and reading back (the controller closes the file meanwhile).
  int SettleMs = 200;
  // Opens and closes the link; true when every segment read back equals the PC file.
  bool Load(const std::filesystem::path& pcPath);

 private:
  bool Verify(const std::string& name, const std::string& bytes);
  void Settle();

  TControllerLink& link_;
  IServiceObserver& observer_;
};

// The error box text of a segment that came back different: the first 25 bytes of both in hex,
// cut to 255 characters.
std::string UploadMismatchText(const uint8_t* original, size_t originalCount, const uint8_t* readBack,
                               size_t readCount);

}  // namespace vlm
