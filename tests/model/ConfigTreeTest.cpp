// Tree operations of the main window and the summaries of the station and controller frames.
#include <gtest/gtest.h>

#include "ModelTestUtil.h"
#include "model/ConfigTree.h"
#include "support/ScriptedPrompt.h"

namespace vlm::test {
namespace {

class TNumberedPort : public TSoftPort {
 public:
  explicit TNumberedPort(TTreeNode* node) : TSoftPort(node) { TypeName = "Порт"; }
};

class ConfigTreeTest : public ::testing::Test {
 protected:
  ConfigTreeTest() : guard(prompt) {
    station = NewConfiguration(tree);
    controller = static_cast<TController*>(station->ChildObject(0));
  }
  TCard* AddCard(uint8_t id, uint8_t address) {
    auto* card = static_cast<TCard*>(Kinds().Create(TKindFamily::Card, id, *controller->Node));
    card->SetAddress(address);
    return card;
  }
  ScriptedPrompt prompt;
  PromptGuard guard;
  TTree tree;
  TStation* station;
  TController* controller;
};

TEST_F(ConfigTreeTest, SortingCardsKeepsTheProcessorFirst) {
  AddCard(4, 9);
  AddCard(1, 2);
  AddCard(2, 4);
  SortCardsByAddress(*controller);
  EXPECT_EQ(controller->ChildObject(0), controller->Processor());
  EXPECT_EQ(static_cast<TCard*>(controller->ChildObject(1))->Address, 2);
  EXPECT_EQ(static_cast<TCard*>(controller->ChildObject(3))->Address, 9);
}

TEST_F(ConfigTreeTest, SortingPortsByNumber) {
  TProcessor* processor = controller->Processor();
  for (uint8_t n : {5, 1, 3}) AddObject<TNumberedPort>(*processor->Node)->Number = n;
  SortPortsByNumber(*processor);
  std::vector<int> numbers;
  for (TSoftPort* port : AllSoftPorts(tree)) numbers.push_back(port->Number);
  EXPECT_EQ(numbers, (std::vector<int>{1, 3, 5}));
}

TEST_F(ConfigTreeTest, DragAndDropRules) {
  TCard* a = AddCard(4, 0);
  TCard* b = AddCard(4, 1);
  EXPECT_TRUE(CanMoveBefore(*b->Node, *a->Node));
  EXPECT_FALSE(CanMoveBefore(*a->Node, *controller->Processor()->Node));
  EXPECT_FALSE(CanMoveBefore(*controller->Processor()->Node, *a->Node));
  EXPECT_FALSE(CanMoveBefore(*a->Node, *controller->Node));
}

TEST_F(ConfigTreeTest, OnlyControllerCannotBeDeleted) {
  EXPECT_EQ(DeleteRefusal(*controller->Node), "Вы не можете удалить единственный контроллер.");
  TController* second = AddController(*station->Node);
  EXPECT_EQ(DeleteRefusal(*controller->Node), "");
  EXPECT_EQ(DeleteQuestion(*second->Node), "Вы действительно хотите удалить\rКонтроллер?");
}

TEST_F(ConfigTreeTest, SummariesAndRegistryRows) {
  controller->Processor()->IPAddress = 0xC0A80A01;
  AddController(*station->Node);
  const auto processors = AllProcessors(tree);
  ASSERT_EQ(processors.size(), 2u);
  EXPECT_EQ(IpText(processors[0]->IPAddress), "192.168.10.1");
  AddCard(4, 3);
  AddCard(1, 3);
  EXPECT_EQ(CardsText(controller->AddrCards[3]), " Плата UNIO96 (A3) Плата ПВС (A3)");
  EXPECT_EQ(UseLevel(controller->AddrUseCount(3)), TUseLevel::Conflict);
  EXPECT_EQ(UseLevel(controller->AddrUseCount(4)), TUseLevel::Free);
}

TEST_F(ConfigTreeTest, MoreThan255PortsAreRefusedNotMiscounted) {
  for (int i = 0; i < 256; ++i) AddObject<TNumberedPort>(*controller->Processor()->Node)->Number = 1;
  TConfig cfg;
  EXPECT_THROW(station->WriteConfig(cfg), EAbort);
  EXPECT_EQ(cfg.ConfigSize, 0u);
  ASSERT_FALSE(prompt.errors.empty());
  EXPECT_EQ(prompt.errors.back(),
            "Слишком много объектов в одном узле конфигурации: 256\rНаибольшее число 255");
}

}  // namespace
}  // namespace vlm::test
