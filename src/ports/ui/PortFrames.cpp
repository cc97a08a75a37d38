#include "ports/ui/PortFrames.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QVBoxLayout>
#include <map>
#include <string>

#include "ports/PointKind.h"
#include "ports/PortKind.h"
#include "ports/ui/FrameKind.h"
#include "ports/ui/FramePoint104.h"
#include "ports/ui/FramePointModem.h"
#include "ports/ui/FramePortActive.h"
#include "ports/ui/FramePortLisna.h"
#include "ports/ui/FramePortRecv.h"
#include "ports/ui/FramePortTKR.h"
#include "shell/ui/FrameFactory.h"

namespace vlm {

const char* const kDebugNoteAd =
    "Данный программный модуль находится в состоянии отладки и на настоящий момент настройки не требует. "
    "Для корректной работы программы контроллера в контроллер и конфигурацию должна быть установлена плата "
    "UNIO96 с базовым адресом 0.";
const char* const kDebugNoteMkR =
    "Данный программный модуль находится в состоянии отладки и на настоящий момент настройки не требует. "
    "Для корректной работы программы контроллера в контроллер и конфигурацию должна быть установлены 8 плат "
    "МВС-4 с адресами от 0 до 7 и плата 5558 с адресом 8.";

void DisableControls(QWidget* frame) {
  for (QWidget* w : frame->findChildren<QWidget*>())
    if (qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QComboBox*>(w) || qobject_cast<QLineEdit*>(w) ||
        qobject_cast<QAbstractButton*>(w))
      w->setEnabled(false);
}

namespace {

// A port or point frame of the plain items with a note below them.
template <class Frame, class Kind>
class TNoted : public Frame {
 public:
  TNoted(const Kind& kind, const char* note, const char* noteName, QWidget* parent) : Frame(kind, parent) {
    if (note) this->Body()->addWidget(NoteLabel(QString::fromUtf8(note), noteName, this));
    this->Body()->addStretch(1);
  }
};
using TPortNoted = TNoted<TFramePortItems, TPortKind>;
using TPointNoted = TNoted<TFramePointItems, TPointKind>;

class TFramePointGranit : public TFramePointItems {
 public:
  TFramePointGranit(const TPointKind& kind, QWidget* parent) : TFramePointItems(kind, parent, false) {
    Main().Add({111, 149, 6, 115, 116});
    Main().AddBits(185, {QStringLiteral("Отвечать квитанцией на ТС, ТИ"), QStringLiteral("Магистральный режим")},
                   "CheckBoxFlag");
    Main().Add({117, 114, 118, 119, 121, 122});
    Body()->addStretch(1);
  }
};

class TFramePointVLM : public TFramePointItems {
 public:
  TFramePointVLM(const TPointKind& kind, QWidget* parent) : TFramePointItems(kind, parent) {
    // The peer controller is always point 1: shown for reference only.
    Main().Control(111)->setEnabled(false);
    Body()->addStretch(1);
  }
};

using TMaker = TFrame* (*)(TObj&, QWidget*);

const TPortKind& PortKindOf(TObj& obj) { return dynamic_cast<TDataPort&>(obj).Kind(); }
const TPointKind& PointKindOf(TObj& obj) { return dynamic_cast<TDataPoint&>(obj).Kind(); }

TFrame* PortPlain(TObj& obj, QWidget* parent) { return new TPortNoted(PortKindOf(obj), nullptr, nullptr, parent); }

TFrame* PortPC(TObj& obj, QWidget* parent) {
  auto* frame = new TPortNoted(PortKindOf(obj), nullptr, nullptr, parent);
  // The old ПУ port has no buffer overflow flags to pass.
  if (PortKindOf(obj).typeId == 8)
    if (auto* overflow = frame->findChild<QWidget*>("CheckBoxOverflow")) overflow->hide();
  return frame;
}

TFrame* PortDebug(TObj& obj, QWidget* parent) {
  const char* note = PortKindOf(obj).typeId == 15 ? kDebugNoteAd : kDebugNoteMkR;
  auto* frame = new TPortNoted(PortKindOf(obj), note, "LabelNote", parent);
  DisableControls(frame);
  return frame;
}

TFrame* PortSNTP(TObj& obj, QWidget* parent) {
  return new TPortNoted(PortKindOf(obj), "UDP-порт сервера времени: 123", "LabelUDPPort", parent);
}

TFrame* PortTime(TObj& obj, QWidget* parent) {
  return new TPortNoted(PortKindOf(obj),
                        "IP адрес 0.0.0.0 означает, что к контроллеру может подключиться задатчик с любым "
                        "адресом (НЕ рекомендуется).",
                        "LabelIPNote", parent);
}

TFrame* PortModbus(TObj& obj, QWidget* parent) {
  return new TPortNoted(PortKindOf(obj),
                        "После настройки порта добавьте к нему требуемое количество объектов \"RTU\". ",
                        "LabelNote", parent);
}

TFrame* PortActive(TObj& obj, QWidget* parent) { return new TFramePortActive(PortKindOf(obj), parent); }
TFrame* PortTKR(TObj& obj, QWidget* parent) { return new TFramePortTKR(PortKindOf(obj), parent); }
TFrame* PortRecv(TObj& obj, QWidget* parent) { return new TFramePortRecv(PortKindOf(obj), parent); }
TFrame* PortLisna(TObj& obj, QWidget* parent) { return new TFramePortLisna(PortKindOf(obj), parent); }

TFrame* PointSirius(TObj& obj, QWidget* parent) { return new TFramePointModem(PointKindOf(obj), SiriusLayout(), parent); }
TFrame* PointTm120(TObj& obj, QWidget* parent) { return new TFramePointModem(PointKindOf(obj), Tm120Layout(), parent); }
TFrame* Point101(TObj& obj, QWidget* parent) { return new TFramePointModem(PointKindOf(obj), Point101Layout(), parent); }
TFrame* PointTkr(TObj& obj, QWidget* parent) { return new TFramePointModem(PointKindOf(obj), PointTkrLayout(), parent); }
TFrame* PointGranit(TObj& obj, QWidget* parent) { return new TFramePointGranit(PointKindOf(obj), parent); }
TFrame* PointPCE(TObj& obj, QWidget* parent) {
  return new TPointNoted(PointKindOf(obj),
                         "IP адрес 0.0.0.0 означает, что к контроллеру может подключиться ЭВМ с любым адресом "
                         "(НЕ рекомендуется).",
                         "LabelIPNote", parent);
}
TFrame* Point104(TObj& obj, QWidget* parent) { return new TFramePoint104(PointKindOf(obj), parent); }
TFrame* PointVLM(TObj& obj, QWidget* parent) { return new TFramePointVLM(PointKindOf(obj), parent); }
TFrame* PointLisnaC(TObj& obj, QWidget* parent) { return new TFramePointLisna(PointKindOf(obj), 6, parent); }
TFrame* PointLisnaM(TObj& obj, QWidget* parent) { return new TFramePointLisna(PointKindOf(obj), 0, parent); }
TFrame* PointLisnaV(TObj& obj, QWidget* parent) { return new TFramePointLisna(PointKindOf(obj), 5, parent); }

// Frame classes of this library by name. The passive, board and transmit ports, the Modbus
// device and the IEC 104 PC point have frames of their own elsewhere.
const std::map<std::string, TMaker>& Makers() {
  static const std::map<std::string, TMaker> makers{
      {"TFramePortActive", PortActive}, {"TFramePortTKR", PortTKR},
      {"TFramePortPC", PortPC},         {"TFramePortPCE", PortPlain},
      {"TFramePortPC4", PortPlain},     {"TFramePort104", PortPlain},
      {"TFramePortVLM", PortPlain},     {"TFramePortSNTP", PortSNTP},
      {"TFramePortTime", PortTime},     {"TFramePortTr", PortPlain},
      {"TFramePortAd", PortDebug},      {"TFramePortMkR", PortDebug},
      {"TFramePortLamD", PortPlain},    {"TFramePortLamI", PortPlain},
      {"TFramePortModbus", PortModbus}, {"TFramePortMKT3R", PortPlain},
      {"TFramePortMKT2R", PortRecv},    {"TFramePortRPT80R", PortRecv},
      {"TFramePortLisnaC", PortLisna},  {"TFramePortLisnaM", PortLisna},
      {"TFramePortLisnaV", PortLisna},  {"TFramePointSIRIUS", PointSirius},
      {"TFramePointTM120", PointTm120}, {"TFramePoint101", Point101},
      {"TFramePointTKR", PointTkr},     {"TFramePointGranit", PointGranit},
      {"TFramePointPCE", PointPCE},     {"TFramePoint104", Point104},
      {"TFramePointVLM", PointVLM},     {"TFramePointLisnaC", PointLisnaC},
      {"TFramePointLisnaM", PointLisnaM}, {"TFramePointLisnaV", PointLisnaV},
  };
  return makers;
}

}  // namespace

void RegisterPortFrames() {
  for (const TPortKind* kind : PortKinds())
    if (const auto it = Makers().find(kind->frameClass); it != Makers().end())
      RegisterFrame(kind->className, it->second);
  for (const TPointKind* kind : PointKinds())
    if (const auto it = Makers().find(kind->frameClass); it != Makers().end())
      RegisterFrame(kind->className, it->second);
}

}  // namespace vlm
