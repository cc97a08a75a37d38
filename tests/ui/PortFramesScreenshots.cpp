// Pictures of every port and point frame of this library, with typical contents, written as PNG
// files into the screenshots folder (VELMOR_SCREENSHOTS) for a person to look at.
#include <QDir>
#include <QTabWidget>
#include <QtTest>

#include "PortFramesUtil.h"
#include "ports/VLM_PortAct.h"
#include "ports/ui/TIGroupEditor.h"

using namespace vlm;
using namespace vlm::test;

class PortFramesScreenshots : public QObject {
  Q_OBJECT
 private slots:
  void EveryFrame();

 private:
  void Shoot(TPortFramesWorld& w, TObj& obj, const QString& suffix = {}, int page = -1);
  QDir dir_{QStringLiteral(VELMOR_SCREENSHOTS)};
  int written_ = 0;
};

void PortFramesScreenshots::Shoot(TPortFramesWorld& w, TObj& obj, const QString& suffix, int page) {
  if (!w.Show(obj)) return;
  if (page >= 0)
    if (auto* tabs = w.Child<QTabWidget>("PageControl")) tabs->setCurrentIndex(page);
  QApplication::processEvents();
  const QString name = QStringLiteral("ports_%1_%2%3.png").arg(w.frame->objectName(), obj.ClassName(), suffix);
  QVERIFY2(w.frame->grab().save(dir_.filePath(name)), qPrintable(name));
  ++written_;
}

void PortFramesScreenshots::EveryFrame() {
  QVERIFY(dir_.mkpath(QStringLiteral(".")));
  TPortFramesWorld w;
  auto* card = static_cast<TCardRS*>(w.AddCard(3, 1));
  auto* pvs = static_cast<TCardPVS*>(w.AddCard(1, 3));

  auto* active = static_cast<TPortActive*>(w.AddPort(2));
  active->Number = 1;
  active->Comment = "Северный куст";
  active->SetHardPort(pvs->Modem);
  const uint8_t steps[] = {1, 2, 0, 3, 1, 4, 0, 5, 6, 0, 7, 1, 8, 9};
  active->StepCount = sizeof steps;
  std::copy(std::begin(steps), std::end(steps), active->Steps.begin());
  Shoot(w, *active);

  auto* tkr = static_cast<TPortTKR*>(w.AddPort(23));
  tkr->Number = 2;
  tkr->SetHardPort(card->Ports[1]);
  const TTkrStep tkrSteps[] = {{1, 0}, {1, 1}, {2, 1}, {2, 2}, {31, 3}, {3, 1}, {1, 2}};
  tkr->StepCount = std::size(tkrSteps);
  std::copy(std::begin(tkrSteps), std::end(tkrSteps), tkr->Steps.begin());
  tkr->CurrentPoint = 1;
  Shoot(w, *tkr);

  // Points under the modem-bound active port, each page of the modem points.
  for (uint8_t id : {100, 102, 105}) {
    TDataPoint* point = w.AddPoint(*active, id);
    for (int g : {1, 2, 5, 17, 18, 40}) (*point->Groups)[g].Used = true;
    point->SetPlace("ПС Заречная");
    for (int page = 0; page < 3; ++page) Shoot(w, *point, QStringLiteral("_page%1").arg(page), page);
  }
  TDataPoint* tkrPoint = w.AddPoint(*tkr, 107);
  for (int page = 0; page < 3; ++page) Shoot(w, *tkrPoint, QStringLiteral("_page%1").arg(page), page);
  Shoot(w, *w.AddPoint(*active, 108));
  // A point whose port has no hardware port shows the hint on its link page.
  TDataPort* unbound = w.AddPort(2);
  Shoot(w, *w.AddPoint(*unbound, 100), QStringLiteral("_hint"), 1);

  for (const TPortKind* kind : PortKinds()) {
    if (kind->typeId == 2 || kind->typeId == 23) continue;
    TDataPort* port = w.AddPort(kind->typeId);
    port->Number = 5;
    if (kind->typeId == 10 || kind->typeId == 12) {
      std::string map(kind->typeId == 10 ? 30 : 241, '\0');
      for (size_t i = 0; i < map.size(); ++i) map[i] = static_cast<char>(i % 3 == 0 ? 0x90 : i % 3 == 1 ? 0x20 : 0);
      port->Values.SetText(155, map);
      Shoot(w, *port, QStringLiteral("_map"), 1);
    }
    Shoot(w, *port, {}, 0);
    for (size_t i = 0; i < port->ChildCount(); ++i) Shoot(w, *port->ChildObject(i));
    if (kind->childIds.empty() || kind->singleChild) continue;
    for (uint8_t childId : kind->childIds)
      if (childId != 100 && childId != 102 && childId != 105 && childId != 107 && childId != 108)
        Shoot(w, *w.AddPoint(*port, childId));
  }
  QVERIFY(written_ >= 40);
  qInfo() << "screenshots written:" << written_;
}

QTEST_MAIN(PortFramesScreenshots)
#include "PortFramesScreenshots.moc"
