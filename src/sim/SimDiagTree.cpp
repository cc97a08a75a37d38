#include "sim/SimDiagTree.h"

#include <cmath>
#include <cstring>
#include <stdexcept>

#include "common/Numbers.h"
#include "common/TextCodec.h"

namespace vlm::sim {

namespace {

// Header layout of a diagnostic object (16 bytes) and its flags.
constexpr uint8_t kMagic = 0x77;
constexpr uint8_t kHint = 0x01, kConst = 0x02, kHelp = 0x40, kChildren = 0x80;
// Tree icons: controller, processor, folder, port linked, port with a lost point, table views.
constexpr uint8_t kIconRoot = 0, kIconCpu = 1, kIconFolder = 2, kIconPortUp = 3, kIconPortDown = 4, kIconTable = 5;

uint16_t Seg(uint32_t p) { return uint16_t(p >> 16); }
uint16_t Off(uint32_t p) { return uint16_t(p); }

std::vector<uint8_t> U16(uint16_t v) { return {uint8_t(v), uint8_t(v >> 8)}; }
std::vector<uint8_t> U32(uint32_t v) { return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}; }
std::vector<uint8_t> F32(float v) {
  const auto b = SingleToBytes(v);
  return {b.begin(), b.end()};
}
std::vector<uint8_t> R48(double v) {
  const auto b = DoubleToReal48(v);
  return {b.begin(), b.end()};
}

}  // namespace

class SimDiagTree::Builder {
 public:
  Builder(SimDiagTree& tree, SimMemory& memory) : tree_(tree), memory_(memory) {}

  uint32_t Alloc(Region& region, size_t size) {
    if (region.offset + size > 0x10000) {
      region.segment = uint16_t(region.segment + 0x1000);
      region.offset = 0;
    }
    if (region.segment > region.last) throw std::logic_error("diagnostic tree does not fit its segments");
    const uint32_t at = uint32_t(region.segment) << 16 | region.offset;
    region.offset += uint32_t(size);
    return at;
  }
  void Put(uint32_t at, const std::vector<uint8_t>& bytes) { memory_.Write(Seg(at), Off(at), bytes); }
  uint32_t Data(const std::vector<uint8_t>& bytes, Region* region = nullptr) {
    const uint32_t at = Alloc(region ? *region : data_, bytes.size());
    Put(at, bytes);
    return at;
  }
  uint32_t Str(const std::string& utf8) {
    const std::string dos = Utf8ToDos(utf8).substr(0, 255);
    std::vector<uint8_t> bytes{uint8_t(dos.size())};
    bytes.insert(bytes.end(), dos.begin(), dos.end());
    return Data(bytes, &strings_);
  }
  uint32_t Obj(uint8_t kind, const std::string& name, uint32_t data, uint8_t flags = 0, uint32_t hintOrHelp = 0,
               uint8_t icon = kIconFolder) {
    const uint32_t at = Alloc(objects_, 16);
    std::vector<uint8_t> h{kMagic, kind};
    for (uint8_t b : U32(name.empty() ? 0 : Str(name))) h.push_back(b);
    for (uint8_t b : U32(data)) h.push_back(b);
    h.push_back(icon);
    h.push_back(flags);
    for (uint8_t b : U32(hintOrHelp)) h.push_back(b);
    Put(at, h);
    ++tree_.objects_;
    return at;
  }
  uint32_t Folder(const std::string& name, const std::vector<uint32_t>& children, uint8_t icon = kIconFolder,
                  uint32_t help = 0) {
    std::vector<uint8_t> array;
    for (uint32_t c : children)
      for (uint8_t b : U32(c)) array.push_back(b);
    const uint32_t pointers = Data(array);
    std::vector<uint8_t> header{0, 0};
    for (uint8_t b : U32(pointers)) header.push_back(b);
    for (uint8_t b : U16(uint16_t(children.size()))) header.push_back(b);
    const uint8_t flags = uint8_t((children.empty() ? 0 : kChildren) | (help ? kHelp : 0));
    return Obj(1, name, Data(header), flags, help, icon);
  }
  uint32_t Heading(const std::string& name) { return Obj(0, name, 0, kConst); }
  uint32_t Const(uint8_t kind, const std::string& name, const std::vector<uint8_t>& value, const std::string& hint = {}) {
    return Obj(kind, name, Data(value), uint8_t(kConst | (hint.empty() ? 0 : kHint)), hint.empty() ? 0 : Str(hint));
  }
  // A value the firmware changes while it runs.
  uint32_t Value(uint8_t kind, const std::string& name, const std::vector<uint8_t>& value, Change change,
                 uint32_t step, const std::string& hint = {}) {
    const uint32_t data = Data(value);
    tree_.live_.push_back({data, change, step});
    lastData = data;
    return Obj(kind, name, data, hint.empty() ? 0 : kHint, hint.empty() ? 0 : Str(hint));
  }
  uint32_t Text(const std::string& name, const std::string& utf8, bool constant = true) {
    const std::string dos = Utf8ToDos(utf8);
    std::vector<uint8_t> bytes{uint8_t(dos.size())};
    bytes.insert(bytes.end(), dos.begin(), dos.end());
    return Obj(9, name, Data(bytes), constant ? kConst : 0);
  }

  uint32_t lastData = 0;
  Region objects_{0x1000, 0x1000};
  Region strings_{0x2000, 0x2000};
  Region data_{0x3000, 0x3000};
  Region tables_{0x4000, 0x5000};

 private:
  SimDiagTree& tree_;
  SimMemory& memory_;
};

void SimDiagTree::Publish(SimMemory& memory) {
  random_.seed(seed_);
  live_.clear();
  portHeaders_.clear();
  portLinks_.clear();
  objects_ = 0;
  ticks_ = 0;
  Builder b(*this, memory);
  using C = Change;

  // The processor: system, network and a few values of every kind the program knows.
  std::vector<uint32_t> cpu{
      b.Heading("Система"),
      b.Text("Версия ПО", "ВЕЛМОР 4.1.9"),
      b.Value(7, "Время работы;4;%u с", U32(0), C::Uptime, 1, "Секунды с последнего сброса"),
      b.Value(2, "Загрузка ЦП;1;%d проц.", {35}, C::Mode, 9),
      b.Value(26, "Температура", F32(41.5f), C::Float, 5, "Температура платы процессора, градусы"),
      b.Value(4, "Напряжение;2;%d В", U16(24), C::Wander16, 1),
      b.Value(2, "Режим;1;%d;стоп;пуск;авария", {1}, C::Flip, 5, "0 - стоп|1 - пуск|2 - авария"),
      b.Const(8, "Коэффициент", R48(1.25), "Коэффициент пересчёта|Real48"),
      b.Value(8, "Средняя нагрузка", R48(0.5), C::Real48, 10),
      b.Value(19, "Флаги", {0x05}, C::Bits, 50),
      b.Value(21, "Батарея", {1}, C::Flip, 2),
      b.Value(22, "Сторожевой таймер", {1}, C::Flip, 1),
      b.Const(2, "Дата сборки;112;%.2d.%.2d.%d", {9, 12, 0xEA, 0x07}),
      b.Value(8, "Ток нагрузки;6;%.3f А", R48(2.5), C::Real48, 20),
      b.Value(5, "Смещение нуля", U16(uint16_t(-12)), C::Wander16, 2),
      b.Value(6, "Счётчик циклов", U32(0), C::Counter32, 1000),
      b.Const(39, "Контрольная сумма", U32(0x5A3C0F01)),
      b.Value(27, "Код состояния", {0x10}, C::Bits, 20),
      b.Value(28, "Маска прерываний", U16(0xB8FC), C::Bits, 10),
      b.Value(3, "Готовность", {1}, C::Flip, 3),
      b.Heading("Сеть"),
      b.Const(18, "IP адрес", U32(0xC0A80201)),
      b.Const(29, "Маска сети", {255, 255, 255, 0}),
      b.Const(29, "Шлюз", {192, 168, 2, 254}),
      b.Value(7, "Принято пакетов", U32(0), C::Counter32, 12),
      b.Value(7, "Передано пакетов", U32(0), C::Counter32, 10),
      b.Value(23, "Буфер приёма", std::vector<uint8_t>(64), C::Block, 0),
  };
  const uint32_t screen = b.Data(std::vector<uint8_t>(32, ' '));
  live_.push_back({screen, C::Clock, 0});
  cpu.push_back(b.Obj(36, "Строка экрана", b.Data(U32(screen))));
  cpu.push_back(b.Obj(77, "Служебный объект", b.Data({0})));

  // Ports with their counters and settings, each with remote points and their link state.
  static const char* const kProtocols[] = {"МЭК 101", "МЭК 104", "Modbus RTU", "СИРИУС", "ГРАНИТ", "МКТ-3", "Лисна", "ТК РЭС"};
  for (int port = 1; port <= 8; ++port) {
    std::vector<uint32_t> rows{
        b.Heading("Счётчики"),
        b.Value(7, "Принято", U32(0), C::Counter32, 40),
        b.Value(7, "Передано", U32(0), C::Counter32, 30),
        b.Value(4, "Ошибок CRC", U16(0), C::Counter16, port == 3 ? 3 : 0),
        b.Value(4, "Тайм-аутов", U16(0), C::Counter16, port % 4 == 0 ? 1 : 0),
        b.Heading("Настройки"),
        b.Const(7, "Скорость;4;%u бод", U32(port <= 4 ? 9600 : 19200)),
        b.Text("Протокол", kProtocols[port - 1]),
        b.Obj(2, "Адрес", b.Data({uint8_t(port)})),
        b.Obj(4, "Пауза;2;%d мс", b.Data(U16(uint16_t(50 * port)))),
        b.Value(2, "Состояние;1;%d;откл;ожидание;обмен;ошибка", {2}, C::Mode, 3),
    };
    std::vector<uint32_t> points;
    for (int kp = 1; kp <= 4; ++kp) {
      const uint32_t link = b.Value(21, "Связь", {1}, C::Flip, port == 5 ? 40 : 4);
      portLinks_.push_back(b.lastData);
      points.push_back(b.Folder(
          "КП " + std::to_string(kp),
          {link, b.Value(7, "Опросов", U32(0), C::Counter32, 5), b.Value(7, "Ответов", U32(0), C::Counter32, 5),
           b.Const(2, "Адрес КП", {uint8_t(kp)}), b.Value(2, "Качество;1;%d проц.", {100}, C::Mode, 2)},
          kIconFolder));
    }
    std::vector<uint32_t> children = points;
    children.insert(children.end(), rows.begin(), rows.end());
    const uint32_t portObj = b.Folder("Порт " + std::to_string(port), children, kIconPortUp, uint32_t(550 + port));
    portHeaders_.push_back(portObj);
  }

  // The IEC 104 tables: TI, TS and the tablo, each behind its view object.
  std::vector<uint8_t> ti;
  for (size_t i = 0; i < kTiRecords; ++i) {
    std::vector<uint8_t> r(32);
    r[0] = uint8_t(1 + i / 100), r[1] = uint8_t(1 + i / 25 % 4), r[2] = uint8_t(1 + i / 10 % 3), r[3] = uint8_t(1 + i % 10);
    r[4] = 13;
    std::memcpy(&r[5], F32(0.0f).data(), 4);
    std::memcpy(&r[9], F32(0.1f).data(), 4);
    PutU16(&r[13], uint16_t(100 + i));
    PutU32(&r[15], uint32_t(i * 37));
    std::memcpy(&r[21], F32(float(i * 37) * 0.1f).data(), 4);
    ti.insert(ti.end(), r.begin(), r.end());
  }
  tiRecords_ = b.Data(ti, &b.tables_);
  std::vector<uint8_t> ts;
  for (size_t i = 0; i < kTsRecords; ++i) {
    std::vector<uint8_t> r(18);
    r[0] = uint8_t(1 + i / 100), r[1] = uint8_t(1 + i / 20 % 5), r[2] = uint8_t(1 + i / 10 % 2), r[3] = uint8_t(1 + i % 10);
    PutU16(&r[4], uint16_t(1000 + i));
    r[6] = uint8_t(i % 3 == 0);
    ts.insert(ts.end(), r.begin(), r.end());
  }
  tsRecords_ = b.Data(ts, &b.tables_);
  std::vector<uint8_t> tablo;
  for (size_t i = 0; i < kTabloRecords; ++i) {
    const uint8_t kp = uint8_t(1 + i / 12), group = uint8_t(1 + i / 4 % 3), parameter = uint8_t(1 + i % 4);
    std::vector<uint8_t> r{uint8_t(1 + i / 100), uint8_t(kp), 1, uint8_t(1 + i % 8), uint8_t(1 << (i % 8)),
                           uint8_t(i % 7 == 0), kp, group, parameter, 0, uint8_t(i % 2)};
    tablo.insert(tablo.end(), r.begin(), r.end());
  }
  tabloRecords_ = b.Data(tablo, &b.tables_);
  auto tableHeader = [&](uint32_t records, size_t count) {
    std::vector<uint8_t> h{0};
    for (uint8_t x : U32(records)) h.push_back(x);
    for (uint8_t x : U16(uint16_t(count))) h.push_back(x);
    return b.Data(h);
  };
  std::vector<uint8_t> tabloHeader = U16(uint16_t(kTabloRecords));
  for (uint8_t x : U32(tabloRecords_)) tabloHeader.push_back(x);
  const uint32_t tables = b.Folder("Таблицы МЭК 104",
                                   {b.Obj(43, "ТИ", tableHeader(tiRecords_, kTiRecords), 0, 0, kIconTable),
                                    b.Obj(44, "ТС", tableHeader(tsRecords_, kTsRecords), 0, 0, kIconTable),
                                    b.Obj(42, "Табло", b.Data(tabloHeader), 0, 0, kIconTable)});

  std::vector<uint32_t> cpuChildren = portHeaders_;
  cpuChildren.push_back(tables);
  // The signal the oscilloscope streams; its data byte is the channel the stream command asks for.
  cpuChildren.push_back(b.Obj(40, "Осциллограф", b.Data({1}), 0, 0, kIconTable));
  cpuChildren.insert(cpuChildren.end(), cpu.begin(), cpu.end());
  const uint32_t processor = b.Folder("Процессор", cpuChildren, kIconCpu, 541);

  // Parameters of the application: many measured values (a folder big enough for the progress
  // bar), discrete signals and settings with hints.
  std::vector<uint32_t> analog{b.Heading("Аналоговые входы")};
  for (int i = 1; i <= 240; ++i)
    analog.push_back(b.Value(26, "AI " + std::to_string(i) + ";4;%.2f\tмА", F32(4.0f + float(i % 16)), C::Float, 3));
  std::vector<uint32_t> discrete{b.Heading("Дискретные входы")};
  for (int i = 1; i <= 64; ++i) {
    const uint8_t kind = i % 3 == 0 ? 3 : i % 3 == 1 ? 21 : 22;
    discrete.push_back(b.Value(kind, "DI " + std::to_string(i), {uint8_t(i % 2)}, C::Flip, 8));
  }
  std::vector<uint32_t> settings{b.Heading("Уставки")};
  for (int i = 1; i <= 40; ++i)
    settings.push_back(b.Const(4, "Уставка " + std::to_string(i) + ";2;%d", U16(uint16_t(i * 25)),
                               "Уставка " + std::to_string(i) + "|задаётся в конфигурации"));
  const uint32_t parameters = b.Folder("Параметры", {b.Folder("Аналоговые", analog, kIconFolder, 561),
                                                     b.Folder("Дискретные", discrete), b.Folder("Уставки", settings)});

  root_ = b.Folder("Контроллер ВЕЛМОР", {processor, parameters}, kIconRoot, 540);
  memory.Write(0, 0x0208, U32(root_));
}

void SimDiagTree::Tick(SimMemory& memory) {
  ++ticks_;
  auto read = [&memory](uint32_t at, size_t n) {
    std::vector<uint8_t> v(n);
    memory.Read(Seg(at), Off(at), v);
    return v;
  };
  auto write = [&memory](uint32_t at, const std::vector<uint8_t>& v) { memory.Write(Seg(at), Off(at), v); };
  for (const Live& live : live_) {
    const uint64_t r = random_();  // one draw per value and tick, whatever it does with it
    const uint32_t low = uint32_t(r), high = uint32_t(r >> 32);
    switch (live.change) {
      case Change::Counter32:
        if (live.step) write(live.data, U32(GetU32(read(live.data, 4).data()) + low % (live.step + 1)));
        break;
      case Change::Counter16:
        if (live.step && high % 4 == 0) write(live.data, U16(uint16_t(GetU16(read(live.data, 2).data()) + low % (live.step + 1))));
        break;
      case Change::Wander16:
        write(live.data, U16(uint16_t(GetU16(read(live.data, 2).data()) + int(low % (2 * live.step + 1)) - int(live.step))));
        break;
      case Change::Float: {
        const auto v = read(live.data, 4);
        const float f = SingleFromBytes(std::span<const uint8_t, 4>(v.data(), 4));
        write(live.data, F32(std::round((f + (float(low % 201) - 100.0f) * float(live.step) / 1000.0f) * 100.0f) / 100.0f));
        break;
      }
      case Change::Real48: {
        const auto v = read(live.data, 6);
        const double d = Real48ToDouble(std::span<const uint8_t, 6>(v.data(), 6));
        write(live.data, R48(std::max(0.0, d + (double(low % 201) - 100.0) * live.step / 10000.0)));
        break;
      }
      case Change::Flip:
        if (low % 1000 < live.step) write(live.data, {uint8_t(read(live.data, 1)[0] == 1 ? 0 : 1)});
        break;
      case Change::Mode:
        if (low % 100 < live.step) write(live.data, {uint8_t(read(live.data, 1)[0] + (high % 2 ? 1 : -1))});
        break;
      case Change::Bits:
        if (low % 1000 < live.step) write(live.data, {uint8_t(read(live.data, 1)[0] ^ (1u << high % 8))});
        break;
      case Change::Block: {
        auto v = read(live.data, 64);
        v[low % 64] = uint8_t(high);
        write(live.data, v);
        break;
      }
      case Change::Clock: {
        char text[33];
        std::snprintf(text, sizeof text, "Tick %-8u up %02u:%02u:%02u    ", ticks_, ticks_ / 18000 % 24,
                      ticks_ / 300 % 60, ticks_ / 5 % 60);
        write(live.data, std::vector<uint8_t>(text, text + 32));
        break;
      }
      case Change::Uptime:
        if (ticks_ % (1000 / kTickMs) == 0) write(live.data, U32(GetU32(read(live.data, 4).data()) + 1));
        break;
    }
  }
  // A port's icon shows whether all its points answer.
  for (size_t p = 0; p < portHeaders_.size(); ++p) {
    bool up = true;
    for (size_t k = 0; k < 4; ++k) up = up && read(portLinks_[4 * p + k], 1)[0] != 0;
    write(portHeaders_[p] + 10, {up ? kIconPortUp : kIconPortDown});
  }
  // Tables: new data on some TI, telesignals flipping, tablo lamps following them.
  for (size_t i = 0; i < kTiRecords; ++i) {
    const uint64_t r = random_();
    if (r % 10 != 0) continue;
    const uint32_t at = tiRecords_ + uint32_t(32 * i);
    auto rec = read(at, 32);
    PutU16(&rec[19], uint16_t(GetU16(&rec[19]) + 1));
    if ((r >> 8) % 3 == 0) {
      const uint32_t raw = GetU32(&rec[15]) + uint32_t((r >> 16) % 21) - 10;
      PutU32(&rec[15], raw);
      std::memcpy(&rec[21], F32(float(int32_t(raw)) * 0.1f).data(), 4);
    }
    write(at, rec);
  }
  for (size_t i = 0; i < kTsRecords; ++i) {
    const uint64_t r = random_();
    const uint32_t at = tsRecords_ + uint32_t(18 * i);
    auto rec = read(at, 18);
    if (r % 50 == 0) {
      rec[6] = rec[6] ? 0 : 1;
      PutU16(&rec[9], uint16_t(GetU16(&rec[9]) + 1));
    }
    if ((r >> 8) % 20 == 0) PutU16(&rec[11], uint16_t(GetU16(&rec[11]) + 1));
    write(at, rec);
  }
  for (size_t i = 0; i < kTabloRecords; ++i) {
    const uint64_t r = random_();
    if (r % 40 == 0) {
      const uint32_t at = tabloRecords_ + uint32_t(11 * i + 10);
      write(at, {uint8_t(read(at, 1)[0] ? 0 : 1)});
    }
  }
}

}  // namespace vlm::sim
