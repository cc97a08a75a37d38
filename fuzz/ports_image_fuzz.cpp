// Fuzz target of the port and point records: the image reader's target with every port and
// point kind registered, so mutations reach the kinds' readers and the write-read-write check
// covers their records too.
#include <cstddef>
#include <cstdint>

#include "ports/KindRegistration.h"

#define LLVMFuzzerTestOneInput ImageFuzzTestOneInput
#include "image_fuzz.cpp"
#undef LLVMFuzzerTestOneInput

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vlm::RegisterPortKinds();
  return ImageFuzzTestOneInput(data, size);
}
