// Modbus RTU frames (protocol code 35). Responses are numbered from the start address of the
// most recent request, which the decoder state keeps.
#include "blackbox/BoxDecoder.h"
#include "blackbox/Checksums.h"
#include "blackbox/FrameCursor.h"
#include "common/Format.h"

namespace vlm {
namespace {

constexpr const char* kFunctionNames[] = {
    "Not valid", "ReadCoils", "ReadDiscr", "ReadHoldR", "ReadInptR", "WriteCoil", "WriteReg ",
    "ReadExcep", "Diagnosti", "???09????", "???10????", "GetComCtr", "GetComLog", "???13????",
    "???14????", "WritCoils", "WriteRegs", "ReportSID", "???18????", "???19????", "ReadFile ",
    "WriteFile", "MaskWrite", "Rd/WrRegs", "ReadFIFOQ"};

const char* FunctionName(unsigned f) {
  if (f < std::size(kFunctionNames)) return kFunctionNames[f];
  if ((f >= 65 && f <= 72) || (f >= 100 && f <= 110)) return "UserDefin";
  return "?UnKnown?";
}

const char* ExceptionName(unsigned code) {
  static constexpr const char* kNames[] = {"FuncCode", "DataAddr", "DataValue", "FuncFault"};
  return code >= 1 && code <= 4 ? kNames[code - 1] : "?UnKnown?";
}

// Largest quantity a read or write request may ask for; 0 for functions without a quantity.
unsigned QuantityLimit(unsigned f) {
  struct TLimit {
    unsigned function, limit;
  };
  static constexpr TLimit kLimits[] = {{1, 2000}, {2, 2000}, {3, 125}, {4, 125}, {15, 1968}, {16, 123}};
  for (const TLimit& row : kLimits)
    if (row.function == f) return row.limit;
  return 0;
}

constexpr unsigned kMaxByteCount = 250;

void Request(const TFrameIn& in, TFrameCursor& c, unsigned f, std::string& s) {
  const uint16_t address = c.U16Be();
  s += Format(" Адр=%d(%0:.4xh)", {address});
  in.state.modbusRequestAddress = address;
  const unsigned limit = QuantityLimit(f);
  if (!limit) return;
  const unsigned quantity = c.U16Be();
  s += Format(" Счт=%d(%0:.4xh)", {quantity});
  if (quantity == 0) s += "Ошибка(<1)";
  if (quantity > limit) s += Format("Ошибка(>%d)", {limit});
}

void BitsResponse(unsigned start, TFrameCursor& c, unsigned f, std::string& s) {
  unsigned n = c.U8();
  s += Format(" Байтов=%d", {n});
  if (n > kMaxByteCount) {
    s += " Oшибка: >250";
    n = kMaxByteCount;
  }
  s += f == 1 ? " CoilStatus=" : " InputsStatus=";
  for (unsigned i = 1; i <= n; ++i) {
    // An octet carries eight items, the lowest numbered in bit 0.
    const unsigned first = start + 8 * (i - 1) + 1;
    s += Format(" %d-%d:%b", {first + 7, first, c.U8()});
  }
}

void RegistersResponse(unsigned start, TFrameCursor& c, unsigned f, std::string& s) {
  unsigned n = c.U8();
  if (n == 0) s += Format(" Oшибка:нет данных (%d)", {0});
  if (n % 2) s += Format(" Oшибка:нечётная длина данных (%d)", {n});
  if (n > kMaxByteCount) {
    s += Format(" Oшибка:большая длина данных (%d)>250", {n});
    n = kMaxByteCount;
  }
  s += Format(" Регистров=%d", {n / 2});
  s += f == 3 ? " RegisterValue=" : " InputRegisters=";
  for (unsigned i = 1; i <= n / 2; ++i) s += Format(" %d:%.4xh", {start + i, c.U16Be()});
}

void Response(const TFrameIn& in, TFrameCursor& c, unsigned f, std::string& s) {
  const unsigned start = in.state.modbusRequestAddress;
  if (f & 0x80) {
    const uint8_t code = c.U8();
    s += Format(" Код исключения=%d(%s)", {code, ExceptionName(code)});
  } else if (f == 1 || f == 2) {
    BitsResponse(start, c, f, s);
  } else if (f == 3 || f == 4) {
    RegistersResponse(start, c, f, s);
  }
}

}  // namespace

void DecodeModbus(const TFrameIn& in, TDecoded& out) {
  std::string& s = out.text;
  s = in.Arrow();
  // The last two octets are the CRC: fields never run into them.
  TFrameCursor c(in.Data(), in.length);
  const uint8_t slave = c.U8(), f = c.U8();
  s += Format(" КП=%d", {slave});
  s += Format(" Фн=%.2d", {f});
  if (f & 0x80) s += "(Бит ошибки=1)";
  s += Format("(%s)", {FunctionName(f)});
  c.SetLimit(in.length - 2);
  if (in.In())
    Response(in, c, f, s);
  else
    Request(in, c, f, s);
  const uint16_t crc = Crc16Modbus({in.Data(), size_t(in.length)});
  s += Format(" CRC=%4.4xh", {crc});
  s += crc == 0 ? "=OK" : "=Ошибка контрольной суммы";
  out.colour = crc == 0 ? kColourService : kColourError;
}

}  // namespace vlm
