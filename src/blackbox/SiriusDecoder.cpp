// SIRIUS frames (protocol codes 2 and 4).
#include <span>

#include "blackbox/BoxDecoder.h"
#include "blackbox/Checksums.h"
#include "blackbox/FrameCursor.h"
#include "blackbox/SiriusTables.h"
#include "common/Format.h"

namespace vlm {
namespace {

constexpr uint8_t kEndByte = 0x20;

class TSirius {
 public:
  TSirius(const TFrameIn& in, TDecoded& out) : in_(in), out_(out), c_(in.Data(), in.length) {}

  void Run() {
    out_.text = in_.Arrow();
    try {
      if (Checks()) Frame();
    } catch (const EFrameTruncated&) {
      out_.text += kTruncatedMark;
      out_.colour = kSiriusColourUndefined;
    }
    out_.text += status_;
  }

 private:
  using TBody = void (TSirius::*)(uint8_t f);
  struct TBodyRow {
    uint8_t code;
    TBody body;
  };

  bool Fail(std::string_view status) {
    status_ += status;
    out_.colour = kSiriusColourUndefined;
    return false;
  }

  // End byte and check character; sets the effective length E (the cursor's limit).
  bool Checks() {
    const int l = in_.length;
    const uint8_t protocol = in_.record.protocol;
    if (l < 2) return Fail(" Ошибка: L<2");
    c_ = TFrameCursor(in_.Data(), l, (protocol & 0x40) ? 1 : 0);
    if (protocol < 0x40 && l > 4) {
      c_.SetLimit(l - 2);
      const uint8_t endByte = in_.Data()[l - 2], received = in_.Data()[l - 1];
      if (endByte != kEndByte) return Fail(Format(" Ошибка: БК<>20h b=%2.2xh", {endByte}));
      status_ = " К+";
      const uint8_t calculated = SiriusCheckOctet({in_.Data(), size_t(l)});
      if (calculated != received) return Fail(Format(" Ошибка: КС=%2.2xh b=%2.2xh", {calculated, received}));
      status_ += "С+";
    } else if (protocol >= 0xC0) {
      c_.SetLimit(l - 2);
    }
    return true;
  }

  void Frame() {
    const uint8_t kp = c_.U8();
    out_.text += Format(" КП%s%2.2d", {(kp & 0x20) ? "#" : "=", kp & 0x1F});
    if ((kp & 0x1F) == 0) {
      Fail(" Ошибка: Номер КП = 0");
      return;
    }
    Function(c_.U8());
  }

  // Name and colour of the direction's table, then the body of the function.
  void Function(uint8_t f, bool withBody = true) {
    const TSiriusFn& fn = SiriusDirFn(in_.record.direction, f);
    out_.text += Format(" Ф=%2.2xh=%s", {f, fn.name});
    out_.colour = fn.colour;
    if (!withBody) return;
    const std::span<const TBodyRow> bodies = in_.In() ? std::span<const TBodyRow>(kFromKp) : kFromPu;
    for (const TBodyRow& row : bodies)
      if (row.code == f) return (this->*row.body)(f);
  }

  bool Code4() const { return in_.record.Code() == 4; }

  void Group() {
    group_ = c_.U8();
    out_.text += Format(" Г=%.3d", {group_});
  }
  unsigned Mask8() {
    const unsigned m = c_.U8();
    out_.text += Format(" П=%.8bb", {m});
    return m;
  }
  unsigned Mask16() {
    const unsigned m = c_.U16Be();
    out_.text += Format(" П=%.16bb", {m});
    return m;
  }
  // 3-byte floating point values in 4-octet slots, one per set bit 7..4 of the mask.
  void Values3(unsigned mask) {
    for (int i = 1; i <= 4; ++i) {
      if (!(mask & (1u << (8 - i)))) continue;
      const uint32_t v = c_.U32Le();
      out_.text += Format(" Д%d=%8.8xh=%.8g", {i, v, SiriusFloat3(v)});
      if (!c_.More()) return;
    }
  }
  // One octet per set bit of a 16-bit mask (first group first), named by group number.
  void GroupOctets(unsigned mask) {
    for (int i = 0; i < 16; ++i)
      if (mask & (1u << (15 - i))) out_.text += Format(" Г%d=%2.2xh", {group_ + i, c_.U8()});
  }
  // Kind octet of the used-flags functions; false when nothing follows or the kind is unknown.
  bool Kind(bool withTskn) {
    const uint8_t k = c_.U8();
    if (!c_.More()) return false;
    const char* name = k == 0x10 ? " ТИ" : k == 0x90 ? " ТС" : (k == 0xF1 && withTskn) ? " ТСКН" : nullptr;
    out_.text += name ? name : " ??";
    return name != nullptr;
  }

  void Ti3(uint8_t) {
    Group();
    if (c_.More()) Values3(0xF0);
  }
  void Ti(uint8_t f) {
    Group();
    if (!c_.More()) return;
    const unsigned mask = f == 0x10 ? 0xFF : Mask8();
    for (int i = 1; i <= 8; ++i) {
      if (!(mask & (1u << (8 - i)))) continue;
      if (!c_.More()) return;
      out_.text += Format(" Д%d=%4.4xh", {i, c_.U16Le()});
    }
    if (Code4()) c_.Skip(2);
  }
  void Config(uint8_t) {
    Mask8();
    for (int i = 1; i <= 8 && c_.More(); ++i) {
      const uint8_t module = c_.U8();
      out_.text += Format(" Б%d=%2.2xh=%s", {i, module, SiriusModuleName(module)});
    }
  }
  void Error(uint8_t) {
    static constexpr const char* kErrors[] = {
        "Несуществующий адрес функции", "Несуществующий адрес группы", "Несуществующий номер сигнала",
        "Несовпадение половин ТУ/ТР", "Ошибка функционирования аппаратуры", "Запрос на технологический блок",
        "Тип блока не найден", "Ошибка в структуре посылки задействованности групп",
        ".......................", "Пpинята посылка $E1 c неизвестным адресом подфункции"};
    const uint8_t code = c_.U8(), address = c_.U8();
    const char* name = code < std::size(kErrors) ? kErrors[code] : "???";
    out_.text += Format(" Код%d=%s. АФ ошибки=%2.2xh", {code, name, address});
  }
  void Ti3Flags(uint8_t) {
    Group();
    if (!c_.More()) return;
    const unsigned mask = Mask8();
    if (c_.More()) Values3(mask);
  }
  void Validity(uint8_t) {
    if (!Kind(true)) return;
    Group();
    for (int i = 0; i < 23 && c_.More(); ++i) out_.text += Format(" Д%d=%bb", {group_ + 8 * i, c_.U8()});
  }
  void Telesignal(uint8_t) {
    Group();
    if (!c_.More()) return;
    if (in_.record.Code() == 2 && c_.Limit() == 3) {
      out_.text += "(НаличиеТС)";
      return;
    }
    const uint8_t v = c_.U8();
    out_.text += Format(" Д1_Д8=%2.2xh=%bb", {v, v});
    if (!Code4()) return;
    const unsigned t = c_.U16Le();
    out_.text += Format(" Т=%4.4xh=%d", {t, t});
    if (t != 0xFFFF) out_.text += FormatDateTime(" (yyyy.mm.dd hh:nn:ss.z)", in_.time - t * 100.0 / kMsPerDay);
  }
  void ControlSignals(uint8_t f) {
    Group();
    if (!c_.More()) return;
    unsigned mask = 0xFFFF;
    if (f == 0xF0 && Code4()) c_.SetLimit(c_.Limit() - 2);
    if (f == 0xF1) {
      mask = Mask16();
      if (!c_.More()) return;
    }
    GroupOctets(mask);
    if (Code4()) c_.Skip(2);
  }
  // A frame of general type carries several functions, each on its own line.
  void General(uint8_t) {
    c_.SetLimit(c_.Limit() - 2);
    while (c_.Pos() + 2 <= c_.Limit()) {
      out_.text += "\r\n        ";
      const uint8_t f = c_.U8();
      // An undefined part (general type included) ends the frame: nothing after it can be
      // trusted to start a function.
      const bool undefined = SiriusDirFn(in_.record.direction, f).colour == kSiriusColourUndefined;
      Function(f, !undefined);
      if (undefined) return;
    }
  }

  void RequestGroup(uint8_t) { Group(); }
  void SetClock(uint8_t) {
    const uint32_t seconds = c_.U32Le();
    if (!c_.More()) return;
    out_.text += Format(" Сек=%d Дни=%d", {seconds, c_.U16Le()});
  }
  void UsedGroups(uint8_t) {
    if (!Kind(false)) return;
    Group();
    for (int i = 1; i <= 23 && c_.More(); ++i) out_.text += Format(" П%d=%bb", {i, c_.U8()});
  }
  void UsedSignals(uint8_t) {
    if (!Kind(false)) return;
    Group();
    if (!c_.More()) return;
    const unsigned mask = Mask16();
    for (int i = 0; i < 16 && c_.More(); ++i)
      if (mask & (1u << (15 - i))) out_.text += Format(" Г%d=%2.2xh", {group_ + i, c_.U8()});
  }
  void Deltas(uint8_t) {
    Group();
    const unsigned mask = Mask8();
    for (int i = 1; i <= 8 && c_.More(); ++i)
      if (mask & (1u << (8 - i))) out_.text += Format(" ДИ%d=%d", {i, c_.U8()});
  }
  void Telecontrol(uint8_t) {
    Group();
    out_.text += Format(" Д8_Д1=%bb", {c_.U8()});
  }
  void ModemTest(uint8_t) {
    static constexpr const char* kTests[] = {"Тест\"0\"", "Тест\"1\"", nullptr, "Меандр"};
    const uint8_t t = c_.U8();
    const char* name = t < std::size(kTests) ? kTests[t] : nullptr;
    out_.text += name ? Format(" Т=%d=%s", {t, name}) : Format(" Т=%d-ошибка", {t});
  }

  static constexpr TBodyRow kFromKp[] = {
      {0x0A, &TSirius::Ti3},         {0x0C, &TSirius::Ti3},           {0x10, &TSirius::Ti},
      {0x20, &TSirius::Ti},          {0x47, &TSirius::Config},        {0x48, &TSirius::Error},
      {0x49, &TSirius::General},     {0x78, &TSirius::Ti3Flags},      {0x7A, &TSirius::Ti3Flags},
      {0x7D, &TSirius::Validity},    {0x90, &TSirius::Telesignal},    {0xF0, &TSirius::ControlSignals},
      {0xF1, &TSirius::ControlSignals},
  };
  static constexpr TBodyRow kFromPu[] = {
      {0x10, &TSirius::RequestGroup}, {0x20, &TSirius::RequestGroup}, {0x90, &TSirius::RequestGroup},
      {0xF0, &TSirius::RequestGroup}, {0xF1, &TSirius::RequestGroup}, {0x31, &TSirius::SetClock},
      {0x43, &TSirius::UsedGroups},   {0x44, &TSirius::UsedSignals},  {0x45, &TSirius::Deltas},
      {0x70, &TSirius::Telecontrol},  {0xE0, &TSirius::Telecontrol},  {0xFE, &TSirius::ModemTest},
  };

  const TFrameIn& in_;
  TDecoded& out_;
  TFrameCursor c_;
  std::string status_;
  unsigned group_ = 0;
};

}  // namespace

void DecodeSirius(const TFrameIn& in, TDecoded& out) { TSirius(in, out).Run(); }

}  // namespace vlm
