// Port and point frames offscreen: the poll sequence rings, the TI group editor, templates, the
// modem page, the group-kind map, the IP clipboard, the Лисна reference tables, and that showing
// and applying any frame leaves its record unchanged.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QtTest>
#include <cmath>
#include <numbers>

#include "PortFramesUtil.h"
#include "model/Config.h"
#include "ports/VLM_PortAct.h"
#include "ports/ui/FramePortActive.h"
#include "ports/ui/FramePortLisna.h"
#include "ports/ui/FramePortRecv.h"
#include "ports/ui/FramePortTKR.h"
#include "ports/ui/TIGroupEditor.h"

using namespace vlm;
using namespace vlm::test;

namespace {

// Where the documented ring puts step i of n: 30 degrees apart up to 12 steps, 360/n beyond.
QPoint Expected(int i, int n, QPoint centre, int r) {
  const double step = n <= 12 ? std::numbers::pi / 6 : 2 * std::numbers::pi / n;
  const double theta = i * step;
  return {centre.x() + static_cast<int>(std::lround(r * std::sin(theta))) - 12,
          centre.y() - static_cast<int>(std::lround(r * std::cos(theta))) - 12};
}

void Click(QWidget* w) {
  QVERIFY2(w, "control not found");
  QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
}

bool IsAqua(QWidget* w) { return w->palette().color(QPalette::Window) == QColor(0, 255, 255); }

std::vector<uint8_t> Record(TObj& obj) {
  TConfig cfg;
  obj.WriteConfig(cfg);
  const auto image = cfg.Image();
  return {image.begin(), image.end()};
}

// Every plain numeric item moved off its default, inside the editor's range.
void OffDefault(TItemValues& values) {
  for (const TItemDef& def : values.Table()) {
    if (def.IsMarker() || def.kind == TItemKind::Blob) continue;
    if (def.kind == TItemKind::Text || def.kind == TItemKind::Text256) {
      values.SetText(def.id, "Место 1");
      continue;
    }
    const int64_t unit = def.unit;
    const int64_t up = def.def + unit * def.step;
    values.Set(def.id, up <= ItemMax(def) ? up : ItemMin(def));
    for (const TChoice& c : ItemChoices(def))
      if (c.value != def.def) values.Set(def.id, c.value);
  }
}

}  // namespace

class PortFramesTest : public QObject {
  Q_OBJECT
 private slots:
  void RingPlacesStepsClockwiseFromTheTop();
  void ActiveRingRefusesThe256thStep();
  void ActiveRingInsertsSelectsDeletesAndHighlights();
  void TkrRingStoresKindsAndPauses();
  void GroupPeriodsShownInTheLargestWholeUnit();
  void GroupEditorUseMaskDeltasAndTemplate();
  void PointTemplatesCopyExactlyTheirFields();
  void ModemPageFollowsTheHardwarePort();
  void PhaseModulationRenamesTheCarrier();
  void GroupKindMapSetsSelectedGroupsOnly();
  void IpClipboardCarriesAddresses();
  void LisnaReferenceTables();
  void HardPortBoxListsFreePortsAndBindsAtOnce();
  void EveryFrameKeepsItsRecordOnApply();
};

void PortFramesTest::RingPlacesStepsClockwiseFromTheTop() {
  TPortFramesWorld w;
  auto* port = static_cast<TPortActive*>(w.AddPort(2));
  for (int n : {1, 2, 3, 6, 11, 12, 13, 20, 255}) {
    port->StepCount = static_cast<uint8_t>(n);
    for (int i = 0; i < n; ++i) port->Steps[static_cast<size_t>(i)] = static_cast<uint8_t>(i % 31);
    auto* frame = w.Show<TFramePortActive>(*port);
    QVERIFY(frame);
    TPollRing* ring = frame->Ring();
    QCOMPARE(ring->Shape()->objectName(), QString("ShapeO"));
    const QPoint centre = ring->Shape()->geometry().center() + QPoint(1, 1);
    QCOMPARE(ring->Centre(), centre);
    QCOMPARE(ring->Radius(), ring->Shape()->height() / 2);
    QCOMPARE(ring->Count(), n);
    for (int i = 0; i < n; ++i) {
      QCOMPARE(ring->Panel(i)->pos(), Expected(i, n, centre, ring->Radius()));
      QCOMPARE(ring->Panel(i)->size(), QSize(24, 24));
    }
    QCOMPARE(ring->Panel(0)->text(), n == 1 ? QString("ти") : QString("ти"));
    if (n > 1) QCOMPARE(ring->Panel(1)->text(), QString("1"));
  }
  // Three steps cover only a quarter of the ring: the third sits at 60 degrees.
  port->StepCount = 3;
  auto* frame = w.Show<TFramePortActive>(*port);
  const int r = frame->Ring()->Radius();
  const QPoint c = frame->Ring()->Centre();
  QCOMPARE(frame->Ring()->Panel(2)->pos(),
           QPoint(c.x() + int(std::lround(r * std::sqrt(3.0) / 2)) - 12, c.y() - int(std::lround(r * 0.5)) - 12));

  // TK RES panels are 32 x 24 on the same ring.
  auto* tkr = static_cast<TPortTKR*>(w.AddPort(23));
  tkr->StepCount = 13;
  auto* tkrFrame = w.Show<TFramePortTKR>(*tkr);
  QCOMPARE(tkrFrame->Ring()->Shape()->objectName(), QString("Shape1"));
  QCOMPARE(tkrFrame->Ring()->Panel(12)->size(), QSize(32, 24));
  QCOMPARE(tkrFrame->Ring()->Panel(12)->pos(), Expected(12, 13, tkrFrame->Ring()->Centre(), tkrFrame->Ring()->Radius()));
}

void PortFramesTest::ActiveRingRefusesThe256thStep() {
  TPortFramesWorld w;
  auto* port = static_cast<TPortActive*>(w.AddPort(2));
  auto* frame = w.Show<TFramePortActive>(*port);
  auto* button = w.Child<QPushButton>("ButtonPoint7");
  auto* count = w.Child<QLabel>("LabelStepCount");
  QVERIFY(button && count);
  QVERIFY(!w.Child<QPushButton>("ButtonDelete")->isEnabled());
  for (int i = 0; i < 254; ++i) button->click();
  Click(w.Child<QPushButton>("ButtonAddTI"));  // the 255th step
  QCOMPARE(count->text(), QString("255"));
  QVERIFY(w.prompt.errors.empty());
  button->click();
  QCOMPARE(w.prompt.errors, std::vector<std::string>{"Достигнуто максимальное число шагов опроса."});
  QCOMPARE(frame->Ring()->Count(), 255);
  QCOMPARE(frame->Apply(), 0);
  QCOMPARE(int(port->StepCount), 255);
  QCOMPARE(int(port->Steps[253]), 7);
  QCOMPARE(int(port->Steps[254]), 0);
  QCOMPARE(int(port->Steps[255]), 0);
}

void PortFramesTest::ActiveRingInsertsSelectsDeletesAndHighlights() {
  TPortFramesWorld w;
  auto* port = static_cast<TPortActive*>(w.AddPort(2));
  auto* frame = w.Show<TFramePortActive>(*port);
  TPollRing* ring = frame->Ring();
  // 1, 2, ти, 1
  Click(w.Child<QPushButton>("ButtonPoint1"));
  Click(w.Child<QPushButton>("ButtonPoint2"));
  Click(w.Child<QPushButton>("ButtonAddTI"));
  Click(w.Child<QPushButton>("ButtonPoint1"));
  QCOMPARE(ring->Selected(), 3);
  QCOMPARE(ring->Panel(3)->frameShadow(), QFrame::Raised);
  QCOMPARE(ring->Panel(0)->frameShadow(), QFrame::Sunken);
  Click(ring->Panel(2));  // the TI step: only it is aqua
  QVERIFY(IsAqua(ring->Panel(2)) && !IsAqua(ring->Panel(0)) && !IsAqua(ring->Panel(3)));
  Click(ring->Panel(3));
  QVERIFY(IsAqua(ring->Panel(0)) && IsAqua(ring->Panel(3)));
  QVERIFY(!IsAqua(ring->Panel(1)) && !IsAqua(ring->Panel(2)));
  Click(ring->Panel(0));
  QVERIFY(IsAqua(ring->Panel(0)) && IsAqua(ring->Panel(3)));

  // A step added with a middle step selected goes right after it.
  Click(ring->Panel(1));
  Click(w.Child<QPushButton>("ButtonPoint5"));
  std::vector<uint8_t> points;
  for (const TTkrStep& s : ring->Steps()) points.push_back(s.Point);
  QCOMPARE(points, (std::vector<uint8_t>{1, 2, 5, 0, 1}));
  QCOMPARE(ring->Selected(), 2);
  QCOMPARE(ring->CurrentPoint(), 5);

  // Deleting a later step selects the previous one and makes its point current.
  Click(w.Child<QPushButton>("ButtonDelete"));
  QCOMPARE(ring->Selected(), 1);
  QCOMPARE(ring->CurrentPoint(), 2);
  // Deleting the first keeps the current point and selects the new first step.
  Click(ring->Panel(0));
  Click(ring->Panel(1));  // current point 2 ...
  ring->Select(0);        // ... then the first step (point 1) selected
  QCOMPARE(ring->CurrentPoint(), 1);
  Click(w.Child<QPushButton>("ButtonDelete"));
  QCOMPARE(ring->Selected(), 0);
  QCOMPARE(ring->CurrentPoint(), 1);
  QCOMPARE(w.Child<QLabel>("LabelStepCount")->text(), QString("3"));
  frame->Apply();
  QCOMPARE(int(port->StepCount), 3);
  QCOMPARE(int(port->Steps[0]), 2);
  QCOMPARE(int(port->Steps[1]), 0);
  QCOMPARE(int(port->Steps[2]), 1);
}

void PortFramesTest::TkrRingStoresKindsAndPauses() {
  TPortFramesWorld w;
  auto* port = static_cast<TPortTKR*>(w.AddPort(23));
  auto* frame = w.Show<TFramePortTKR>(*port);
  QCOMPARE(w.Child<QLabel>("LabelPoint")->text(), QString("КП №: 1"));
  Click(w.Child<QPushButton>("ButtonPoint4"));
  QCOMPARE(w.Child<QLabel>("LabelPoint")->text(), QString("КП №: 4"));
  QVERIFY(w.Child<QPushButton>("ButtonPoint4")->font().bold());
  QVERIFY(!w.Child<QPushButton>("ButtonPoint1")->font().bold());
  Click(w.Child<QPushButton>("ButtonTS"));
  Click(w.Child<QPushButton>("ButtonPause"));
  Click(w.Child<QPushButton>("ButtonState"));
  // The port follows the ring at once, without Apply.
  QCOMPARE(int(port->StepCount), 3);
  QCOMPARE(int(port->Steps[0].Point), 4);
  QCOMPARE(int(port->Steps[0].Kind), 1);
  QCOMPARE(int(port->Steps[1].Point), 31);
  QCOMPARE(int(port->Steps[1].Kind), 3);
  QCOMPARE(int(port->Steps[2].Kind), 0);
  QCOMPARE(frame->Ring()->Panel(0)->text(), QString("4 тс"));
  QCOMPARE(frame->Ring()->Panel(1)->text(), QString("П"));
  QVERIFY(IsAqua(frame->Ring()->Panel(0)) && !IsAqua(frame->Ring()->Panel(1)));
  // Clicking the pause keeps the chosen point.
  Click(frame->Ring()->Panel(1));
  QCOMPARE(frame->Ring()->CurrentPoint(), 4);
  QCOMPARE(int(port->CurrentPoint), 4);
  // A second frame opens on the stored current point.
  w.Show<TFramePortTKR>(*port);
  QCOMPARE(w.Child<QLabel>("LabelPoint")->text(), QString("КП №: 4"));
  // The sequence also stops at 255 steps.
  for (int i = 3; i < 256; ++i) w.Child<QPushButton>("ButtonTI")->click();
  QCOMPARE(int(port->StepCount), 255);
  QCOMPARE(w.prompt.errors.size(), size_t{1});
}

void PortFramesTest::GroupPeriodsShownInTheLargestWholeUnit() {
  TPortFramesWorld w;
  TDataPort* port = w.AddPort(2);
  TDataPoint* point = w.AddPoint(*port, 100);
  const int32_t periods[] = {7200000, 120000, 90000};
  for (int g = 1; g <= 3; ++g) {
    (*point->Groups)[g].Used = true;
    (*point->Groups)[g].PollMode = 1;
    (*point->Groups)[g].TimerPeriod = periods[g - 1];
  }
  w.Show(*point);
  auto* editor = w.Child<TTIGroupEditor>("TIGroupEditor");
  auto* spin = w.Child<QSpinBox>("SpinEditTimer");
  auto* unit = w.Child<QComboBox>("ComboBoxUnit");
  QVERIFY(editor && spin && unit);
  QCOMPARE(editor->Grid()->rowCount(), 16);
  QCOMPARE(editor->Grid()->columnCount(), 16);
  const std::pair<int, QString> shown[] = {{2, "час. (до 18)"}, {2, "мин. (до 1092)"}, {90, "сек. (до 65535)"}};
  for (int g = 1; g <= 3; ++g) {
    editor->SelectGroups({g});
    QCOMPARE(spin->value(), shown[g - 1].first);
    QCOMPARE(unit->currentText(), shown[g - 1].second);
    QVERIFY(spin->isEnabled());
  }
  // Another unit shows the stored period by whole units and stores nothing...
  unit->setCurrentIndex(1);
  QCOMPARE(spin->value(), 1);
  QCOMPARE((*point->Groups)[3].TimerPeriod, 90000);
  QCOMPARE(spin->maximum(), 1092);
  // ... an edit stores the value in that unit.
  spin->setValue(3);
  QCOMPARE((*point->Groups)[3].TimerPeriod, 180000);
  // The timer is only for the own-timer mode; two groups or an unused one disable the controls.
  w.Child<QRadioButton>("RadioGroupPoll_0")->click();
  QCOMPARE(int((*point->Groups)[3].PollMode), 0);
  QVERIFY(!spin->isEnabled());
  editor->SelectGroups({1, 2});
  QVERIFY(!w.Child<QWidget>("PanelGroup")->isEnabled());
  editor->SelectGroups({9});
  QVERIFY(!w.Child<QWidget>("PanelGroup")->isEnabled());
  editor->SelectGroups({0});
  QVERIFY(editor->Grid()->selectedItems().isEmpty());
}

void PortFramesTest::GroupEditorUseMaskDeltasAndTemplate() {
  TPortFramesWorld w;
  TDataPort* port = w.AddPort(2);
  TDataPoint* point = w.AddPoint(*port, 100);
  w.Show(*point);
  auto* editor = w.Child<TTIGroupEditor>("TIGroupEditor");
  editor->SelectGroups({17, 18});
  Click(w.Child<QPushButton>("ButtonUse"));
  QVERIFY((*point->Groups)[17].Used && (*point->Groups)[18].Used);
  QTableWidgetItem* cell17 = editor->Grid()->item(1, 1);
  QCOMPARE(cell17->text(), QString("17"));
  QVERIFY(cell17->font().bold());
  QVERIFY(!editor->Grid()->item(1, 3)->font().bold());
  QCOMPARE(editor->Grid()->palette().color(QPalette::Highlight), QColor(0, 255, 0));

  editor->SelectGroups({17});
  w.Child<QCheckBox>("CheckBoxParam1")->setChecked(false);
  w.Child<QCheckBox>("CheckBoxParam8")->setChecked(false);
  w.Child<QSpinBox>("SpinEditDelta3")->setValue(42);
  w.Child<QRadioButton>("RadioGroupPoll_2")->click();
  QCOMPARE(int((*point->Groups)[17].UseMask), 0x7E);
  QCOMPARE(int((*point->Groups)[17].Deltas[2]), 42);
  Click(w.Child<QPushButton>("ButtonToTemplateTI"));
  QVERIFY(w.Child<QPushButton>("ButtonFromTemplateTI")->isEnabled());

  editor->SelectGroups({40, 41});
  Click(w.Child<QPushButton>("ButtonFromTemplateTI"));
  for (int g : {40, 41}) {
    const TTIGroup& group = (*point->Groups)[g];
    QVERIFY(group.Used);
    QCOMPARE(int(group.PollMode), 2);
    QCOMPARE(int(group.UseMask), 0x7E);
    QCOMPARE(int(group.Deltas[2]), 42);
  }
  Click(w.Child<QPushButton>("ButtonUnuse"));
  QVERIFY(!(*point->Groups)[40].Used && !(*point->Groups)[41].Used);

  // The ТМ-120 editor shows groups 1 to 4 in one row, without parameter controls.
  TDataPoint* tm = w.AddPoint(*port, 102);
  w.Show(*tm);
  editor = w.Child<TTIGroupEditor>("TIGroupEditor");
  QCOMPARE(editor->Grid()->rowCount(), 1);
  QCOMPARE(editor->Grid()->columnCount(), 4);
  QCOMPARE(editor->Grid()->item(0, 0)->text(), QString("1"));
  QVERIFY(!w.Child<QCheckBox>("CheckBoxParam1"));
}

void PortFramesTest::PointTemplatesCopyExactlyTheirFields() {
  struct Case {
    uint8_t port, point;
    std::vector<uint8_t> copied;
  };
  const Case cases[] = {
      {2, 100, {151, 112, 113, 6, 115, 116, 210, 211, 117, 114, 118, 119, 120, 121, 122, 126, 127, 152, 197, 198, 214, 218}},
      {2, 105, {113, 6, 115, 116, 117, 114, 119, 120, 156, 157, 121, 158, 118, 159, 160, 161}},
      {23, 107, {183, 151, 6, 115, 116, 117, 114, 118, 119, 120, 121, 126, 127}},
  };
  for (const Case& c : cases) {
    TPortFramesWorld w;
    TDataPort* port = w.AddPort(c.port);
    TDataPoint* source = w.AddPoint(*port, c.point);
    TDataPoint* target = w.AddPoint(*port, c.point);
    OffDefault(source->Values);
    (*source->Groups)[5].Used = true;
    w.Show(*source);
    Click(w.Child<QPushButton>("ButtonToTemplateKP"));
    w.Show(*target);
    QVERIFY(w.Child<QPushButton>("ButtonFromTemplateKP")->isEnabled());
    Click(w.Child<QPushButton>("ButtonFromTemplateKP"));
    for (const TItemDef& def : target->Values.Table()) {
      if (def.IsMarker()) continue;
      const bool copied = std::find(c.copied.begin(), c.copied.end(), def.id) != c.copied.end();
      const int64_t expected = copied ? source->Values.Get(def.id) : def.def;
      if (def.kind == TItemKind::Text) {
        QCOMPARE(target->Values.GetText(def.id), std::string());
        continue;
      }
      if (target->Values.Get(def.id) != expected) qWarning() << "kind" << c.point << "item" << def.id;
      QCOMPARE(target->Values.Get(def.id), expected);
    }
    QVERIFY(!(*target->Groups)[5].Used);
    // The frame shows what the template brought.
    QCOMPARE(w.Child<QSpinBox>("SpinEditSpeed")->value(), int(source->Values.Get(6)));
  }
}

void PortFramesTest::ModemPageFollowsTheHardwarePort() {
  TPortFramesWorld w;
  TDataPort* active = w.AddPort(2);
  TDataPort* tkr = w.AddPort(23);
  const std::pair<TDataPoint*, QString> hints[] = {
      {w.AddPoint(*active, 100), "!!! Для настройки параметров связи должен быть известен аппаратный порт. Выберите аппаратный порт в настройках Активного Порта, к которому подключен этот КП."},
      {w.AddPoint(*active, 105), "!!! Перед настройкой параметров связи Вы должны выбрать аппаратный порт в настройках Активного Порта, управляющего этим КП."},
      {w.AddPoint(*tkr, 107), "!!! Для настройки параметров связи должен быть известен аппаратный порт. Выберите аппаратный порт в настройках Порта, к которому подключен этот КП."},
  };
  for (const auto& [point, hint] : hints) {
    w.Show(*point);
    QCOMPARE(w.Child<QLabel>("LabelHint")->text(), hint);
    QVERIFY(!w.Child<QLabel>("LabelHint")->isHidden());
    QVERIFY(w.Child<QWidget>("PanelModem")->isHidden());
  }
  // A serial port: neither the hint nor the modem settings.
  auto* serial = static_cast<TCardRS*>(w.AddCard(3, 1));
  active->SetHardPort(serial->Ports[0]);
  w.Show(*hints[0].first);
  QVERIFY(w.Child<QLabel>("LabelHint")->isHidden());
  QVERIFY(w.Child<QWidget>("PanelModem")->isHidden());
  // A modem: the modem settings.
  auto* pvs = static_cast<TCardPVS*>(w.AddCard(1, 2));
  active->SetHardPort(pvs->Modem);
  tkr->SetHardPort(pvs->Modem);  // takes it from the active port
  w.Show(*hints[2].first);
  QVERIFY(!w.Child<QWidget>("PanelModem")->isHidden());
  QVERIFY(w.Child<QLabel>("LabelHint")->isHidden());
  QCOMPARE(w.Child<QSpinBox>("SpinEditF0")->value(), 2900);
}

void PortFramesTest::PhaseModulationRenamesTheCarrier() {
  TPortFramesWorld w;
  TDataPort* active = w.AddPort(2);
  TDataPoint* point = w.AddPoint(*active, 100);
  w.Show(*point);
  auto* f0 = w.Child<QSpinBox>("SpinEditF0");
  auto* f1 = w.Child<QSpinBox>("SpinEditF1");
  QWidget* f0Label = nullptr;
  for (QLabel* l : w.frame->findChildren<QLabel*>())
    if (l->buddy() == f0) f0Label = l;
  QVERIFY(f0Label);
  QCOMPARE(static_cast<QLabel*>(f0Label)->text(), QString("Частота сигнала \"0\", Гц"));
  w.Child<QRadioButton>("RadioGroupModulation_1")->click();
  QCOMPARE(point->Values.Get(113), int64_t{8});
  QCOMPARE(static_cast<QLabel*>(f0Label)->text(), QString("Частота несущей, Гц"));
  QVERIFY(!f1->isEnabled());
  w.Child<QRadioButton>("RadioGroupModulation_0")->click();
  QCOMPARE(point->Values.Get(113), int64_t{4});
  QCOMPARE(static_cast<QLabel*>(f0Label)->text(), QString("Частота сигнала \"0\", Гц"));
  QVERIFY(f1->isEnabled());
  // ">" copies the transmit frequency into the receive frequency.
  f0->setValue(1234);
  Click(w.Child<QPushButton>("ButtonCopyF0"));
  QCOMPARE(point->Values.Get(210), int64_t{1234});
  // The link-loss time is edited only for the time criterion.
  auto* time = w.Child<QSpinBox>("SpinEditLinkLoss");
  QVERIFY(!time->isEnabled());
  w.Child<QRadioButton>("RadioGroupLinkLoss_1")->click();
  QVERIFY(time->isEnabled());
  QCOMPARE(time->singleStep(), 1000);
  // The station kind renames the point at once.
  w.Child<QRadioButton>("RadioGroupKind_1")->click();
  QVERIFY(QString::fromStdString(point->Node->Text()).startsWith("№1 Станция КП"));
}

void PortFramesTest::GroupKindMapSetsSelectedGroupsOnly() {
  TPortFramesWorld w;
  TDataPort* mkt2 = w.AddPort(10);
  auto* frame = w.Show<TFramePortRecv>(*mkt2);
  QTableWidget* grid = frame->Map()->Grid();
  QCOMPARE(grid->rowCount(), 3);  // 30 groups
  w.Child<QRadioButton>("RadioGroupGroups_1")->click();
  QCOMPARE(mkt2->Values.Get(150), int64_t{20});
  QCOMPARE(grid->rowCount(), 2);
  grid->item(0, 0)->setSelected(true);
  grid->item(1, 9)->setSelected(true);
  Click(w.Child<QLabel>("PanelTS"));
  grid->clearSelection();
  grid->item(0, 1)->setSelected(true);
  Click(w.Child<QLabel>("PanelTI"));
  const std::string map = mkt2->Values.GetText(155);
  QCOMPARE(map.size(), size_t{30});
  QCOMPARE(uint8_t(map[0]), uint8_t{0x90});
  QCOMPARE(uint8_t(map[1]), uint8_t{0x20});
  QCOMPARE(uint8_t(map[19]), uint8_t{0x90});
  QCOMPARE(uint8_t(map[2]), uint8_t{0});
  QCOMPARE(grid->item(0, 0)->text(), QString("1 ТС"));
  QCOMPARE(grid->item(0, 0)->background().color(), QColor(Qt::blue));
  QCOMPARE(grid->item(0, 1)->background().color(), QColor(0, 255, 255));
  Click(w.Child<QLabel>("PanelEmpty"));
  QCOMPARE(uint8_t(mkt2->Values.GetText(155)[1]), uint8_t{0});

  // RPT80: 241 groups on 25 rows; the cells past group 241 take no kind.
  TDataPort* rpt = w.AddPort(12);
  frame = w.Show<TFramePortRecv>(*rpt);
  grid = frame->Map()->Grid();
  QCOMPARE(grid->rowCount(), 25);
  grid->selectAll();
  Click(w.Child<QLabel>("PanelTI"));
  const std::string all = rpt->Values.GetText(155);
  QCOMPARE(all.size(), size_t{241});
  QCOMPARE(std::count(all.begin(), all.end(), char(0x20)), std::ptrdiff_t{241});
  QCOMPARE(grid->item(24, 0)->text(), QString("241 ТИ"));
  QCOMPARE(grid->item(24, 1)->text(), QString());
  // The place is the node's text.
  w.Child<QLineEdit>("EditPlace")->setText("Подстанция");
  QVERIFY(QString::fromStdString(rpt->Node->Text()).endsWith(" Подстанция"));
}

void PortFramesTest::IpClipboardCarriesAddresses() {
  TPortFramesWorld w;
  TDataPort* port = w.AddPort(24);
  TDataPoint* a = w.AddPoint(*port, 109);
  TDataPoint* b = w.AddPoint(*port, 109);
  w.Show(*a);
  QVERIFY(!w.Child<QPushButton>("ButtonPasteIP")->isEnabled());
  QVERIFY(!w.Child<QSpinBox>("SpinEditC")->isEnabled());
  w.Child<QSpinBox>("SpinEditIP1")->setValue(10);
  w.Child<QSpinBox>("SpinEditIP4")->setValue(7);
  QCOMPARE(a->Values.Get(1), int64_t{0x0A000007});
  Click(w.Child<QPushButton>("ButtonCopyIP"));
  QVERIFY(w.Child<QPushButton>("ButtonPasteGateway")->isEnabled());
  w.Show(*b);
  QVERIFY(w.Child<QPushButton>("ButtonPasteIP")->isEnabled());
  Click(w.Child<QPushButton>("ButtonPasteGateway"));
  QCOMPARE(b->Values.Get(187), int64_t{0x0A000007});
  QCOMPARE(w.Child<QSpinBox>("SpinEditGateway1")->value(), 10);
  QCOMPARE(b->Values.Get(1), int64_t{0});
  // Time-outs are edited in seconds and stored in ms.
  w.Child<QSpinBox>("SpinEditT1")->setValue(20);
  QCOMPARE(b->Values.Get(165), int64_t{20000});
}

void PortFramesTest::LisnaReferenceTables() {
  const std::vector<QString> six = LisnaCodes(6);
  QCOMPARE(six.size(), size_t{15});
  QCOMPARE(six.front(), QString("1= 110000 (1-2)"));
  QCOMPARE(six[5], QString("6= 011000 (2-3)"));
  QCOMPARE(six.back(), QString("15= 000011 (5-6)"));
  const std::vector<QString> five = LisnaCodes(5);
  QCOMPARE(five.size(), size_t{10});
  QCOMPARE(five.front(), QString("1= 11000 (1-2)"));
  QCOMPARE(five.back(), QString("10= 00011 (4-5)"));

  TPortFramesWorld w;
  TDataPort* lisnaC = w.AddPort(20);
  w.Show(*lisnaC);
  auto* channels = w.Child<QTableWidget>("StringGridChannels");
  QCOMPARE(channels->rowCount(), 19);
  QCOMPARE(channels->horizontalHeaderItem(1)->text(), QString("Несущая, Гц"));
  QCOMPARE(channels->item(0, 1)->text(), QString("450"));
  QCOMPARE(channels->item(18, 1)->text(), QString("3690"));
  QVERIFY(!channels->isEnabled());
  w.Show(*lisnaC->ChildObject(0));
  auto* codes = w.Child<QTableWidget>("StringGridCodes");
  QCOMPARE(codes->rowCount(), 15);
  QCOMPARE(codes->horizontalHeaderItem(0)->text(), QString("Адрес КП"));
  QCOMPARE(codes->item(14, 1)->text(), QString("000011 (5-6)"));
  TDataPort* lisnaV = w.AddPort(21);
  w.Show(*w.AddPoint(*lisnaV, 112));
  QCOMPARE(w.Child<QTableWidget>("StringGridCodes")->rowCount(), 10);
  w.Show(*w.AddPoint(*w.AddPort(25), 111));
  QVERIFY(!w.Child<QTableWidget>("StringGridCodes"));
  QCOMPARE(w.Child<QSpinBox>("SpinEditCode")->maximum(), 3836);
}

void PortFramesTest::HardPortBoxListsFreePortsAndBindsAtOnce() {
  TPortFramesWorld w;
  auto* card = static_cast<TCardRS*>(w.AddCard(3, 1));
  TDataPort* a = w.AddPort(7);
  TDataPort* b = w.AddPort(8);
  b->SetHardPort(card->Ports[0]);
  w.Show(*a);
  auto* combo = w.Child<QComboBox>("ComboBoxHardPort");
  QCOMPARE(combo->count(), 7);  // B's port is not offered
  QCOMPARE(combo->currentIndex(), -1);
  QVERIFY(!w.Child<QPushButton>("ButtonHardPort")->isEnabled());
  combo->setCurrentIndex(2);
  emit combo->activated(2);
  QCOMPARE(w.Controller()->HardPortOf(a), card->Ports[3]);
  QVERIFY(w.Child<QPushButton>("ButtonHardPort")->isEnabled());
  // The port number renames the node at once; the old ПУ frame has no overflow flag.
  w.Child<QSpinBox>("SpinEditNumber")->setValue(12);
  QVERIFY(QString::fromStdString(a->Node->Text()).startsWith("№12 Порт ЭВМ"));
  QVERIFY(w.Child<QCheckBox>("CheckBoxOverflow")->isVisibleTo(w.frame.get()));
  w.Show(*b);
  QCOMPARE(w.Child<QComboBox>("ComboBoxHardPort")->currentText(),
           QString::fromStdString(card->Ports[0]->GetCaption()));
  QVERIFY(!w.Child<QCheckBox>("CheckBoxOverflow")->isVisibleTo(w.frame.get()));
  // Modules in debugging show their note with every control disabled.
  w.Show(*w.AddPort(15));
  QVERIFY(w.Child<QLabel>("LabelNote")->text().contains("UNIO96"));
  QVERIFY(!w.Child<QSpinBox>("SpinEditNumber")->isEnabled());
}

// Showing a frame and applying it without an edit must not change a single byte of the record,
// for every kind whose frame lives here, with every item off its default.
void PortFramesTest::EveryFrameKeepsItsRecordOnApply() {
  TPortFramesWorld w;
  auto* card = static_cast<TCardRS*>(w.AddCard(3, 1));
  int shown = 0;
  for (const TPortKind* kind : PortKinds()) {
    TDataPort* port = w.AddPort(kind->typeId);
    port->Number = 9;
    if (kind->hard != THardRule::Constant) port->SetHardPort(card->Ports[0]);
    OffDefault(port->Values);
    if (!w.Show(*port)) continue;
    ++shown;
    QCOMPARE(w.Child<QSpinBox>("SpinEditNumber")->value(), 9);
    const auto before = Record(*port);
    QCOMPARE(w.frame->Apply(), 0);
    if (Record(*port) != before) qWarning() << kind->className;
    QVERIFY(Record(*port) == before);
  }
  QCOMPARE(shown, 26 - 4);  // passive, board and both transmit ports have their frames elsewhere
  TDataPort* holder = w.AddPort(2);
  int points = 0;
  for (const TPointKind* kind : PointKinds()) {
    TDataPoint* point = w.AddPoint(*holder, kind->typeId);
    OffDefault(point->Values);
    if (!w.Show(*point)) continue;
    ++points;
    const auto before = Record(*point);
    QCOMPARE(w.frame->Apply(), 0);
    if (Record(*point) != before) qWarning() << kind->className;
    QVERIFY(Record(*point) == before);
  }
  QCOMPARE(points, 13 - 2);  // the Modbus device and the IEC 104 PC point have theirs elsewhere
  w.prompt.errors.clear();
}

QTEST_MAIN(PortFramesTest)
#include "PortFramesTest.moc"
