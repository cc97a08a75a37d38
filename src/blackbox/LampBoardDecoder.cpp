// Lamp board frames (protocol code 36): length octet N, N octets, 8-bit sum.
#include "blackbox/BoxDecoder.h"
#include "blackbox/FrameCursor.h"
#include "blackbox/SiriusTables.h"
#include "common/Format.h"

namespace vlm {
namespace {

class TLampBoard {
 public:
  TLampBoard(const TFrameIn& in, TDecoded& out) : in_(in), out_(out), c_(in.Data(), in.length) {}

  void Run() {
    out_.text = in_.Arrow();
    n_ = c_.U8();
    CheckFrame();
    const uint8_t kp = c_.U8();
    out_.text += Format(" КП=%2.2d", {kp & 0x1F});
    if (kp & 0x20) out_.text += "повт";
    const uint8_t f = c_.U8();
    out_.text += Format(" Ф=%2.2xh=%s", {f, SiriusDirFn(in_.record.direction, f).name});
    out_.colour = SiriusBaseFn(f).colour;
    Body(f);
  }

 private:
  // Length and sum errors are only reported: the rest of the frame is still worth reading.
  void CheckFrame() {
    const int l = in_.length;
    if (l != n_ + 2) {
      out_.text += " Ошиб.длины";
      return;
    }
    unsigned sum = 0;
    for (int i = 1; i <= l - 2; ++i) sum += in_.Data()[i];
    const uint8_t received = in_.Data()[l - 1];
    if (uint8_t(sum) != received)
      out_.text += Format(" Ошиб.Контр.Суммы: sum=%2.2xh КС=%2.2xh", {uint8_t(sum), received});
  }

  void Body(uint8_t f) {
    switch (f) {
      case 0x33: return Algorithms();
      case 0x34: return Blink("оконч.проверки");
      case 0x41: return Blink("отмена мигания");
      case 0x42: return Blink("проверка");
      case 0x47: if (in_.In()) Modules(); return;
      case 0x48: return Error();
      case 0xF0: Group(); return Signals(0xF000);
      case 0xF1: Group(); return SignalsIfAny(Mask());
      default: return;
    }
  }

  void Group() {
    group_ = c_.U8();
    out_.text += Format(" Г=%d", {group_});
  }
  unsigned Mask() {
    const unsigned m = c_.U16Be();
    out_.text += Format(" П1_16=%.16b", {m});
    if (m == 0) out_.text += "=Нет достов.групп";
    return m;
  }
  void SignalsIfAny(unsigned mask) {
    if (mask) Signals(mask);
  }
  // Signal octets, one per set mask bit, bounded by the frame's own length octet.
  void Signals(unsigned mask) {
    out_.text += " ТC(Д8_Д1)";
    for (int i = 0; i < 16 && c_.Pos() <= n_; ++i)
      if (mask & (1u << (15 - i))) out_.text += Format(" Г%d=%2.2x", {group_ + i, c_.U8()});
  }

  void Algorithms() {
    out_.text += Format(" Тип=%d", {c_.U8()});
    Group();
    for (int i = 1; i <= 8; ++i) out_.text += Format(" А%d=%2.2xh", {i, c_.U8()});
  }
  void Blink(const char* word) {
    if (n_ == 2) {
      out_.text += Format(" L=2-%s ламп по ОРТАКСу", {word});
    } else if (n_ == 5) {
      Group();
      out_.text += Format(" L=5-%s по задан.группам", {word});
      Mask();
    } else if (n_ >= 6 && n_ <= 22) {
      Group();
      out_.text += Format(" L>5-%s по сигн.в группе", {word});
      SignalsIfAny(Mask());
    } else {
      out_.text += "???";
    }
  }
  void Modules() {
    const uint8_t own = c_.U8();
    out_.text += Format(" Бс=%.2xh=%s", {own, SiriusModuleName(own)});
    for (int i = 1; i <= 8 && c_.Pos() <= n_; ++i) {
      const uint8_t module = c_.U8();
      out_.text += Format(" Б%d=%2.2xh=%s", {i, module, SiriusModuleName(module)});
    }
  }
  void Error() {
    static constexpr const char* kErrors[] = {"Неизв.адр.функции", "Неизв.адр. группы", "Неизв.н-р сигнала",
                                              nullptr, "Ошибка аппаратуры"};
    const uint8_t code = c_.U8();
    const char* name = code < std::size(kErrors) && kErrors[code] ? kErrors[code] : "???";
    out_.text += Format(" Код=%d=%s", {code, name});
  }

  const TFrameIn& in_;
  TDecoded& out_;
  TFrameCursor c_;
  int n_ = 0;
  unsigned group_ = 0;
};

}  // namespace

void DecodeLampBoard(const TFrameIn& in, TDecoded& out) { TLampBoard(in, out).Run(); }

}  // namespace vlm
