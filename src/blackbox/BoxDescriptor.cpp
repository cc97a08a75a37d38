#include "blackbox/BoxDescriptor.h"

#include <algorithm>
#include <cstring>

#include "blackbox/BoxRecord.h"
#include "common/Numbers.h"
#include "common/TextCodec.h"

namespace vlm {

TBoxDescriptor TBoxDescriptor::FromBytes(std::span<const uint8_t> data) {
  TBoxDescriptor d;
  std::copy_n(data.begin(), std::min(data.size(), d.bytes.size()), d.bytes.begin());
  return d;
}

TBoxDescriptor TBoxDescriptor::Named(std::string_view utf8Name) {
  TBoxDescriptor d;
  const std::string name = Utf8ToCp1251(utf8Name).substr(0, kBoxNameMax);
  d.bytes[kBoxNameAt] = uint8_t(name.size());
  std::copy(name.begin(), name.end(), d.bytes.begin() + kBoxNameAt + 1);
  return d;
}

TFarPointer TBoxDescriptor::Next() const { return TFarPointer::FromU32(GetU32(&bytes[0])); }

bool TBoxDescriptor::SignatureOk() const { return HeaderSignatureOk(bytes); }

std::string TBoxDescriptor::Name() const {
  const size_t n = std::min<size_t>(bytes[kBoxNameAt], kBoxNameMax);
  return Cp1251ToUtf8(std::string_view(reinterpret_cast<const char*>(&bytes[kBoxNameAt + 1]), n));
}

size_t TBoxDescriptor::Length(size_t buffer) const {
  return std::min<size_t>(bytes[14 + buffer % kBoxBuffers], kBoxMaxData);
}

TFarPointer TBoxDescriptor::Buffers() const { return TFarPointer::FromU32(GetU32(&bytes[30])); }
uint32_t TBoxDescriptor::EthBase() const { return GetU32(&bytes[13]); }
uint32_t TBoxDescriptor::EthSize() const { return GetU32(&bytes[17]); }
uint32_t TBoxDescriptor::EthWriteIndex() const { return GetU32(&bytes[21]); }

bool HeaderSignatureOk(std::span<const uint8_t> header) {
  return header.size() >= 12 && std::memcmp(&header[4], kBoxSignature.data(), kBoxSignature.size()) == 0;
}

}  // namespace vlm
