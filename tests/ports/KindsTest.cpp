// Kind facts that the tree, the menus and the editors take from the core: names, captions, node
// texts and images, menus, table capacities, templates and the poll sequence editing.
#include <set>

#include "PortsFixture.h"
#include "ports/PortMenus.h"
#include "ports/VLM_PortAct.h"

namespace vlm::test {
namespace {

class Kinds : public PortsFixture {};

TEST_F(Kinds, ProcessorMenuListsThePortActionsInOrderWithHiddenOnes) {
  std::vector<std::string> shown, hidden;
  const auto entries = MenuEntries(TPopupMenu::Processor);
  for (const TMenuEntry& e : entries) (e.visible ? shown : hidden).push_back(e.action);
  const std::vector<std::string> expected = {
      "ActionNewPortActive", "ActionNewPortPassive", "ActionNewPortPC",     "ActionNewPortPCE",
      "ActionNewPortPC4",    "ActionNewPortLamp",    "ActionNewPortOldPU",  "ActionNewPortMKT2R",
      "ActionNewPortMKT3R",  "ActionNewPortMKT3T",   "ActionNewPortRPT80R", "ActionNewPortRPT80T",
      "ActionNewPortLisnaV", "ActionNewPortLisnaM",  "ActionNewPortLisnaC", "ActionNewPortMkR",
      "ActionNewPortTime",   "ActionNewPortTKR",     "ActionNewPortVLM",    "ActionNewPortModbus",
      "ActionNewPortLamI",   "",                     "ActionSortPorts"};
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(hidden, (std::vector<std::string>{"ActionNewPortAd", "ActionNewPort104", "ActionNewPortLamD"}));
  // The hidden ones keep their places: Ad between RPT80T and LisnaV.
  EXPECT_STREQ(entries[12].action, "ActionNewPortAd");
  EXPECT_STREQ(entries[2].text, "Добавить Порт ЭВМ (RS-232/485)");
  EXPECT_STREQ(entries.back().text, "Сортировать Порты по номеру");
}

TEST_F(Kinds, PortMenusOfferTheirPointsThenDelete) {
  const auto active = MenuEntries(TPopupMenu::PortActive);
  ASSERT_EQ(active.size(), 7u);
  EXPECT_STREQ(active[0].text, "Добавить КП СИРИУС");
  EXPECT_STREQ(active[1].text, "Добавить КП МЭК101");
  EXPECT_STREQ(active[2].text, "Добавить КП ТМ120");
  EXPECT_STREQ(active[3].text, "Добавить КП ГРАНИТ");
  EXPECT_STREQ(active[4].text, "Добавить КП СИСТЕЛ");
  EXPECT_FALSE(active[4].enabled);
  EXPECT_TRUE(active[5].IsSeparator());
  EXPECT_STREQ(active[6].text, "Удалить");
  EXPECT_STREQ(MenuEntries(TPopupMenu::PortLisnaM)[0].text, "Добавить КП Лисна-M");
  EXPECT_EQ(MenuEntries(TPopupMenu::PortLisnaC).size(), 1u);
  EXPECT_STREQ(MenuEntries(TPopupMenu::HardPort)[0].text, "Отмена");
  EXPECT_TRUE(MenuEntries(TPopupMenu::None).empty());
}

TEST_F(Kinds, TablesDescribeEachItemOnceAndEveryKindIsRegistered) {
  std::set<int> portIds, pointIds;
  for (const TPortKind* kind : PortKinds()) {
    EXPECT_TRUE(portIds.insert(kind->typeId).second);
    std::set<int> ids;
    for (const TItemDef& d : kind->items)
      if (!d.IsMarker()) {
        EXPECT_TRUE(ids.insert(d.id).second) << kind->className << " " << int(d.id);
      }
    EXPECT_NE(vlm::Kinds().Find(TKindFamily::Port, kind->typeId), nullptr);
  }
  for (const TPointKind* kind : PointKinds()) {
    EXPECT_TRUE(pointIds.insert(kind->typeId).second);
    EXPECT_NE(vlm::Kinds().Find(TKindFamily::Point, kind->typeId), nullptr);
  }
  EXPECT_EQ(portIds.size(), 26u);
  EXPECT_EQ(pointIds.size(), 13u);
  EXPECT_EQ(FindPortKind(4), nullptr);
}

TEST_F(Kinds, TableCapacitiesMatchTheController) {
  auto capacities = [](std::span<const TRowTableDef> tables) {
    std::vector<int> out;
    for (const TRowTableDef& t : tables) out.push_back(t.capacity);
    return out;
  };
  EXPECT_EQ(capacities(FindPortKind(3)->tables), (std::vector<int>{256, 2041, 256, 8192}));
  EXPECT_EQ(capacities(FindPortKind(5)->tables), (std::vector<int>{8001, 1024, 257}));
  EXPECT_EQ(capacities(FindPortKind(9)->tables), (std::vector<int>{64, 64}));
  EXPECT_EQ(capacities(FindPortKind(13)->tables), (std::vector<int>{241, 241}));
  EXPECT_EQ(capacities(FindPointKind(114)->tables), (std::vector<int>{8001, 4001}));
  EXPECT_EQ(capacities(FindPointKind(106)->tables), (std::vector<int>{256, 256}));
}

TEST_F(Kinds, PortCaptionsAndNodeTexts) {
  TDataPort* pc = AddPortOf(7);
  EXPECT_EQ(pc->Node->Text(), "№0 Порт ЭВМ ");
  EXPECT_EQ(pc->Node->ImageIndex(), 1);
  pc->Number = 4;
  pc->Comment = "сев";
  pc->UpdateNode();
  EXPECT_EQ(pc->Node->Text(), "№4 Порт ЭВМ {сев}");
  TDataPort* mkt2 = AddPortOf(10);
  mkt2->SetPlace("Узел 3");
  mkt2->UpdateNode();
  EXPECT_EQ(mkt2->Node->Text(), "№0 Порт приёма MKT2  Узел 3");
  EXPECT_EQ(mkt2->PopupMenu, TPopupMenu::Delete);
  EXPECT_EQ(AddPortOf(2)->PopupMenu, TPopupMenu::PortActive);
}

TEST_F(Kinds, PointNamesFollowTheirKind) {
  TDataPort* active = AddPortOf(2);
  TDataPoint* sirius = AddPointOf(*active, 100);
  EXPECT_EQ(sirius->Node->Text(), "№1 КП ");
  sirius->Values.Set(151, 1);
  sirius->SetPlace("Гора");
  sirius->UpdateNode();
  EXPECT_EQ(sirius->Node->Text(), "№1 Станция КП Гора");
  EXPECT_EQ(sirius->TypeName, "Станция КП");
  EXPECT_EQ(sirius->Node->ImageIndex(), 2);
  EXPECT_EQ(AddPointOf(*active, 105)->GetCaption(), "№1 КП  МЭК101");
  TDataPoint* tm = AddPointOf(*active, 102);
  tm->SetPlace("Х");
  tm->UpdateNode();
  EXPECT_EQ(tm->Node->Text(), "№1 КП ТМ120 Х");
  TDataPoint* tkr = AddPointOf(*AddPortOf(23), 107);
  const std::pair<int, const char*> names[] = {
      {1, "\"КП-1\""}, {2, "\"КП-2\""}, {3, "\"Имитатор\""}, {4, "Неверный тип КП"}};
  for (const auto& [kind, name] : names) {
    tkr->Values.Set(151, kind);
    EXPECT_EQ(tkr->GetCaption(), std::string("№1 ") + name);
  }
  TDataPoint* pce = AddPointOf(*AddPortOf(17), 104);
  EXPECT_EQ(pce->Node->ImageIndex(), 11);
  EXPECT_EQ(pce->Node->Text(), "№1 ЭВМ ");
}

TEST_F(Kinds, LinkPortsComeWithTheirSinglePoint) {
  TDataPort* lisna = AddPortOf(20);
  ASSERT_EQ(lisna->ChildCount(), 1u);
  EXPECT_STREQ(lisna->ChildObject(0)->ClassName(), "TPointLisnaC");
  EXPECT_EQ(lisna->ChildObject(0)->PopupMenu, TPopupMenu::HardPort);
  TDataPort* vlm = AddPortOf(27);
  ASSERT_EQ(vlm->ChildCount(), 1u);
  EXPECT_EQ(vlm->ChildObject(0)->PopupMenu, TPopupMenu::None);
  // Reading them back does not add a second point.
  const Bytes image = WriteImage();
  ReadImage(image);
  EXPECT_EQ(ProcessorNode().Child(0)->Count(), 1u);
  EXPECT_EQ(ProcessorNode().Child(1)->Count(), 1u);
  EXPECT_EQ(WriteImage(), image);
}

TEST_F(Kinds, PointTemplatesCopyOnlyTheirSettings) {
  TDataPort* active = AddPortOf(2);
  TDataPoint* a = AddPointOf(*active, 105);
  TDataPoint* b = AddPointOf(*active, 105);
  TDataPoint* sirius = AddPointOf(*active, 100);
  EXPECT_FALSE(PointTemplates().Apply(*sirius));
  a->SetNumber(9);
  a->SetPlace("А");
  a->Values.Set(156, 100);
  a->Values.Set(113, 8);
  (*a->Groups)[4].Used = true;
  PointTemplates().Store(*a);
  ASSERT_TRUE(PointTemplates().Has(105));
  EXPECT_TRUE(PointTemplates().Apply(*b));
  EXPECT_EQ(b->Values.Get(156), 100);
  EXPECT_EQ(b->Values.Get(113), 8);
  EXPECT_EQ(b->Number(), 1);
  EXPECT_EQ(b->Place(), "");
  EXPECT_FALSE((*b->Groups)[4].Used);
  EXPECT_FALSE(PointTemplates().Has(100));
}

TEST_F(Kinds, GroupTemplateCopiesPollingAndMarksUsed) {
  TTIGroup source(3), target(9);
  source.PollMode = 1;
  source.TimerPeriod = 7200000;
  source.UseMask = 0x81;
  source.Deltas[0] = 2;
  StoreGroupTemplate(source);
  TTIGroup* targets[] = {&target};
  ASSERT_TRUE(ApplyGroupTemplate(targets));
  EXPECT_TRUE(target.Used);
  EXPECT_EQ(target.Number, 9);
  EXPECT_EQ(target.TimerPeriod, 7200000);
  EXPECT_EQ(target.UseMask, 0x81);
  EXPECT_EQ(target.Deltas[0], 2);
}

TEST_F(Kinds, ModemPageFollowsTheHardwareInterfaceOfThePort) {
  TDataPort* active = AddPortOf(2);
  TDataPoint* point = AddPointOf(*active, 100);
  EXPECT_EQ(point->HardInterface(), 0);
  active->SetHardPort(AddCard(0)->Ports[0]);
  EXPECT_EQ(point->HardInterface(), 1);
}

TEST_F(Kinds, TextsAreCutToWholeCharactersThatFitTheImage) {
  TDataPoint* point = AddPointOf(*AddPortOf(17), 104);
  std::string place;
  for (int i = 0; i < 300; ++i) place += "Ж";
  point->SetPlace("a" + place);
  EXPECT_EQ(point->Place(), "a" + place.substr(0, 254 * 2));
  point->SetPlace("abc");
  EXPECT_EQ(point->Place(), "abc");
}

TEST(PollSequence, InsertsAfterTheSelectedStepUpTo255) {
  TPollSequence seq;
  EXPECT_TRUE(seq.AddActive(1));
  EXPECT_TRUE(seq.AddActive(2));
  seq.Select(0);
  EXPECT_TRUE(seq.AddActive(0));  // a TI request right after the first step
  ASSERT_EQ(seq.Steps.size(), 3u);
  EXPECT_EQ(seq.Steps[1].Point, 0);
  EXPECT_EQ(seq.Selected, 1);
  while (seq.Steps.size() < 255) ASSERT_TRUE(seq.AddActive(5));
  EXPECT_FALSE(seq.AddActive(6));
  EXPECT_EQ(seq.Steps.size(), 255u);
}

TEST(PollSequence, DeletingAndHighlighting) {
  TPollSequence seq;
  for (uint8_t v : {1, 2, 0, 1}) seq.AddActive(v);
  seq.Select(3);
  EXPECT_EQ(seq.CurrentPoint, 1);
  EXPECT_TRUE(seq.Highlighted(0));
  EXPECT_FALSE(seq.Highlighted(1));
  EXPECT_TRUE(seq.Highlighted(3));
  seq.Select(1);
  seq.Select(0);
  seq.DeleteSelected();  // the first step: the new first is selected, the current point stays
  EXPECT_EQ(seq.Selected, 0);
  EXPECT_EQ(seq.CurrentPoint, 1);
  seq.Select(2);
  seq.DeleteSelected();
  EXPECT_EQ(seq.Selected, 1);
  EXPECT_EQ(seq.CurrentPoint, 0);
}

TEST(PollSequence, TkrPauseKeepsTheCurrentPointAndStoresIntoThePort) {
  TPollSequence seq;
  seq.CurrentPoint = 4;
  seq.AddTkr(TTkrStepKind::TS);
  seq.AddTkr(TTkrStepKind::Pause);
  EXPECT_EQ(seq.CurrentPoint, 4);
  EXPECT_EQ(seq.Steps[1].Point, kTkrPausePoint);
  EXPECT_EQ(seq.Steps[1].Kind, 3);
}

TEST(RingLayout, ThirtyDegreesUpToTwelveStepsThenEvenlySpread) {
  // Centre (100, 100), radius 50: step 0 at the top, step 3 of 4 at 90 degrees clockwise.
  EXPECT_EQ(RingPosition(0, 4, 100, 100, 50).left, 88);
  EXPECT_EQ(RingPosition(0, 4, 100, 100, 50).top, 38);
  EXPECT_EQ(RingPosition(3, 4, 100, 100, 50).left, 138);
  EXPECT_EQ(RingPosition(3, 4, 100, 100, 50).top, 88);
  EXPECT_EQ(RingPosition(6, 12, 100, 100, 50).top, 138);  // half way round
  EXPECT_EQ(RingPosition(12, 24, 100, 100, 50).top, 138);
}

}  // namespace
}  // namespace vlm::test
