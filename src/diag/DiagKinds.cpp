#include "diag/DiagKinds.h"

#include <algorithm>
#include <array>

#include "common/Format.h"
#include "common/Numbers.h"
#include "common/TextCodec.h"

namespace vlm {
namespace {

using TBytes = std::span<const uint8_t>;

std::string Byte(TBytes d) { return Format("%d", {d[0]}); }
std::string Bool(TBytes d) { return d[0] ? "True" : "False"; }
std::string Word(TBytes d) { return Format("%u", {GetU16(d.data())}); }
std::string Int16(TBytes d) { return Format("%d", {int16_t(GetU16(d.data()))}); }
std::string Int32(TBytes d) { return Format("%d", {int32_t(GetU32(d.data()))}); }
std::string Dword(TBytes d) { return Format("%u", {GetU32(d.data())}); }
std::string Real48(TBytes d) { return FloatToStr(Real48ToDouble(d.first<6>())); }
std::string IpNumber(TBytes d) { return Format("%d.%d.%d.%d", {d[3], d[2], d[1], d[0]}); }
std::string Bits(TBytes d) { return Format("%b", {d[0]}); }
std::string Present(TBytes d) { return d[0] ? "Есть" : "Нет"; }
std::string OnOff(TBytes d) { return d[0] ? "Вкл." : "Откл."; }
std::string Single(TBytes d) { return FloatToStr(double(SingleFromBytes(d.first<4>()))); }
std::string Hex8(TBytes d) { return Format("%.2x", {d[0]}); }
std::string Hex16(TBytes d) { return Format("%.4x", {GetU16(d.data())}); }
std::string IpBytes(TBytes d) { return Format("%d.%d.%d.%d", {d[0], d[1], d[2], d[3]}); }
std::string Hex32(TBytes d) { return Format("%.8x", {GetU32(d.data())}); }

std::string HexBlock(TBytes d) {
  std::string text;
  for (size_t i = 0; i < d.size(); ++i) {
    text += Format("%.2x", {d[i]});
    text += (i + 1) % 10 == 0 ? "|" : " ";
  }
  return text;
}

std::string Chars(TBytes d) { return QuotedChars(d); }
std::string Text(TBytes d) { return DosToUtf8(std::string(d.begin(), d.end())); }

constexpr std::array kKinds{
    TDiagKind{kDiagHeading, TKindRead::None, 0, nullptr},
    TDiagKind{kDiagFolder, TKindRead::None, 0, nullptr},
    TDiagKind{2, TKindRead::Bytes, 1, Byte},
    TDiagKind{3, TKindRead::Bytes, 1, Bool},
    TDiagKind{4, TKindRead::Bytes, 2, Word},
    TDiagKind{5, TKindRead::Bytes, 2, Int16},
    TDiagKind{6, TKindRead::Bytes, 4, Int32},
    TDiagKind{7, TKindRead::Bytes, 4, Dword},
    TDiagKind{8, TKindRead::Bytes, 6, Real48},
    TDiagKind{kDiagText, TKindRead::Text, 0, Text},
    TDiagKind{18, TKindRead::Bytes, 4, IpNumber},
    TDiagKind{19, TKindRead::Bytes, 1, Bits},
    TDiagKind{21, TKindRead::Bytes, 1, Present},
    TDiagKind{22, TKindRead::Bytes, 1, OnOff},
    TDiagKind{kDiagHexBlock, TKindRead::Bytes, 64, HexBlock},
    TDiagKind{26, TKindRead::Bytes, 4, Single},
    TDiagKind{27, TKindRead::Bytes, 1, Hex8},
    TDiagKind{28, TKindRead::Bytes, 2, Hex16},
    TDiagKind{29, TKindRead::Bytes, 4, IpBytes},
    TDiagKind{kDiagCharsAt, TKindRead::CharsAt, 32, Chars},
    TDiagKind{39, TKindRead::Bytes, 4, Hex32},
    TDiagKind{kDiagScope, TKindRead::None, 0, nullptr},
    TDiagKind{kDiagTablo, TKindRead::None, 0, nullptr},
    TDiagKind{kDiagTI, TKindRead::None, 0, nullptr},
    TDiagKind{kDiagTS, TKindRead::None, 0, nullptr},
};

}  // namespace

const TDiagKind* FindDiagKind(uint8_t kind) {
  const auto it = std::find_if(kKinds.begin(), kKinds.end(), [kind](const TDiagKind& k) { return k.Kind == kind; });
  return it == kKinds.end() ? nullptr : &*it;
}

std::string UnknownKindText(uint8_t kind) { return "??? Kind=" + std::to_string(kind); }

std::string QuotedChars(std::span<const uint8_t> chars) {
  std::string raw;
  for (uint8_t c : chars) raw += c < 32 ? ' ' : char(c);
  return "\"" + Cp1251ToUtf8(raw) + "\"";
}

}  // namespace vlm
