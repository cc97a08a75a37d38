// Every software port kind: its item table in write order, its tables of rows and its entry in
// the processor's menu.
#include <array>

#include "model/Kinds.h"
#include "ports/KindList.h"
#include "ports/KindRegistration.h"
#include "ports/PortKind.h"
#include "ports/VLM_PortAct.h"
#include "ports/VLM_PortRows.h"

namespace vlm {
namespace {

using M = TMarker;

constexpr const char* kModulation = "Частотная=4|Фазовая=8";
constexpr const char* kProtocol = "\"Сириус\"=2|\"Виконт\"=4";

// ---- polling ports ----------------------------------------------------------------------------
constexpr TItemDef kActiveItems[] = {
    Mark(M::Shared), Mark(M::ChildCount), Mark(M::Steps),
    Num(190, 1, 1, 1, 5, "Количество опросов КП после выдачи команды ТУ (1...5)", "SpinEditTUPolls"),
    Flag(133, 0, "Автоматически включать опрос после отключения оператором", "CheckBoxRestore"),
    Scaled(Num(130, 4, 1800000, 60000, 86400000, "минут (1...1440)", "SpinEditRestoreDelay"), 60000),
    Num(204, 2, 0, 0, 65535, "Состояние связи с КП", "SpinEditLinkTSAddr"),
    Mark(M::Children),
};
constexpr TItemDef kTkrItems[] = {
    Mark(M::Shared), Mark(M::ChildCount), Mark(M::Steps),
    Scaled(Num(184, 4, 600000, 60000, 15300000, "Пауза, мин.", "SpinEditPauseTime"), 60000),
    Flag(189, 0, "Восстанавливать Паузу", "CheckBoxRestorePause"),
    Mark(M::Children),
};

// ---- passive port -----------------------------------------------------------------------------
constexpr TItemDef kPassiveItems[] = {
    Mark(M::Shared),
    ZeroReport(Num(111, 1, 1, 0, 255, "Адрес пункта", "SpinEditPointN"), "\rНе настроен адрес пункта"),
    Pick(112, 2, kProtocol, "Протокол связи", "RadioGroupProtocol"),
    Pick(113, 4, kModulation, "Вид модуляции", "RadioGroupModulation"),
    Scaled(Num(6, 2, 200, 0, 0, "Скорость, бит/с", "SpinEditSpeed"), 1, 100),
    Num(115, 2, 2571, 0, 0, "Частота сигнала \"0\", Гц", "SpinEditF0"),
    Num(116, 2, 2717, 0, 0, "Частота сигнала \"1\", Гц", "SpinEditF1"),
    Num(117, 1, 20, 0, 255, "Уровень отсечки шумов, мВ", "SpinEditNoise"),
    Num(119, 2, 100, 0, 0, "Длительность стартовой последовательности, мс", "SpinEditTStart"),
    Num(144, 1, 0, 0, 255, "Выдача данных в группе / Выдача групп", "RadioGroupTISend"),
    Num(145, 1, 8, 1, 8, "Длина выходного буфера ТС (по каждой группе), от 1 до 8 ", "SpinEditTSQueueL"),
    Pick(215, 32, "20h=32|10h=16", "№ Функции", "RadioGroupTIFunc"),
    Mark(M::RowCount, 0), Mark(M::RowData, 0), Mark(M::RowCount, 1), Mark(M::RowData, 1),
    Mark(M::RowCount, 2), Mark(M::RowData, 2), Mark(M::RowCount, 3), Mark(M::RowData, 3),
};
constexpr TSortByte kKey3[] = {{0}, {1}, {2}};
constexpr TSortByte kKey4[] = {{0}, {1}, {2}, {3}};
constexpr TSortByte kBoardTsKey[] = {{0}, {1}, {2}, {3, true}};
constexpr TRowTableDef kPassiveTables[] = {
    {"Таблица переадресации ТС", 132, 2, 138, 5, 256, kKey3},
    {"Таблица переадресации ТИ", 131, 2, 139, 6, 2041, kKey4},
    {"Таблица переадресации ТУ", 142, 2, 140, 5, 256, {}},
    {"Таблица переадресации Массивов", 143, 2, 141, 6, 8192, kKey4},
};

// ---- board ports ------------------------------------------------------------------------------
constexpr TItemDef kBoardItems[] = {
    Mark(M::Shared),
    Mark(M::RowCount, 0), Mark(M::RowData, 0), Mark(M::RowCount, 1), Mark(M::RowData, 1),
    Mark(M::RowCount, 2), Mark(M::RowData, 2),
    Flag(112, 0, "Поддержка интерфейса МУССОН", "CheckBoxMusson"),
    Num(219, 1, 241, 0, 255, "Номер функции для выдачи данных", "SpinEditOutFunc"),
    Flag(222, 0, "Установка алгоритмов мигания", "CheckBoxBlink"),
    Flag(224, 0, "Передача флагов достоверности", "CheckBoxQuality"),
};
constexpr TRowTableDef kBoardTables[] = {
    {"Таблица переадресации ТС", 132, 2, 134, 8, 8001, kBoardTsKey},
    {"Таблица переадресации ТИ", 131, 2, 135, 21, 1024, kKey4},
    {"Таблица сборных ТС", 136, 2, 137, 4, 257, {}},
};
constexpr TItemDef kLamIItems[] = {
    Mark(M::Shared),
    Flag(112, 0, "Поддержка интерфейса МУССОН", "CheckBoxMusson"),
};

// ---- transmit ports ---------------------------------------------------------------------------
constexpr TItemDef kMkt3tItems[] = {
    Mark(M::Shared),
    Num(6, 2, 5000, 0, 0, "Длительность бита, мкс", "SpinEditSpeed"),
    Num(115, 2, 2571, 0, 0, "Частота сигнала \"0\", Гц", "SpinEditF0"),
    Num(116, 2, 2717, 0, 0, "Частота сигнала \"1\", Гц", "SpinEditF1"),
    Num(145, 1, 8, 1, 8, "Длина выходного буфера ТС (по каждой группе), от 1 до 8 ", "SpinEditTSQueueL"),
    Mark(M::RowCount, 0), Mark(M::RowData, 0), Mark(M::RowCount, 1), Mark(M::RowData, 1),
};
constexpr TRowTableDef kMkt3tTables[] = {
    {"Таблица переадресации ТС", 132, 2, 138, 5, 64, {}},
    {"Таблица переадресации ТИ", 131, 2, 139, 16, 64, {}},
};
constexpr TItemDef kRpt80tItems[] = {
    Mark(M::Shared),
    Num(6, 2, 200, 0, 0, "Длительность бита, мкс", "SpinEditSpeed"),
    Num(115, 2, 2571, 0, 0, "Частота сигнала \"0\", Гц", "SpinEditF0"),
    Num(116, 2, 2717, 0, 0, "Частота сигнала \"1\", Гц", "SpinEditF1"),
    Num(150, 1, 0, 0, 255, "Число параметров в кадре", "SpinEditParams"),
    Second(Text256(149, "Место установки приёмн. РПТ80")),
    Mark(M::RowCount, 0), Mark(M::RowData, 0), Mark(M::RowCount, 1), Mark(M::RowData, 1),
};
constexpr TRowTableDef kRpt80tTables[] = {
    {"Таблица переадресации ТС", 132, 1, 138, 6, 241, {}},
    {"Таблица переадресации ТИ", 131, 1, 139, 7, 241, {}},
};

// ---- receive ports ----------------------------------------------------------------------------
constexpr TItemDef kMkt2rItems[] = {
    Mark(M::Shared),
    Num(6, 2, 80, 35, 170, "Скорость, бит/с", "SpinEditSpeed"),
    Num(115, 2, 2571, 0, 0, "Частота сигнала \"0\", Гц", "SpinEditF0"),
    Num(116, 2, 2717, 0, 0, "Частота сигнала \"1\", Гц", "SpinEditF1"),
    Num(117, 1, 0, 0, 255, "Уровень отсечки шумов, мВ", "SpinEditNoise"),
    Pick(150, 30, "10=10|20=20|30=30", "Число групп", "RadioGroupGroups"),
    Blob(155, 30, "Группы"),
    Second(Text256(149, "Место установки МКТ2")),
};
constexpr TItemDef kRpt80rItems[] = {
    Mark(M::Shared),
    Scaled(Num(6, 2, 200, 0, 0, "Скорость, бит/с", "SpinEditSpeed"), 1, 100),
    Num(115, 2, 2571, 0, 0, "Частота сигнала \"0\", Гц", "SpinEditF0"),
    Num(116, 2, 2717, 0, 0, "Частота сигнала \"1\", Гц", "SpinEditF1"),
    Num(117, 1, 0, 0, 255, "Уровень отсечки шумов, мВ", "SpinEditNoise"),
    Num(150, 1, 0, 0, 255, "Число параметров в кадре", "SpinEditParams"),
    Blob(155, 241, "Группы"),
    Second(Text256(149, "Место установки РПТ80")),
};
constexpr TItemDef kMkt3rItems[] = {
    Mark(M::Shared),
    Scaled(Num(6, 2, 200, 0, 0, "Скорость, бит/с", "SpinEditSpeed"), 1, 100),
    Num(115, 2, 2571, 0, 5000, "Частота сигнала \"0\", Гц", "SpinEditF0"),
    Num(116, 2, 2717, 0, 5000, "Частота сигнала \"1\", Гц", "SpinEditF1"),
    Num(117, 1, 0, 0, 255, "Уровень отсечки шумов, мВ", "SpinEditNoise"),
    Num(119, 2, 10, 0, 0, "Длительность стартовой последовательности, мс", "SpinEditTStart"),
    Pick(123, 16, "16=16|32=32|48=48|64=64", "Число групп ТС", "ComboBoxTS"),
    Pick(124, 2, "2=2|4=4|6=6|8=8", "Число групп ТИ", "ComboBoxTI"),
    Flag(146, 0, "Речевой фильтр", "CheckBoxSpeech"),
};

// ---- PC, time and link ports ------------------------------------------------------------------
constexpr TItemDef kPcItems[] = {
    Mark(M::Shared),
    Flag(163, 0, "Передавать флаги переполнения буферов", "CheckBoxOverflow"),
    Flag(221, 0, "Преобразовывать посылки ТСК F1 в F2", "CheckBoxF1F2"),
};
constexpr TItemDef kPceItems[] = {
    Mark(M::Shared), Mark(M::ChildCount),
    Num(181, 2, 8270, 0, 65535, "(Стандартно 8270)", "SpinEditUDPPort"),
    Mark(M::Children),
};
constexpr TItemDef kPc4Items[] = {
    Mark(M::Shared), Mark(M::ChildCount),
    Num(180, 2, 2404, 0, 65535, "(Стандартно 2404)", "SpinEditTCPPort"),
    Mark(M::Children),
};
constexpr TItemDef k104Items[] = {
    Mark(M::Shared),
    Num(180, 2, 2404, 0, 65535, "TCP-порт контроллера ПУ", "SpinEditClientPort"),
    Mark(M::ChildCount), Mark(M::Children),
};
constexpr TItemDef kVlmItems[] = {Mark(M::Shared), Mark(M::Children)};
constexpr TItemDef kSntpItems[] = {
    Mark(M::Shared),
    Ip(1, "IP адрес сервера времени", "SpinEditServerIP"),
    Signed(Num(182, 4, 3, 0, 255, "Часовой пояс", "SpinEditHourCorrection")),
};
constexpr TItemDef kTimeItems[] = {
    Mark(M::Shared),
    Num(181, 2, 10110, 0, 65535, "UDP-порт контроллера", "SpinEditUDPPort"),
    Ip(1, "IP адрес задатчика", "SpinEditIP"),
    Signed(Num(182, 4, 3, 0, 255, "Часовой пояс", "SpinEditHourCorrection")),
};
constexpr TItemDef kTrItems[] = {
    Mark(M::Shared),
    Num(115, 2, 2571, 0, 0, "Частота сигнала \"0\", Гц", "SpinEditF0"),
    Num(116, 2, 2717, 0, 0, "Частота сигнала \"1\", Гц", "SpinEditF1"),
};
constexpr TItemDef kSharedOnly[] = {Mark(M::Shared)};
constexpr TItemDef kModbusItems[] = {
    Mark(M::Shared), Mark(M::ChildCount),
    Flag(196, 1, "Использовать этот Порт в работе", "CheckBoxUse"),
    Mark(M::Children),
};

// ---- Лисна ports ------------------------------------------------------------------------------
constexpr TItemDef kLisnaCItems[] = {
    Mark(M::Shared),
    Flag(196, 1, "Использовать этот Порт в работе", "CheckBoxUse"),
    Num(170, 2, 630, 0, 0, "Несущая ТУ, Гц", "SpinEditFTU"),
    Num(171, 2, 630, 0, 0, "Несущая ТС, Гц", "SpinEditFTS"),
    Num(172, 1, 19, 0, 255, "Короткий импульс ТУ, мс", "SpinEditTUPulse"),
    Num(173, 1, 31, 0, 255, "Короткий импульс ТС, мс", "SpinEditTSPulse"),
    Num(117, 1, 10, 0, 255, "Уровень отсечки шумов, мВ", "SpinEditNoise"),
    Mark(M::Children),
};
constexpr TItemDef kLisnaMItems[] = {
    Mark(M::Shared), Mark(M::ChildCount),
    Flag(196, 1, "Использовать этот Порт в работе", "CheckBoxUse"),
    Num(170, 2, 1890, 0, 0, "Несущая ТУ, Гц", "SpinEditFTU"),
    Num(171, 2, 2790, 0, 0, "Несущая ТС, Гц", "SpinEditFTS"),
    Num(176, 1, 12, 0, 255, "Длительность бита, мс", "SpinEditBit"),
    Num(117, 1, 10, 0, 255, "Уровень отсечки шумов, мВ", "SpinEditNoise"),
    Num(194, 2, 3000, 0, 65535, "Период запросов, мс (0 - без запросов)", "SpinEditRequest"),
    Num(190, 1, 1, 1, 5, "Количество опросов КП после выдачи команды ТУ (1...5)", "SpinEditTUPolls"),
    Mark(M::Children),
};
constexpr TItemDef kLisnaVItems[] = {
    Mark(M::Shared), Mark(M::ChildCount),
    Flag(196, 1, "Использовать этот Порт в работе", "CheckBoxUse"),
    Num(170, 2, 630, 0, 0, "Несущая ТУ, Гц", "SpinEditFTU"),
    Num(174, 2, 630, 0, 0, "Несущая ТС1, Гц", "SpinEditFTS1"),
    Num(175, 2, 630, 0, 0, "Несущая ТС2, Гц", "SpinEditFTS2"),
    Num(176, 1, 31, 0, 255, "Короткий импульс, мс", "SpinEditPulse"),
    Num(117, 1, 10, 0, 255, "Уровень отсечки шумов, мВ", "SpinEditNoise"),
    Mark(M::Children),
};

constexpr uint8_t kActiveChildren[] = {100, 102, 105, 108};
constexpr uint8_t kPceChildren[] = {104};
constexpr uint8_t kPc4Children[] = {106};
constexpr uint8_t kLisnaCChildren[] = {110};
constexpr uint8_t kLisnaVChildren[] = {112};
constexpr uint8_t kTkrChildren[] = {107};
constexpr uint8_t k104Children[] = {109};
constexpr uint8_t kLisnaMChildren[] = {111};
constexpr uint8_t kVlmChildren[] = {113};
constexpr uint8_t kModbusChildren[] = {114};

using P = TPopupMenu;
using H = THardRule;

}  // namespace

// clang-format off
constexpr TPortKind kPortActive{.className = "TPortActive", .typeId = 2, .version = 1, .typeName = "Порт Активный",
    .action = "ActionNewPortActive", .actionText = "Добавить Порт Активный", .frameClass = "TFramePortActive",
    .menu = P::PortActive, .items = kActiveItems, .childIds = kActiveChildren,
    .noneAdded = "\rНе добавлено ни одного КП", .childErrorWithCaption = true};
constexpr TPortKind kPortPassive{.className = "TPortPassive", .typeId = 3, .version = 1, .typeName = "Порт Пассивный",
    .action = "ActionNewPortPassive", .actionText = "Добавить Порт Пассивный", .frameClass = "TFramePortPas",
    .menu = P::Delete, .items = kPassiveItems, .tables = kPassiveTables};
constexpr TPortKind kPortPC{.className = "TPortPC", .typeId = 7, .version = 1, .typeName = "Порт ЭВМ",
    .action = "ActionNewPortPC", .actionText = "Добавить Порт ЭВМ (RS-232/485)", .frameClass = "TFramePortPC",
    .menu = P::Delete, .items = kPcItems};
constexpr TPortKind kPortPCE{.className = "TPortPCE", .typeId = 17, .version = 1, .typeName = "Порт ПЭВМ (Ethernet, UDP)",
    .action = "ActionNewPortPCE", .actionText = "Добавить Порт ЭВМ (Ethernet, UDP)", .frameClass = "TFramePortPCE",
    .menu = P::PortPCE, .hard = H::Constant, .writesComment = false, .items = kPceItems,
    .childIds = kPceChildren, .noneAdded = "\rНе добавлено ни одной ПЭВМ"};
constexpr TPortKind kPortPC4{.className = "TPortPC4", .typeId = 19, .version = 1, .typeName = "Порт ЭВМ (Ethernet, МЭК104)",
    .action = "ActionNewPortPC4", .actionText = "Добавить Порт ЭВМ (Ethernet, МЭК104)", .frameClass = "TFramePortPC4",
    .menu = P::PortPC4, .hard = H::Constant, .writesComment = false, .items = kPc4Items,
    .childIds = kPc4Children, .noneAdded = "\rНе добавлено ни одной ЭВМ"};
constexpr TPortKind kPortL{.className = "TPortL", .typeId = 5, .version = 3, .typeName = "Порт Щита",
    .action = "ActionNewPortLamp", .actionText = "Добавить Порт Щита", .frameClass = "TFramePortLamp",
    .menu = P::Delete, .items = kBoardItems, .tables = kBoardTables};
constexpr TPortKind kPortOldPU{.className = "TPortOldPU", .typeId = 8, .version = 1, .typeName = "Порт Старого ПУ",
    .action = "ActionNewPortOldPU", .actionText = "Добавить Порт Старого ПУ", .frameClass = "TFramePortPC",
    .menu = P::Delete, .items = kPcItems};
constexpr TPortKind kPortMKT2R{.className = "TPortMKT2R", .typeId = 10, .version = 1, .typeName = "Порт приёма MKT2",
    .action = "ActionNewPortMKT2R", .actionText = "Добавить Порт приёма МКТ2", .frameClass = "TFramePortMKT2R",
    .menu = P::Delete, .items = kMkt2rItems, .placeInNodeText = true};
constexpr TPortKind kPortMKT3R{.className = "TPortMKT3R", .typeId = 11, .version = 1, .typeName = "Порт приёма MKT3",
    .action = "ActionNewPortMKT3R", .actionText = "Добавить Порт приёма МКТ3", .frameClass = "TFramePortMKT3R",
    .menu = P::Delete, .items = kMkt3rItems};
constexpr TPortKind kPortMKT3T{.className = "TPortMKT3T", .typeId = 9, .version = 2, .typeName = "Порт передачи МКТ3",
    .action = "ActionNewPortMKT3T", .actionText = "Добавить Порт передачи МКТ3", .frameClass = "TFramePortMKT3T",
    .menu = P::Delete, .items = kMkt3tItems, .tables = kMkt3tTables};
constexpr TPortKind kPortRPT80R{.className = "TPortRPT80R", .typeId = 12, .version = 1, .typeName = "Порт приёма РПT80",
    .action = "ActionNewPortRPT80R", .actionText = "Добавить Порт приёма РПТ80", .frameClass = "TFramePortRPT80R",
    .menu = P::Delete, .items = kRpt80rItems, .placeInNodeText = true};
constexpr TPortKind kPortRPT80T{.className = "TPortRPT80T", .typeId = 13, .version = 1, .typeName = "Порт передачи РПT80",
    .action = "ActionNewPortRPT80T", .actionText = "Добавить Порт передачи РПТ80", .frameClass = "TFramePortRPT80T",
    .menu = P::Delete, .items = kRpt80tItems, .tables = kRpt80tTables, .placeInNodeText = true};
constexpr TPortKind kPortAd{.className = "TPortAd", .typeId = 15, .version = 1, .typeName = "Порт Канальн. адаптеров",
    .action = "ActionNewPortAd", .actionText = "Добавить Порт Канальн.адаптеров", .frameClass = "TFramePortAd",
    .menu = P::Delete, .hard = H::BoundNoCheck, .numberReport = TNumberReport::None, .writesComment = false,
    .items = kSharedOnly, .hiddenInMenu = true};
constexpr TPortKind kPortLisnaV{.className = "TPortLisnaV", .typeId = 21, .version = 1, .typeName = "Порт Лисна-В",
    .action = "ActionNewPortLisnaV", .actionText = "Добавить Порт Лисна-В", .frameClass = "TFramePortLisnaV",
    .menu = P::PortLisnaV, .items = kLisnaVItems, .childIds = kLisnaVChildren,
    .noneAdded = "\rНе добавлено ни одного КП"};
constexpr TPortKind kPortLisnaM{.className = "TPortLisnaM", .typeId = 25, .version = 1, .typeName = "Порт Лисна-М",
    .action = "ActionNewPortLisnaM", .actionText = "Добавить Порт Лисна-М", .frameClass = "TFramePortLisnaM",
    .menu = P::PortLisnaM, .items = kLisnaMItems, .childIds = kLisnaMChildren,
    .noneAdded = "\rНе добавлено ни одного КП"};
constexpr TPortKind kPortLisnaC{.className = "TPortLisnaC", .typeId = 20, .version = 1, .typeName = "Порт Лисна-Ч",
    .action = "ActionNewPortLisnaC", .actionText = "Добавить Порт Лисна-Ч", .frameClass = "TFramePortLisnaC",
    .menu = P::PortLisnaC, .items = kLisnaCItems, .childIds = kLisnaCChildren, .singleChild = true};
constexpr TPortKind kPortMkR{.className = "TPortMkR", .typeId = 18, .version = 1, .typeName = "Порт МКТ<->RS232",
    .action = "ActionNewPortMkR", .actionText = "Добавить Порт МКТ<->RS-232", .frameClass = "TFramePortMkR",
    .menu = P::Delete, .items = kSharedOnly};
constexpr TPortKind kPortTime{.className = "TPortTime", .typeId = 22, .version = 1, .typeName = "Порт Времени (Ethernet, UDP)",
    .action = "ActionNewPortTime", .actionText = "Добавить Порт Времени", .frameClass = "TFramePortTime",
    .menu = P::Delete, .hard = H::Constant, .writesComment = false, .items = kTimeItems};
constexpr TPortKind kPortTKR{.className = "TPortTKR", .typeId = 23, .version = 1, .typeName = "Порт ТК РЭС",
    .action = "ActionNewPortTKR", .actionText = "Добавить Порт ТК РЭС", .frameClass = "TFramePortTKR",
    .menu = P::PortTKR, .items = kTkrItems, .childIds = kTkrChildren,
    .noneAdded = "\rНе добавлено ни одного КП"};
constexpr TPortKind kPort104{.className = "TPort104", .typeId = 24, .version = 1, .typeName = "Порт 104 (Ethernet, МЭК104)",
    .action = "ActionNewPort104", .actionText = "Добавить Порт 104 (Ethernet, МЭК104)", .frameClass = "TFramePort104",
    .menu = P::Port104, .hard = H::Constant, .writesComment = false, .items = k104Items,
    .childIds = k104Children, .noneAdded = "\rНе добавлено ни одного КП МЭК104", .hiddenInMenu = true};
constexpr TPortKind kPortVLM{.className = "TPortVLM", .typeId = 27, .version = 1, .typeName = "Порт ВЛМ (Ethernet, UDP)",
    .action = "ActionNewPortVLM", .actionText = "Добавить Порт связи с ВЕЛМОР", .frameClass = "TFramePortVLM",
    .menu = P::Delete, .hard = H::Constant, .writesComment = false, .items = kVlmItems,
    .childIds = kVlmChildren, .singleChild = true};
constexpr TPortKind kPortModbus{.className = "TPortModbus", .typeId = 28, .version = 1, .typeName = "Порт Modbus RTU",
    .action = "ActionNewPortModbus", .actionText = "Добавить Порт Modbus", .frameClass = "TFramePortModbus",
    .menu = P::PortModbus, .items = kModbusItems, .childIds = kModbusChildren,
    .noneAdded = "\rНе добавлено ни одного RTU", .childIdError = "Ошибка идентификатора RTU\rid="};
constexpr TPortKind kPortLamD{.className = "TPortLamD", .typeId = 29, .version = 1, .typeName = "Порт Щита Д",
    .action = "ActionNewPortLamD", .actionText = "Добавить Порт Щита Д", .frameClass = "TFramePortLamD",
    .menu = P::Delete, .hard = H::BoundNoCheck, .numberReport = TNumberReport::None, .writesComment = false,
    .items = kSharedOnly, .hiddenInMenu = true};
constexpr TPortKind kPortLamI{.className = "TPortLamI", .typeId = 30, .version = 1, .typeName = "Порт Имитатора Щита",
    .action = "ActionNewPortLamI", .actionText = "Добавить Порт Имитатора Щита", .frameClass = "TFramePortLamI",
    .menu = P::Delete, .items = kLamIItems};
constexpr TPortKind kPortSNTP{.className = "TPortSNTP", .typeId = 26, .version = 1,
    .typeName = "Порт Времени SNTP (Ethernet, UDP)", .action = "ActionNewPortSNTP",
    .actionText = "Добавить Порт Времени SNTP", .frameClass = "TFramePortSNTP", .menu = P::Delete,
    .hard = H::Constant, .hardConst = 1, .numberReport = TNumberReport::TypeName, .writesComment = false,
    .items = kSntpItems, .inMenu = false};
constexpr TPortKind kPortTr{.className = "TPortTr", .typeId = 16, .version = 1, .typeName = "Порт Трансляции",
    .action = "ActionNewPortTr", .actionText = "Добавить Порт Трансляции", .frameClass = "TFramePortTr",
    .menu = P::Delete, .items = kTrItems, .inMenu = false};
// clang-format on

namespace {

// The processor's menu order, then the kinds that only the reader creates.
constexpr TKindEntry<TPortKind> kPortEntries[] = {
    {&kPortActive, CreateKindObject<TPortActive, kPortActive>},
    {&kPortPassive, CreateKindObject<TDataPort, kPortPassive>},
    {&kPortPC, CreateKindObject<TDataPort, kPortPC>},
    {&kPortPCE, CreateKindObject<TDataPort, kPortPCE>},
    {&kPortPC4, CreateKindObject<TDataPort, kPortPC4>},
    {&kPortL, CreateKindObject<TPortL, kPortL>},
    {&kPortOldPU, CreateKindObject<TDataPort, kPortOldPU>},
    {&kPortMKT2R, CreateKindObject<TDataPort, kPortMKT2R>},
    {&kPortMKT3R, CreateKindObject<TDataPort, kPortMKT3R>},
    {&kPortMKT3T, CreateKindObject<TPortMKT3T, kPortMKT3T>},
    {&kPortRPT80R, CreateKindObject<TDataPort, kPortRPT80R>},
    {&kPortRPT80T, CreateKindObject<TDataPort, kPortRPT80T>},
    {&kPortAd, CreateKindObject<TDataPort, kPortAd>},
    {&kPortLisnaV, CreateKindObject<TDataPort, kPortLisnaV>},
    {&kPortLisnaM, CreateKindObject<TDataPort, kPortLisnaM>},
    {&kPortLisnaC, CreateKindObject<TDataPort, kPortLisnaC>},
    {&kPortMkR, CreateKindObject<TDataPort, kPortMkR>},
    {&kPortTime, CreateKindObject<TDataPort, kPortTime>},
    {&kPortTKR, CreateKindObject<TPortTKR, kPortTKR>},
    {&kPort104, CreateKindObject<TDataPort, kPort104>},
    {&kPortVLM, CreateKindObject<TDataPort, kPortVLM>},
    {&kPortModbus, CreateKindObject<TDataPort, kPortModbus>},
    {&kPortLamD, CreateKindObject<TDataPort, kPortLamD>},
    {&kPortLamI, CreateKindObject<TDataPort, kPortLamI>},
    {&kPortSNTP, CreateKindObject<TDataPort, kPortSNTP>},
    {&kPortTr, CreateKindObject<TDataPort, kPortTr>},
};

constexpr TKindList kPortList(kPortEntries);

}  // namespace

std::span<const TPortKind* const> PortKinds() { return kPortList.Kinds(); }
const TPortKind* FindPortKind(uint8_t typeId) { return kPortList.Find(typeId); }
const TPortKind* FindPortKindByClass(std::string_view className) { return kPortList.FindByClass(className); }
void RegisterPortKindsOnly(TKindRegistry& registry) { kPortList.Register(registry, TKindFamily::Port); }

}  // namespace vlm
