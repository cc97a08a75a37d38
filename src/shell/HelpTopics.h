#pragma once
// Every help topic of the program in one table: its context number, what shows it and the
// title of its page (docs/help/<context>.html, built into the program). A frame is named by the
// class of the object it edits, a window by its own class; the diagnostic value views by the kind
// they show. F1 and the help buttons take their context from here, so no two windows share a
// number and every window and frame has a page.
#include <span>
#include <string_view>

namespace vlm {

struct THelpTopic {
  int context;
  const char* owner;
  const char* title;
};

inline constexpr THelpTopic kHelpTopics[] = {
    // Configuration tree: station, controller, processor, cards and their ports.
    {350, "TStation", "Станция"},
    {110, "TController", "Контроллер"},
    {6, "TProcessor", "Процессор"},
    {130, "TCard5554", "Плата 5554"},
    {140, "TCard5558", "Плата 5558"},
    {160, "TCardPPI", "Плата ППИ"},
    {410, "TCardPVS", "Плата ПВС"},
    {1, "TCardUNIO", "Плата UNIO96"},
    {150, "TComPort", "COM-порт"},
    {420, "TModem", "Модемный порт"},
    // Software ports: 200 + the port's container id.
    {202, "TPortActive", "Порт Активный"},
    {203, "TPortPassive", "Порт Пассивный"},
    {205, "TPortL", "Порт Щита"},
    {207, "TPortPC", "Порт ЭВМ (RS-232/485)"},
    {208, "TPortOldPU", "Порт Старого ПУ"},
    {209, "TPortMKT3T", "Порт передачи МКТ3"},
    {210, "TPortMKT2R", "Порт приёма МКТ2"},
    {211, "TPortMKT3R", "Порт приёма МКТ3"},
    {212, "TPortRPT80R", "Порт приёма РПТ80"},
    {213, "TPortRPT80T", "Порт передачи РПТ80"},
    {215, "TPortAd", "Порт Канальн. адаптеров"},
    {216, "TPortTr", "Порт Трансляции"},
    {217, "TPortPCE", "Порт ПЭВМ (Ethernet, UDP)"},
    {218, "TPortMkR", "Порт МКТ<->RS-232"},
    {219, "TPortPC4", "Порт ЭВМ (Ethernet, МЭК104)"},
    {220, "TPortLisnaC", "Порт Лисна-Ч"},
    {221, "TPortLisnaV", "Порт Лисна-В"},
    {222, "TPortTime", "Порт Времени (Ethernet, UDP)"},
    {223, "TPortTKR", "Порт ТК РЭС"},
    {224, "TPort104", "Порт 104 (Ethernet, МЭК104)"},
    {225, "TPortLisnaM", "Порт Лисна-М"},
    {226, "TPortSNTP", "Порт Времени SNTP"},
    {227, "TPortVLM", "Порт связи с ВЕЛМОР"},
    {228, "TPortModbus", "Порт Modbus"},
    {229, "TPortLamD", "Порт Щита Д"},
    {230, "TPortLamI", "Порт Имитатора Щита"},
    // Remote points: 300 + the point's container id - 100.
    {300, "TPointSIRIUS", "КП СИРИУС"},
    {302, "TPointTM120", "КП ТМ120"},
    {304, "TPointPCE", "ПЭВМ (Ethernet, UDP)"},
    {305, "TPoint101", "КП МЭК101"},
    {306, "TPointPC4", "ЭВМ (Ethernet, МЭК104)"},
    {307, "TPointTKR", "КП ТК РЭС"},
    {308, "TPointGranit", "КП ГРАНИТ"},
    {309, "TPoint104", "КП МЭК104"},
    {310, "TPointLisnaC", "КП Лисна-Ч"},
    {311, "TPointLisnaM", "КП Лисна-М"},
    {312, "TPointLisnaV", "КП Лисна-В"},
    {313, "TPointVLM", "Контроллер ВЕЛМОР на связи"},
    {314, "TPointModbus", "Устройство Modbus"},
    // Windows of the configuration.
    {360, "TFormConfigDiff", "Отличия от конфигурации контроллера"},
    {395, "TFormReaddrEdit", "Редактор ячейки таблицы"},
    // Controller services.
    {550, "TFormFiles", "Обмен файлами"},
    {555, "TFormFilesView", "Просмотр файла"},
    {565, "TFormUpload", "Загрузка файла"},
    {570, "TFormAuto", "Правка autoexec.bat"},
    {580, "TFormReset", "Перезагрузка контроллера"},
    // Black box, diagnostics and display.
    {590, "TFormBox", "Чёрный Ящик"},
    {595, "TFormTavikLog", "ТАВИК - Журнал событий"},
    {540, "TFormDiag", "Диагностика"},
    {660, "TFrameOsc", "Осциллограф"},
    {670, "TFrameTablo", "Табло"},
    {710, "TFrameTI", "Таблица ТИ"},
    {720, "TFrameTS", "Таблица ТС"},
    {690, "TFormDiagDebug", "Отладочный просмотр"},
    {560, "TFormDisplay", "Дисплей"},
    // Program settings and the exchange log.
    {700, "TOptionsDlg", "Настройка программы"},
    {705, "TFormFleetBackup", "Резервные копии всех контроллеров"},
    {730, "TFormTraffic", "Трафик"},
};

// The context of what shows a page; 0 (the contents page) for anything without a topic.
constexpr int HelpContextOf(std::string_view owner) {
  for (const THelpTopic& topic : kHelpTopics)
    if (owner == topic.owner) return topic.context;
  return 0;
}

inline std::span<const THelpTopic> HelpTopics() { return kHelpTopics; }

}  // namespace vlm
