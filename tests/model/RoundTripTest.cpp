// Write -> read -> write gives the same bytes for configurations that use every card kind,
// settings off their defaults, Cyrillic text and TI groups; missing items read as defaults.
#include <gtest/gtest.h>

#include "ModelTestUtil.h"
#include "common/Format.h"
#include "common/TextCodec.h"
#include "model/ConfigText.h"
#include "support/ScriptedPrompt.h"

namespace vlm::test {
namespace {

constexpr uint8_t kTestPortId = 14, kTestPointId = 120;

// A point with TI groups and a port that owns such points, registered the way the port
// library registers its kinds: the readers of the model find them by id.
class TTestPoint : public TObj {
 public:
  explicit TTestPoint(TTreeNode* node) : TObj(node) { TypeId = kTestPointId; }
  void UpdateNode() override { Node->SetText(Format("КП %d", {Number})); }
  void WriteConfig(TConfig& cfg) override {
    const size_t start = cfg.OpenContainer(TypeId);
    cfg.WriteU8(111, Number);
    cfg.WriteU8(124, Groups.UsedCount());
    Groups.WriteUsed(cfg);
    cfg.CloseContainer(start);
  }
  void ReadConfig(TConfig& cfg) override {
    cfg.ReadU8(111, Number);
    uint8_t count = 0;
    cfg.ReadU8(124, count);
    Groups.Read(cfg, count);
    UpdateNode();
  }
  uint8_t Number = 1;
  TTIGroups Groups;
};

class TTestPort : public TSoftPort {
 public:
  explicit TTestPort(TTreeNode* node) : TSoftPort(node) {
    TypeName = "Порт Тест";
    TypeId = kTestPortId;
    UpdateNode();
  }
  void WriteConfig(TConfig& cfg) override {
    TSoftPort::WriteConfig(cfg);
    WriteChildCountItem(cfg, nullptr);
    WriteChildren(cfg);
    EndConfig(cfg);
  }
  void ReadConfig(TConfig& cfg) override {
    TSoftPort::ReadConfig(cfg);
    uint8_t count = 0;
    cfg.ReadU8(108, count);
    static constexpr uint8_t kAccepted[] = {kTestPointId};
    for (int i = 0; i < count; ++i) ReadChild(cfg, TKindFamily::Point, *Node, "Ошибка идентификатора КП\rid=", kAccepted);
  }
};

class RoundTripTest : public ::testing::Test {
 protected:
  RoundTripTest() : guard(prompt) {
    Kinds().Register({TKindFamily::Port, kTestPortId, "TTestPort", "", "", &MakeObject<TTestPort>});
    Kinds().Register({TKindFamily::Point, kTestPointId, "TTestPoint", "", "", &MakeObject<TTestPoint>});
  }
  ScriptedPrompt prompt;
  PromptGuard guard;
};

TCardRS* AddRsCard(TController& controller, uint8_t id, uint8_t address, uint8_t irq) {
  auto* card = static_cast<TCardRS*>(Kinds().Create(TKindFamily::Card, id, *controller.Node));
  card->SetAddress(address);
  card->SetIRQ(irq);
  return card;
}

// Every card kind, ports off their defaults, a bound software port with a point and groups.
void BuildRichConfiguration(TTree& tree) {
  TStation* station = NewConfiguration(tree);
  station->Place = "Подстанция №5 Ёлкино";
  TController* c1 = static_cast<TController*>(station->ChildObject(0));
  TProcessor* p1 = c1->Processor();
  p1->Number = 12;
  p1->IPAddress = 0xC0A80102;
  p1->Gateway = 0xC0A80101;
  p1->NetMask = 0xFFFF0000;
  TCardRS* c5554 = AddRsCard(*c1, 2, 4, 5);
  c5554->Frequency = 3686400;
  TComPort* com = c5554->Ports[2];
  com->SetInterface(kRs485);
  com->Speed = 115200;
  com->Parity = 2;
  com->StopBits = 1;
  com->FifoLevel = 14;
  com->GapTime = 7;
  com->StartTime = 10;
  com->EndTime = 5;
  com->TestOn = 1;
  com->TestTime = 1234;
  com->TestByte = 0xAA;
  com->AfterTime = 9;
  AddRsCard(*c1, 3, 8, 7);
  TCardRS* ppi = AddRsCard(*c1, 5, 12, 3);
  ppi->Ports[0]->SetInterface(kRs485);
  auto* pvs = static_cast<TCardPVS*>(Kinds().Create(TKindFamily::Card, 1, *c1->Node));
  pvs->SetAddress(3);
  Kinds().Create(TKindFamily::Card, 4, *c1->Node)->Node->Object();
  static_cast<TCard*>(c1->ChildObject(c1->ChildCount() - 1))->SetAddress(0);

  auto* port = static_cast<TTestPort*>(Kinds().Create(TKindFamily::Port, kTestPortId, *p1->Node));
  port->Number = 3;
  port->Comment = "Линия №2";
  port->SetHardPort(com);
  auto* modemPort = static_cast<TTestPort*>(Kinds().Create(TKindFamily::Port, kTestPortId, *p1->Node));
  modemPort->Number = 4;
  modemPort->SetHardPort(pvs->Modem);
  auto* point = static_cast<TTestPoint*>(Kinds().Create(TKindFamily::Point, kTestPointId, *port->Node));
  point->Number = 9;
  TTIGroup& g = point->Groups[17];
  g.Used = true;
  g.PollMode = 1;
  g.TimerPeriod = 90000;
  g.UseMask = 0xF0;
  g.Deltas = {1, 2, 3, 4, 5, 6, 7, 8};
  point->Groups[255].Used = true;
  point->Groups[2].Used = true;

  TController* c2 = AddController(*station->Node);
  c2->Processor()->Number = 2;
  AddRsCard(*c2, 2, 4, 5);  // same address as on the first controller: no conflict
}

TEST_F(RoundTripTest, WriteReadWriteGivesTheSameBytes) {
  TTree tree;
  BuildRichConfiguration(tree);
  const Bytes first = BuildImage(*static_cast<TStation*>(tree.Root()->Object()));
  EXPECT_TRUE(prompt.questions.empty());
  EXPECT_TRUE(prompt.errors.empty());

  TTree again;
  const auto result = ReadImage(first, again);
  ASSERT_FALSE(result.aborted) << (result.errors.empty() ? "" : result.errors[0]);
  EXPECT_TRUE(result.questions.empty());
  const Bytes second = BuildImage(*static_cast<TStation*>(again.Root()->Object()));
  EXPECT_EQ(second, first);
  TTree third;
  ASSERT_FALSE(ReadImage(second, third).aborted);
  EXPECT_EQ(TreeText(third), TreeText(again));
}

TEST_F(RoundTripTest, ReadTreeShowsSettingsAndBindings) {
  TTree tree;
  BuildRichConfiguration(tree);
  TTree again;
  ASSERT_FALSE(ReadImage(BuildImage(*static_cast<TStation*>(tree.Root()->Object())), again).aborted);
  auto* station = static_cast<TStation*>(again.Root()->Object());
  EXPECT_EQ(station->Place, "Подстанция №5 Ёлкино");
  EXPECT_EQ(again.Root()->Text(), "СТАНЦИЯ ПУ Подстанция №5 Ёлкино");
  auto* c1 = static_cast<TController*>(station->ChildObject(0));
  EXPECT_EQ(c1->Node->Text(), "Контроллер (№12)");
  auto* card = static_cast<TCardRS*>(c1->ChildObject(1));
  EXPECT_EQ(card->IRQ, 5);
  EXPECT_EQ(card->Frequency, 3686400);
  TComPort* com = card->Ports[2];
  EXPECT_EQ(com->Node->Text(), "COM-порт 4.3 (RS-485)");
  EXPECT_EQ(com->Speed, 115200);
  EXPECT_EQ(com->FifoLevel, 14);
  EXPECT_EQ(com->TestByte, 0xAA);
  auto* port = static_cast<TTestPort*>(c1->Processor()->ChildObject(0));
  EXPECT_EQ(port->Node->Text(), "№3 Порт Тест {Линия №2}");
  EXPECT_EQ(c1->HardPortOf(port), com);
  auto* modemPort = static_cast<TTestPort*>(c1->Processor()->ChildObject(1));
  EXPECT_EQ(c1->HardNumberOf(modemPort), 0x31);
  auto* point = static_cast<TTestPoint*>(port->ChildObject(0));
  EXPECT_EQ(point->Groups.UsedCount(), 3);
  EXPECT_EQ(point->Groups[17].TimerPeriod, 90000);
  EXPECT_EQ(point->Groups[17].Deltas[7], 8);
  EXPECT_FALSE(point->Groups[16].Used);
}

TEST_F(RoundTripTest, PlaceIsStoredInTheDosCodePage) {
  TTree tree;
  TStation* station = NewConfiguration(tree);
  station->Place = "Ая № 7";
  const Bytes image = BuildImage(*station);
  const Bytes place(image.begin() + 148 + 4, image.begin() + 148 + 4 + 7);
  // А=0xC0 -> 0x80, я=0xFF -> 0xEF, № (0xB9), blanks and the digit unchanged
  EXPECT_EQ(place, (Bytes{6, 0x80, 0xEF, 0x20, 0xB9, 0x20, 0x37}));
}

TEST_F(RoundTripTest, LongPlaceIsCutTo255Bytes) {
  TTree tree;
  TStation* station = NewConfiguration(tree);
  station->Place = std::string(300, 'x');
  const Bytes image = BuildImage(*station);
  EXPECT_EQ(image[152], 255);
  EXPECT_EQ(image.size(), 212u + 255u);
}

TEST_F(RoundTripTest, FifoThreeReadsAsOne) {
  TTree tree;
  TStation* station = NewConfiguration(tree);
  auto* c = static_cast<TController*>(station->ChildObject(0));
  auto* card = AddRsCard(*c, 2, 0, 0);
  card->Ports[0]->FifoLevel = 3;
  card->Ports[1]->FifoLevel = 8;
  TTree again;
  ASSERT_FALSE(ReadImage(BuildImage(*station), again).aborted);
  auto* read = static_cast<TCardRS*>(again.Root()->Child(0)->Child(1)->Object());
  EXPECT_EQ(read->Ports[0]->FifoLevel, 1);
  EXPECT_EQ(read->Ports[1]->FifoLevel, 8);
}

TEST_F(RoundTripTest, TIGroupWithoutMaskAndDeltasReadsDefaults) {
  TImageWriter w;
  w.OpenController();
  w.cfg.WriteU8(104, 1);
  w.Open(kTestPortId);
  w.cfg.WriteU8(108, 1);
  w.Open(kTestPointId);
  w.cfg.WriteU8(124, 1);
  w.Open(200);
  w.cfg.WriteU8(128, 33);
  w.cfg.WriteU8(129, 2);
  TTree tree;
  ASSERT_FALSE(ReadImage(w.Finish(), tree).aborted);
  auto* p = static_cast<TTestPoint*>(tree.Root()->Child(0)->Child(0)->Child(0)->Child(0)->Object());
  const TTIGroup& g = p->Groups[33];
  EXPECT_TRUE(g.Used);
  EXPECT_EQ(g.PollMode, 2);
  EXPECT_EQ(g.UseMask, 255);
  for (uint8_t d : g.Deltas) EXPECT_EQ(d, 7);
}

TEST_F(RoundTripTest, WrongTIGroupAndPointIdsAreRefused) {
  for (uint8_t bad : {uint8_t{201}, uint8_t{0}}) {
    TImageWriter w;
    w.OpenController();
    w.cfg.WriteU8(104, 1);
    w.Open(kTestPortId);
    w.cfg.WriteU8(108, 1);
    w.Open(bad ? kTestPointId : 121);
    w.cfg.WriteU8(124, 1);
    w.Open(bad ? bad : 200);
    TTree tree;
    const auto result = ReadImage(w.Finish(), tree);
    EXPECT_TRUE(result.aborted);
    ASSERT_EQ(result.errors.size(), 1u);
    EXPECT_EQ(result.errors[0], bad ? "Ошибка идентификатора группы ТИ\rid=201" : "Ошибка идентификатора КП\rid=121");
  }
}

TEST_F(RoundTripTest, CardWithoutPortRecordsSkipsThemSilently) {
  TImageWriter w;
  w.OpenController(1, false);
  w.Open(5);
  w.cfg.WriteU8(1, 6);
  for (int i = 0; i < 4; ++i) {
    w.Open(i == 1 ? 128 : 77);
    w.cfg.WriteU8(5, 0x62);
    w.cfg.WriteU8(178, 4);
    w.Close();
  }
  w.Close().Open(153);
  TTree tree;
  const auto result = ReadImage(w.Finish(), tree);
  ASSERT_FALSE(result.aborted) << (result.errors.empty() ? "" : result.errors[0]);
  auto* read = static_cast<TCardRS*>(tree.Root()->Child(0)->Child(1)->Object());
  EXPECT_EQ(read->Address, 6);
  EXPECT_EQ(read->Frequency, kDefaultFrequency);
  EXPECT_EQ(read->Ports[1]->FifoLevel, 4);
  EXPECT_EQ(read->Ports[0]->FifoLevel, 1);
  EXPECT_EQ(read->Ports[1]->Number, 2);
}

TEST_F(RoundTripTest, ConflictsInAFileAreConfirmedWhileLoading) {
  TTree tree;
  TStation* station = NewConfiguration(tree);
  auto* c = static_cast<TController*>(station->ChildObject(0));
  AddRsCard(*c, 2, 4, 0);
  AddRsCard(*c, 2, 4, 0);
  ASSERT_EQ(prompt.questions.size(), 2u);  // two addresses of the second card
  TTree again;
  const auto result = ReadImage(BuildImage(*station), again);
  EXPECT_FALSE(result.aborted);
  EXPECT_EQ(result.questions.size(), 2u);
}

}  // namespace
}  // namespace vlm::test
