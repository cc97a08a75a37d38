// Every remote point kind: its item table in write order and its menu action.
#include <array>

#include "model/Kinds.h"
#include "ports/KindList.h"
#include "ports/KindRegistration.h"
#include "ports/PointKind.h"
#include "ports/VLM_PointModem.h"

namespace vlm {
namespace {

using M = TMarker;
constexpr const char* kModulation = "Частотная=4|Фазовая=8";
constexpr const char* kFreq0 = "Частота сигнала \"0\", Гц";
constexpr const char* kFreq1 = "Частота сигнала \"1\", Гц";
constexpr const char* kPlace = "Место установки";

// ---- modem points with TI groups --------------------------------------------------------------
constexpr TItemDef kSiriusItems[] = {
    Mark(M::Version),
    Num(111, 1, 1, 0, 255, "Адрес пункта", "SpinEditNumber"),
    Text(149, kPlace),
    Pick(151, 0, "Одиночный КП=0|Станция КП=1", "Тип КП", "RadioGroupKind"),
    Pick(112, 2, "\"Сириус\"=2|\"Виконт\"=4", "Протокол связи", "RadioGroupProtocol"),
    Pick(113, 4, kModulation, "Вид модуляции", "RadioGroupModulation"),
    Scaled(Num(6, 2, 100, 100, 9600, "Скорость, бит/с", "SpinEditSpeed"), 1, 100),
    Num(115, 2, 2571, 0, 0, kFreq0, "SpinEditF0"),
    Num(116, 2, 2717, 0, 0, kFreq1, "SpinEditF1"),
    Num(210, 2, 0, 0, 0, "Частота приема \"0\", Гц", "SpinEditRF0"),
    Num(211, 2, 0, 0, 0, "Частота приема \"1\", Гц", "SpinEditRF1"),
    Num(117, 1, 20, 0, 255, "Уровень отсечки шумов, мВ", "SpinEditNoise"),
    Flag(114, 0, "Режим постоянной передачи", "CheckBoxContinuous"),
    Num(118, 1, 3, 1, 100, "Число попыток обмена", "SpinEditAttempts"),
    Num(119, 2, 100, 1, 65500, "Длительность стартовой последовательности, мс", "SpinEditTStart"),
    Num(120, 1, 0, 0, 255, "Задержка выключения передатчика, мс", "SpinEditTOff"),
    Num(121, 2, 2000, 1, 65500, "Время ожидания ответа, мс", "SpinEditAnswer"),
    Num(122, 2, 3000, 1, 65500, "Время ожидания квитанции ТУ/ТР, мс", "SpinEditTUWait"),
    Num(123, 1, 255, 0, 255, "Число групп ТС", "SpinEditTSGroups"),
    Mark(M::GroupCount),
    Num(125, 1, 255),
    Pick(126, 1, "Исчерпание заданного числа попыток обмена=1|Истечение=2", "Критерий потери связи",
         "RadioGroupLinkLoss"),
    Scaled(Num(127, 2, 5000, 0, 30000, "мс", "SpinEditLinkLoss"), 1, 1000),
    Num(152, 2, 10000, 1, 65500, "Задержка запроса ОБД при восстановлении связи, мс", "SpinEditOBD"),
    Num(191, 2, 250, 1, 1000, "Пауза между половинами команды ТУ, мс", "SpinEditTUPause"),
    Flag(192, 1, "Постоянная передача между половинами команды ТУ", "CheckBoxTUContinuous"),
    Flag(193, 0, "Контрольная сумма в командах ТУ", "CheckBoxTUCrc"),
    Flag(197, 0, "Выдавать на КП контрольные запросы", "CheckBoxControl"),
    Num(198, 4, 60000, 60000, 3600000, "Период контрольных запросов, мс", "SpinEditControlPeriod"),
    Flag(214, 0, "Настройка групп сигналов и измерений", "CheckBoxGroupTuning"),
    Num(218, 1, 240, 0, 255, "Функция контрольного запроса", "SpinEditControlFunc"),
    Mark(M::Groups),
};
// The ТМ-120 record is the СИРИУС record with its own protocol code and fewer TS groups.
constexpr auto kTm120Items = [] {
  std::array<TItemDef, std::size(kSiriusItems)> items{};
  for (size_t i = 0; i < items.size(); ++i) {
    items[i] = kSiriusItems[i];
    if (items[i].IsMarker()) continue;
    if (items[i].id == 112) items[i] = Num(112, 1, 1);
    if (items[i].id == 123) items[i].max = 6;
  }
  return items;
}();
constexpr TItemDef k101Items[] = {
    Mark(M::Version),
    Num(111, 1, 1, 0, 255, "Адрес пункта", "SpinEditNumber"),
    Text(149, kPlace),
    Pick(113, 4, kModulation, "Вид модуляции", "RadioGroupModulation"),
    Scaled(Num(6, 2, 200, 0, 0, "Скорость, бит/с", "SpinEditSpeed"), 1, 100),
    Num(115, 2, 2571, 0, 0, kFreq0, "SpinEditF0"),
    Num(116, 2, 2717, 0, 0, kFreq1, "SpinEditF1"),
    Num(117, 1, 20, 0, 255, "Уровень отсечки шумов, мВ", "SpinEditNoise"),
    Flag(114, 0, "Режим постоянной передачи", "CheckBoxContinuous"),
    Num(119, 2, 100, 1, 65500, "Длительность стартовой последовательности, мс", "SpinEditTStart"),
    Num(120, 1, 0, 0, 255, "Задержка выключения передатчика, мс", "SpinEditTOff"),
    Num(123, 1, 255, 0, 255, "Число групп ТС", "SpinEditTSGroups"),
    Mark(M::GroupCount),
    Num(125, 1, 255),
    Num(156, 1, 251, 10, 251, "Максимальная длина кадра L, байт", "SpinEditL"),
    Num(157, 1, 1, 1, 2, "Длина поля адреса канального уровня, байт", "SpinEditLinkAddr"),
    Num(121, 2, 300, 1, 65500, "Интервал повтора To, мс", "SpinEditTo"),
    Num(158, 2, 1000, 1, 65500, "Время, в течение которого разрешены повторы Trp, мс", "SpinEditTrp"),
    Num(118, 1, 3, 1, 100, "Число попыток обмена (первичный запрос + повторы)", "SpinEditAttempts"),
    Num(159, 1, 1, 1, 2, "Длина общего адреса ASDU, байт", "SpinEditASDU"),
    Num(160, 1, 1, 1, 2, "Длина причины передачи, байт", "SpinEditCOT"),
    Num(161, 1, 2, 1, 3, "Длина адреса объекта информации, байт", "SpinEditIOA"),
    Mark(M::Groups),
};
constexpr TItemDef kTkrItems[] = {
    Mark(M::Version),
    Num(183, 1, 1, 1, 255, "Номер телекомплекса", "SpinEditComplex"),
    Num(111, 1, 1, 1, 30, "Номер КП", "SpinEditNumber"),
    Text(149, kPlace),
    Pick(151, 1, "КП-1=1|КП-2=2|Имитатор=3", "Тип КП", "RadioGroupKind"),
    Num(112, 1, 13),
    Pick(113, 4, "Частотная=4", "Вид модуляции", "RadioGroupModulation"),
    Scaled(Num(6, 2, 100, 0, 0, "Скорость, бит/с", "SpinEditSpeed"), 1, 100),
    Num(115, 2, 2900, 0, 0, kFreq0, "SpinEditF0"),
    Num(116, 2, 3100, 0, 0, kFreq1, "SpinEditF1"),
    Num(117, 1, 20, 0, 255, "Уровень отсечки шумов, мВ", "SpinEditNoise"),
    Flag(114, 0, "Режим постоянной передачи", "CheckBoxContinuous"),
    Num(118, 1, 5, 1, 100, "Число попыток обмена", "SpinEditAttempts"),
    Num(119, 2, 0, 0, 65500, "Длительность стартовой последовательности, мс", "SpinEditTStart"),
    Num(120, 1, 0, 0, 255, "Задержка выключения передатчика, мс", "SpinEditTOff"),
    Num(121, 2, 1000, 1, 65500, "Время ожидания ответа, мс", "SpinEditAnswer"),
    Num(123, 1, 255, 0, 255, "Число групп ТС", "SpinEditTSGroups"),
    Mark(M::GroupCount),
    Num(125, 1, 255),
    Pick(126, 1, "Исчерпание заданного числа попыток обмена=1|Истечение=2", "Критерий потери связи",
         "RadioGroupLinkLoss"),
    Scaled(Num(127, 2, 5000, 0, 30000, "мс", "SpinEditLinkLoss"), 1, 1000),
    Mark(M::Groups),
};
constexpr TItemDef kGranitItems[] = {
    Mark(M::Version),
    Num(111, 1, 1, 0, 255, "Адрес пункта", "SpinEditNumber"),
    Text256(149, kPlace),
    Num(112, 1, 16),
    Num(113, 1, 4),
    Scaled(Num(6, 2, 100, 0, 0, "Скорость, бит/с", "SpinEditSpeed"), 1, 100),
    Num(115, 2, 2571, 0, 0, kFreq0, "SpinEditF0"),
    Num(116, 2, 2717, 0, 0, kFreq1, "SpinEditF1"),
    Num(185, 1, 1, 0, 3, "Отвечать квитанцией на ТС, ТИ | Магистральный режим", "CheckBoxFlags"),
    Num(117, 1, 10, 0, 255, "Уровень отсечки шумов, мВ", "SpinEditNoise"),
    Flag(114, 0, "Режим постоянной передачи", "CheckBoxContinuous"),
    Num(118, 1, 3, 0, 100, "Число попыток обмена", "SpinEditAttempts"),
    Num(119, 2, 10, 1, 65500, "Длительность стартовой последовательности, мс", "SpinEditTStart"),
    Num(121, 2, 3000, 1, 65500, "Время ожидания ответа, мс", "SpinEditAnswer"),
    Num(122, 2, 3000, 1, 65500, "Время ожидания готовности к приему новой информации, мс", "SpinEditTUWait"),
    Num(123, 1, 0),
    Num(124, 1, 0),
    Num(125, 1, 64),
};

// ---- network points ---------------------------------------------------------------------------
constexpr TItemDef kPceItems[] = {
    Mark(M::Version),
    Flag(196, 1, "Использовать эту ЭВМ в работе", "CheckBoxUse"),
    Num(111, 1, 1, 1, 63, "Адрес пункта", "SpinEditNumber"),
    Text(149, kPlace),
    Ip(1, "IP адрес", "SpinEditIP"),
};
constexpr TItemDef k104Items[] = {
    Mark(M::Version),
    Num(111, 1, 1, 1, 63, "Адрес пункта", "SpinEditNumber"),
    Text(149, kPlace),
    Num(180, 2, 2404, 0, 65535, "TCP-порт КП", "SpinEditPort"),
    Ip(1, "IP адрес КП", "SpinEditIP"),
    Ip(187, "IP адрес шлюза", "SpinEditGateway"),
    Scaled(Num(164, 2, 30000, 0, 65000, "t0, с", "SpinEditT0"), 1000),
    Scaled(Num(165, 2, 15000, 0, 65000, "t1, с", "SpinEditT1"), 1000),
    Scaled(Num(166, 2, 10000, 0, 65000, "t2, с", "SpinEditT2"), 1000),
    Scaled(Num(167, 2, 20000, 0, 65000, "t3, с", "SpinEditT3"), 1000),
    Num(168, 2, 12, 0, 255, "k", "SpinEditK"),
    Num(169, 2, 8, 0, 255, "w", "SpinEditW"),
    Num(179, 1, 1, 1, 8, "Число объектов информации в одном блоке данных (ASDU)", "SpinEditC"),
};
constexpr TItemDef kPc4Items[] = {
    Mark(M::Version),
    Flag(196, 1, "Использовать эту ЭВМ в работе", "CheckBoxUse"),
    Num(111, 1, 1, 1, 63, "Адрес пункта", "SpinEditNumber"),
    Text(149, kPlace),
    Ip(1, "IP адрес", "SpinEditIP"),
    Scaled(Num(164, 2, 30000, 0, 65000, "t0, с", "SpinEditT0"), 1000),
    Scaled(Num(165, 2, 15000, 0, 65000, "t1, с", "SpinEditT1"), 1000),
    Scaled(Num(166, 2, 10000, 0, 65000, "t2, с", "SpinEditT2"), 1000),
    Scaled(Num(167, 2, 20000, 0, 65000, "t3, с", "SpinEditT3"), 1000),
    Num(168, 2, 12, 0, 32, "k", "SpinEditK"),
    Num(169, 2, 8, 0, 255, "w", "SpinEditW"),
    Num(179, 1, 8, 1, 8,
        "Число объектов информации в одном блоке данных (ASDU) от контроллера, 1...8 (стандартно 1)",
        "SpinEditC"),
    Num(201, 2, 0, 0, 65534, "Общий адрес ASDU", "SpinEditTiASDU"),
    Num(203, 2, 16384, 0, 65535, "Базовый адрес объектов", "SpinEditTiObjBase"),
    Mark(M::RowCount, 0),
    Flag(199, 0, "Переадресация", "CheckBoxTiReaddr"),
    Flag(220, 1, "Дополнение", "CheckBoxTiAppend"),
    Mark(M::RowData, 0),
    Num(202, 2, 0, 0, 65534, "Общий адрес ASDU", "SpinEditTsASDU"),
    Num(204, 2, 8192, 0, 65535, "Базовый адрес объектов", "SpinEditTsObjBase"),
    Mark(M::RowCount, 1),
    Flag(200, 0, "Включить переадресацию", "CheckBoxTsReaddr"),
    Mark(M::RowData, 1),
};
constexpr TSortByte kKey4[] = {{0}, {1}, {2}, {3}};
constexpr TRowTableDef kPc4Tables[] = {
    {"Таблица переадресации ТИ", 131, 2, 139, 15, 256, kKey4},
    {"Таблица переадресации ТС", 132, 2, 138, 6, 256, kKey4},
};
constexpr TItemDef kVlmItems[] = {
    Mark(M::Version),
    Num(111, 1, 1, 1, 1, "Адрес пункта", "SpinEditNumber"),
    Text(149, kPlace),
    Num(181, 2, 8270, 0, 65535, "UDP-порт", "SpinEditPort"),
    Ip(1, "IP адрес", "SpinEditIP"),
};
constexpr TItemDef kModbusItems[] = {
    Mark(M::Version),
    Flag(196, 1, "Использовать это Устройство в работе", "CheckBoxUse"),
    ZeroReport(Num(111, 1, 1, 1, 247, "Адрес Устройства", "SpinEditN"), "\rНе настроен адрес RTU"),
    Text(149, kPlace),
    Num(118, 1, 3, 1, 100, "Число попыток обмена с RTU (первичный запрос + повторы)", "SpinEditAttempts"),
    Num(121, 2, 500, 1, 65500, "Время ожидания ответа после выдачи запроса, мс", "SpinEditAnswer"),
    Mark(M::RowCount, 0), Mark(M::RowData, 0), Mark(M::RowCount, 1), Mark(M::RowData, 1),
};
constexpr TRowTableDef kModbusTables[] = {
    {"Таблица адресации ТС", 132, 2, 205, 5, 8001, {}},
    {"Таблица адресации ТИ", 131, 2, 206, 13, 4001, {}},
};

// ---- Лисна points -----------------------------------------------------------------------------
constexpr TItemDef kLisnaCItems[] = {
    Flag(196, 1, "Использовать этот КП в работе", "CheckBoxUse"),
    Mark(M::Version),
    Num(111, 1, 1, 0, 255, "Адрес Контролируемого Пункта", "SpinEditNumber"),
    Text(149, kPlace),
};
constexpr TItemDef kLisnaMItems[] = {
    Flag(196, 1, "Использовать этот КП в работе", "CheckBoxUse"),
    Mark(M::Version),
    Num(111, 1, 1, 0, 31, "Адрес Контролируемого Пункта", "SpinEditNumber"),
    Text(149, kPlace),
    Num(195, 2, 0, 0, 3836, "Код запроса", "SpinEditCode"),
};
constexpr TItemDef kLisnaVItems[] = {
    Flag(196, 1, "Использовать этот КП в работе", "CheckBoxUse"),
    Mark(M::Version),
    Num(111, 1, 1, 0, 255, "Адрес Контролируемого Пункта", "SpinEditNumber"),
    Text(149, kPlace),
    Num(188, 2, 0, 0, 10000, "Задержка включения приемника, мс", "SpinEditRxDelay"),
};

// What "В шаблон КП" copies: every setting except the number, the place and the groups.
constexpr uint8_t kSiriusTemplate[] = {151, 112, 113, 6,   115, 116, 210, 211, 117, 114, 118,
                                       119, 120, 121, 122, 126, 127, 152, 197, 198, 214, 218};
constexpr uint8_t k101Template[] = {113, 6, 115, 116, 117, 114, 119, 120, 156, 157, 121, 158, 118, 159, 160, 161};
constexpr uint8_t kTkrTemplate[] = {183, 151, 6, 115, 116, 117, 114, 118, 119, 120, 121, 126, 127};

}  // namespace

// clang-format off
constexpr TPointKind kPointSIRIUS{.className = "TPointSIRIUS", .typeId = 100, .version = 3, .typeName = "КП",
    .action = "ActionNewPointSIRIUS", .actionText = "Добавить КП СИРИУС", .frameClass = "TFramePointSIRIUS",
    .items = kSiriusItems, .templateItems = kSiriusTemplate};
constexpr TPointKind kPointTM120{.className = "TPointTM120", .typeId = 102, .version = 3, .typeName = "ТМ-120",
    .action = "ActionNewPointTM120", .actionText = "Добавить КП ТМ120", .frameClass = "TFramePointTM120",
    .items = kTm120Items, .templateItems = kSiriusTemplate, .nodeFormat = "№%d КП ТМ120 %s"};
constexpr TPointKind kPointPCE{.className = "TPointPCE", .typeId = 104, .version = 1, .typeName = "ЭВМ",
    .action = "ActionNewPointPCE", .actionText = "Добавить ПЭВМ", .frameClass = "TFramePointPCE",
    .image = 11, .items = kPceItems};
constexpr TPointKind kPoint101{.className = "TPoint101", .typeId = 105, .version = 3, .typeName = "КП  МЭК101",
    .action = "ActionNewPoint101", .actionText = "Добавить КП МЭК101", .frameClass = "TFramePoint101",
    .items = k101Items, .templateItems = k101Template};
constexpr TPointKind kPointPC4{.className = "TPointPC4", .typeId = 106, .version = 2, .typeName = "ЭВМ",
    .action = "ActionNewPointPC4", .actionText = "Добавить ПЭВМ", .frameClass = "TFramePointPC4",
    .image = 11, .items = kPc4Items, .tables = kPc4Tables};
constexpr TPointKind kPointTKR{.className = "TPointTKR", .typeId = 107, .version = 1, .typeName = "\"КП-1\"",
    .action = "ActionNewPointTKR", .actionText = "Добавить КП ТК РЭС", .frameClass = "TFramePointTKR",
    .items = kTkrItems, .templateItems = kTkrTemplate};
constexpr TPointKind kPointGranit{.className = "TPointGranit", .typeId = 108, .version = 3, .typeName = "КП ГРАНИТ",
    .action = "ActionNewPointGranit", .actionText = "Добавить КП ГРАНИТ", .frameClass = "TFramePointGranit",
    .items = kGranitItems, .nodeFormat = "№%d КП Гранит %s", .baseCaption = true};
constexpr TPointKind kPoint104{.className = "TPoint104", .typeId = 109, .version = 1, .typeName = "КП МЭК104",
    .action = "ActionNewPoint104", .actionText = "Добавить КП МЭК104", .frameClass = "TFramePoint104",
    .items = k104Items};
constexpr TPointKind kPointLisnaC{.className = "TPointLisnaC", .typeId = 110, .version = 3, .typeName = "КП",
    .action = "ActionNewPointLisnaC", .actionText = "Добавить КП Лисна-Ч", .frameClass = "TFramePointLisnaC",
    .menu = TPopupMenu::HardPort, .items = kLisnaCItems};
constexpr TPointKind kPointLisnaM{.className = "TPointLisnaM", .typeId = 111, .version = 3, .typeName = "КП",
    .action = "ActionNewPointLisnaM", .actionText = "Добавить КП Лисна-M", .frameClass = "TFramePointLisnaM",
    .items = kLisnaMItems};
constexpr TPointKind kPointLisnaV{.className = "TPointLisnaV", .typeId = 112, .version = 3, .typeName = "КП",
    .action = "ActionNewPointLisnaV", .actionText = "Добавить КП Лисна-В", .frameClass = "TFramePointLisnaV",
    .items = kLisnaVItems};
constexpr TPointKind kPointVLM{.className = "TPointVLM", .typeId = 113, .version = 1, .typeName = "ВЕЛМОР",
    .action = "ActionNewPointVLM", .actionText = "ActionNewPointVLM", .frameClass = "TFramePointVLM",
    .menu = TPopupMenu::None, .items = kVlmItems};
constexpr TPointKind kPointModbus{.className = "TPointModbus", .typeId = 114, .version = 1, .typeName = "RTU",
    .action = "ActionNewPointModbus", .actionText = "Добавить Устройство Modbus", .frameClass = "TFramePointModbus",
    .items = kModbusItems, .tables = kModbusTables};
// clang-format on

namespace {

constexpr TKindEntry<TPointKind> kPointEntries[] = {
    {&kPointSIRIUS, CreateKindObject<TPointSIRIUS, kPointSIRIUS>},
    {&kPointTM120, CreateKindObject<TPointTM120, kPointTM120>},
    {&kPointPCE, CreateKindObject<TDataPoint, kPointPCE>},
    {&kPoint101, CreateKindObject<TDataPoint, kPoint101>},
    {&kPointPC4, CreateKindObject<TDataPoint, kPointPC4>},
    {&kPointTKR, CreateKindObject<TPointTKR, kPointTKR>},
    {&kPointGranit, CreateKindObject<TPointGranit, kPointGranit>},
    {&kPoint104, CreateKindObject<TDataPoint, kPoint104>},
    {&kPointLisnaC, CreateKindObject<TDataPoint, kPointLisnaC>},
    {&kPointLisnaM, CreateKindObject<TDataPoint, kPointLisnaM>},
    {&kPointLisnaV, CreateKindObject<TDataPoint, kPointLisnaV>},
    {&kPointVLM, CreateKindObject<TDataPoint, kPointVLM>},
    {&kPointModbus, CreateKindObject<TDataPoint, kPointModbus>},
};

constexpr TKindList kPointList(kPointEntries);

}  // namespace

std::span<const TPointKind* const> PointKinds() { return kPointList.Kinds(); }
const TPointKind* FindPointKind(uint8_t typeId) { return kPointList.Find(typeId); }
const TPointKind* FindPointKindByClass(std::string_view className) { return kPointList.FindByClass(className); }
void RegisterPointKindsOnly(TKindRegistry& registry) { kPointList.Register(registry, TKindFamily::Point); }

}  // namespace vlm
