// Base addresses, interrupt lines and port links of a controller.
#include <gtest/gtest.h>

#include "ModelTestUtil.h"

namespace vlm::test {
namespace {

// A software port kind for these tests only (id 14 is used by no real kind).
class TTestPort : public TSoftPort {
 public:
  explicit TTestPort(TTreeNode* node) : TSoftPort(node) {
    TypeName = "Порт Тест";
    TypeId = 14;
  }
  void WriteConfig(TConfig& cfg) override {
    TSoftPort::WriteConfig(cfg);
    EndConfig(cfg);
  }
};

class RegistryTest : public ::testing::Test {
 protected:
  RegistryTest() : guard(prompt) {
    station = NewConfiguration(tree);
    controller = static_cast<TController*>(station->ChildObject(0));
  }
  TCard* AddCard(uint8_t id) {
    return static_cast<TCard*>(Kinds().Create(TKindFamily::Card, id, *controller->Node));
  }
  TTestPort* AddPort() { return AddObject<TTestPort>(*controller->Processor()->Node); }

  ScriptedPrompt prompt;
  PromptGuard guard;
  TTree tree;
  TStation* station;
  TController* controller;
};

TEST_F(RegistryTest, TwoCardsShareAnAddressAfterConfirmation) {
  TCard* unio = AddCard(4);
  TCard* pvs = AddCard(1);
  unio->SetAddress(3);
  EXPECT_TRUE(prompt.questions.empty());
  pvs->SetAddress(3);
  ASSERT_EQ(prompt.questions.size(), 1u);
  EXPECT_EQ(prompt.questions[0], "Базовый адрес 3 уже занят\rИспользовать адрес?");
  EXPECT_EQ(pvs->Address, 3);
  EXPECT_EQ(controller->AddrUseCount(3), 2);
  EXPECT_EQ(controller->AddrCards[3], (std::vector<TCard*>{unio, pvs}));
}

TEST_F(RegistryTest, AnswerNoLeavesTheCardWithoutAddress) {
  AddCard(4)->SetAddress(5);
  TCard* other = AddCard(4);
  prompt.answers.push_back(TAnswer::No);
  other->SetAddress(5);
  EXPECT_EQ(other->Address, 255);
  EXPECT_EQ(other->Node->Text(), "Плата UNIO96 (A255)");
  EXPECT_EQ(controller->AddrUseCount(5), 1);
}

TEST_F(RegistryTest, CancelAcceptsTheConflict) {
  AddCard(4)->SetAddress(5);
  TCard* other = AddCard(4);
  prompt.answers.push_back(TAnswer::Cancel);
  other->SetAddress(5);
  EXPECT_EQ(other->Address, 5);
}

TEST_F(RegistryTest, AddressSixteenIsRefusedWithoutAQuestion) {
  TCard* card = AddCard(4);
  EXPECT_FALSE(controller->TakeAddress(16, card));
  card->SetAddress(16);
  EXPECT_EQ(card->Address, 255);
  EXPECT_TRUE(prompt.questions.empty());
  for (int a = 0; a < 16; ++a) EXPECT_EQ(controller->AddrUseCount(a), 0);
}

TEST_F(RegistryTest, SerialCardsTakeConsecutiveAddresses) {
  auto* card = static_cast<TCardRS*>(AddCard(2));
  card->SetAddress(4);
  EXPECT_EQ(controller->AddrUseCount(4), 1);
  EXPECT_EQ(controller->AddrUseCount(5), 1);
  EXPECT_EQ(card->Ports[0]->Node->Text(), "COM-порт 4.1 (RS-232)");
  card->SetAddress(8);
  EXPECT_EQ(controller->AddrUseCount(4), 0);
  EXPECT_EQ(controller->AddrUseCount(9), 1);
  EXPECT_EQ(card->Ports[3]->Node->Text(), "COM-порт 8.4 (RS-232)");
}

TEST_F(RegistryTest, CardThatDoesNotFitKeepsNoDanglingRegistration) {
  {
    auto* card = static_cast<TCardRS*>(AddCard(3));
    card->SetAddress(14);  // 14, 15 taken, 16 refused
    EXPECT_EQ(card->Address, 255);
    EXPECT_EQ(controller->AddrUseCount(14), 1);
    card->Node->Parent()->DeleteChild(card->Node->Index());
  }
  EXPECT_EQ(controller->AddrUseCount(14), 0);
  EXPECT_EQ(controller->AddrUseCount(15), 0);
}

TEST_F(RegistryTest, InterruptLines) {
  TCard* a = AddCard(2);
  TCard* b = AddCard(5);
  a->SetIRQ(5);
  EXPECT_EQ(a->IRQ, 5);
  prompt.answers.push_back(TAnswer::No);
  b->SetIRQ(5);
  ASSERT_EQ(prompt.questions.size(), 1u);
  EXPECT_EQ(prompt.questions[0], "Линия запроса прерывания IRQ5 уже используется\rИспользовать IRQ?");
  EXPECT_EQ(b->IRQ, 0);
  b->SetIRQ(5);  // default answer: yes
  EXPECT_EQ(controller->IrqUseCount(5), 2);
  b->SetIRQ(8);
  EXPECT_EQ(b->IRQ, 0);
  EXPECT_EQ(controller->IrqUseCount(5), 1);
  a->Node->Parent()->DeleteChild(a->Node->Index());
  EXPECT_EQ(controller->IrqUseCount(5), 0);
}

TEST_F(RegistryTest, FreeingABoundHardwarePortLeavesTheSoftwarePortUnbound) {
  auto* card = static_cast<TCardRS*>(AddCard(2));
  card->SetAddress(4);
  TTestPort* port = AddPort();
  port->SetHardPort(card->Ports[1]);
  EXPECT_EQ(controller->HardNumberOf(port), 0x42);
  EXPECT_EQ(controller->SoftPortOf(card->Ports[1]), port);
  card->Node->Parent()->DeleteChild(card->Node->Index());
  EXPECT_EQ(controller->HardPortOf(port), nullptr);
  EXPECT_EQ(controller->HardNumberOf(port), 0);
  EXPECT_EQ(port->HardInterface(), 0);
  ASSERT_EQ(controller->Links.size(), 1u);  // the port's own record
  EXPECT_EQ(controller->Links[0]->SoftPort, port);
}

TEST_F(RegistryTest, RebindingFreesThePreviousHardwarePort) {
  auto* card = static_cast<TCardRS*>(AddCard(5));
  card->SetAddress(2);
  TTestPort* a = AddPort();
  TTestPort* b = AddPort();
  a->SetHardPort(card->Ports[0]);
  EXPECT_EQ(controller->FreeHardPorts(b).size(), 3u);
  EXPECT_EQ(controller->FreeHardPorts(a).size(), 4u);
  a->SetHardPort(card->Ports[2]);
  const auto freeForB = controller->FreeHardPorts(b);
  EXPECT_EQ(freeForB.size(), 3u);
  EXPECT_EQ(freeForB[0], card->Ports[0]);
  const auto names = controller->FreeHardPortNames(b);
  EXPECT_EQ(names[0].first, "COM-порт 2.1 (RS-232)");
  EXPECT_EQ(a->HardInterface(), kRs232);
}

TEST_F(RegistryTest, TakingAnotherPortsHardwarePortUnbindsIt) {
  auto* card = static_cast<TCardRS*>(AddCard(5));
  TTestPort* a = AddPort();
  TTestPort* b = AddPort();
  a->SetHardPort(card->Ports[0]);
  b->SetHardPort(card->Ports[0]);
  EXPECT_EQ(controller->HardPortOf(b), card->Ports[0]);
  EXPECT_EQ(controller->HardPortOf(a), nullptr);
  // a still has a record, so it shows in the link list and can be bound again
  a->SetHardPort(card->Ports[1]);
  EXPECT_EQ(controller->HardPortOf(a), card->Ports[1]);
}

TEST_F(RegistryTest, LinkByNumberFindsTheHardwarePort) {
  auto* pvs = static_cast<TCardPVS*>(AddCard(1));
  pvs->SetAddress(3);
  EXPECT_EQ(pvs->Modem->GetHardNumber(), 0x31);
  TTestPort* port = AddPort();
  controller->LinkByNumber(port, 0x31);
  EXPECT_EQ(controller->HardPortOf(port), pvs->Modem);
  EXPECT_EQ(port->HardInterface(), kModemLine);
  controller->LinkByNumber(port, 0x77);
  EXPECT_EQ(controller->HardPortOf(port), nullptr);
  EXPECT_EQ(controller->SoftPortOf(pvs->Modem), nullptr);
}

TEST_F(RegistryTest, DeletingASoftwarePortKeepsTheHardwareRecord) {
  auto* card = static_cast<TCardRS*>(AddCard(2));
  TTestPort* port = AddPort();
  port->SetHardPort(card->Ports[0]);
  const size_t links = controller->Links.size();
  port->Node->Parent()->DeleteChild(port->Node->Index());
  EXPECT_EQ(controller->Links.size(), links);
  EXPECT_EQ(controller->SoftPortOf(card->Ports[0]), nullptr);
}

TEST_F(RegistryTest, WritingReportsAPortWithoutNumberOrHardwarePort) {
  AddPort();
  TConfig cfg;
  station->WriteConfig(cfg);
  ASSERT_EQ(prompt.errors.size(), 2u);
  EXPECT_EQ(prompt.errors[0], "№0 Порт Тест \rНе настроен адрес порта");
  EXPECT_EQ(prompt.errors[1], "№0 Порт Тест \rНе выбран аппаратный порт");
  EXPECT_GT(cfg.ConfigSize, 212u);
}

}  // namespace
}  // namespace vlm::test
