// IEC 60870-5-101 (FT1.2), IEC 60870-5-104 APCI and the APCI with a private ASDU head.
#include "blackbox/BoxDecoder.h"
#include "blackbox/FrameCursor.h"
#include "blackbox/IecAsdu.h"
#include "blackbox/IecTables.h"
#include "common/Format.h"

namespace vlm {
namespace {

using iec::TIecLayout;

// The port's field lengths travel in the record's parameter byte, two bits per field.
bool LayoutFromParam(uint8_t param, TIecLayout& layout, TDecoded& out) {
  struct TLengthRule {
    int shift;
    int maxLength;
    const char* error;
  };
  static constexpr TLengthRule kRules[] = {
      {0, 2, "   Длина Адресного поля канального уровня=%d-ошибка, должна быть 1 или 2"},
      {2, 2, "   Длина поля Причина передачи=%d-ошибка, должна быть 1 или 2"},
      {4, 2, "   Длина поля Общий адрес ASDU=%d-ошибка, должна быть 1 или 2"},
      {6, 3, "   Длина поля Адрес объекта информации=%d-ошибка, должна быть 1 или 2 или 3"},
  };
  int* fields[] = {&layout.linkAddress, &layout.cause, &layout.commonAddress, &layout.objectAddress};
  for (size_t i = 0; i < 4; ++i) {
    const int length = (param >> kRules[i].shift) & 3;
    if (length < 1 || length > kRules[i].maxLength) {
      out.text += Format(kRules[i].error, {length});
      out.colour = kColourError;
      return false;
    }
    *fields[i] = length;
  }
  return true;
}

// Control field and link address of an FT1.2 frame; the direction arrow leads the control text.
uint8_t ControlAndAddress(const TFrameIn& in, TFrameCursor& c, const TIecLayout& layout, TDecoded& out) {
  const uint8_t control = c.U8();
  const unsigned function = control & 0x0F;
  const iec::TNamedColour fn = iec::LinkFunction(in.In(), function);
  const char* format = in.In() ? "-> C=%2.2xh:PRM=%d,ACD=%d,DFC=%d,Fn=%2.2d=%s"
                               : "<- C=%2.2xh:PRM=%d,FCB=%d,FCV=%d,Fn=%2.2d=%s";
  out.text += Format(format, {control, (control >> 6) & 1, (control >> 5) & 1, (control >> 4) & 1,
                              function, fn.name});
  const uint32_t address = c.Field(layout.linkAddress);
  out.text += Format(layout.linkAddress == 1 ? " A=%2.2xh=%d" : " A=%4.4xh=%d", {address, address});
  return fn.colour;
}

void SingleCharacter(const TFrameIn& in, TDecoded& out, const char* text, uint8_t colour) {
  out.text += text;
  out.colour = colour;
  if (in.length > 1) out.text += Format(" Длина=%d-ошибка, должна быть 1", {in.length});
}

// APCI start octet and APDU length; false when the frame cannot be an APDU.
bool ApciStart(const TFrameIn& in, TFrameCursor& c, TDecoded& out) {
  out.text = in.Arrow();
  const uint8_t start = c.U8();
  out.text += Format(" Start=%2.2xh", {start});
  if (start != 0x68) {
    out.text += "-ошибка";
    out.colour = kColourError;
    return false;
  }
  const uint8_t length = c.U8();
  out.text += Format(" APDULen=%d", {length});
  if (length >= 254) {
    out.text += "-ошибка";
    out.colour = kColourError;
    return false;
  }
  return true;
}

constexpr TIecLayout k104Layout{1, 2, 2, 3};

}  // namespace

void Decode101(const TFrameIn& in, TDecoded& out) {
  TIecLayout layout;
  if (!LayoutFromParam(in.record.param, layout, out)) return;
  TFrameCursor c(in.Data(), in.length);
  const uint8_t start = c.U8();
  switch (start) {
    case 0x10:
      out.colour = ControlAndAddress(in, c, layout, out);
      return;
    case 0x68:
      c.Skip(3);  // L, L, 68h
      ControlAndAddress(in, c, layout, out);
      iec::DecodeAsdu(c, layout, out);
      return;
    case 0xE5:
      SingleCharacter(in, out, "   E5h-Подтверждение", 47);
      return;
    case 0xA2:
      SingleCharacter(in, out, "   A2h-Неподтверждение", kColourError);
      return;
    default:
      out.text += Format("   Start=%2.2xh-ошибка, должен быть E5h или A2h или 10h или 68h", {start});
      out.colour = kColourError;
  }
}

void Decode104(const TFrameIn& in, TDecoded& out) {
  TFrameCursor c(in.Data(), in.length);
  if (!ApciStart(in, c, out)) return;
  const uint16_t first = c.U16Le(), second = c.U16Le();
  if ((first & 1) == 0) {
    out.text += Format(" IFrame NSend=%d NRecv=%d", {first >> 1, second >> 1});
    iec::DecodeAsdu(c, k104Layout, out);
    return;
  }
  out.colour = kColourService;
  if ((first & 3) == 1) {
    out.text += Format("  SFrame NRecv=%d", {second >> 1});
    return;
  }
  struct TUFunction {
    uint8_t code;
    const char* name;
  };
  static constexpr TUFunction kUFunctions[] = {{0x04, " STARTDT_act"}, {0x08, " STARTDT_con"},
                                               {0x10, " STOPDT_act"},  {0x20, " STOPDT_con"},
                                               {0x40, " TESTFR_act"},  {0x80, " TESTFR_con"}};
  out.text += "  UFrame";
  for (const TUFunction& u : kUFunctions)
    if ((first & 0xFC) == u.code) out.text += u.name;
}

void DecodeApciPrivate(const TFrameIn& in, TDecoded& out) {
  TFrameCursor c(in.Data(), in.length);
  if (!ApciStart(in, c, out)) return;
  const uint16_t first = c.U16Le(), second = c.U16Le();
  out.text += Format(" NSend=%d NRecv=%d", {first >> 1, second >> 1});
  out.colour = kColourService;
  if (in.length == 6) return;
  const uint8_t refs = c.U8();
  const uint16_t number = c.U16Le(), moment = c.U16Le();
  const uint8_t length = c.U8();
  if (length == 0) return;
  out.text += Format(" Refs=%d Num=%d Mom=%d Len=%d", {refs, number, moment, length});
  iec::DecodeAsdu(c, k104Layout, out);
}

}  // namespace vlm
