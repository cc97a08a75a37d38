// The tree: ownership and destruction order, notifications, node texts and icons.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ModelTestUtil.h"

namespace vlm::test {
namespace {

std::vector<std::string> destroyed;

class TNamed : public TObj {
 public:
  TNamed(TTreeNode* node, std::string name) : TObj(node), name_(std::move(name)) {}
  ~TNamed() override { destroyed.push_back(name_); }
  void ReadConfig(TConfig&) override {}
  void WriteConfig(TConfig&) override {}
  void UpdateNode() override {}

 private:
  std::string name_;
};

TTreeNode* AddNamed(TTreeNode& parent, const std::string& name) {
  TTreeNode* node = parent.AddChild(name);
  node->SetObject(std::make_unique<TNamed>(node, name));
  return node;
}

TEST(TreeTest, ChildrenAreDestroyedBeforeTheirParent) {
  destroyed.clear();
  {
    TTree tree;
    TTreeNode* root = tree.Reset("root", 0);
    root->SetObject(std::make_unique<TNamed>(root, "root"));
    TTreeNode* a = AddNamed(*root, "a");
    AddNamed(*a, "a1");
    AddNamed(*a, "a2");
    AddNamed(*root, "b");
    root->DeleteChild(0);
    EXPECT_EQ(destroyed, (std::vector<std::string>{"a2", "a1", "a"}));
  }
  EXPECT_EQ(destroyed, (std::vector<std::string>{"a2", "a1", "a", "b", "root"}));
}

struct TRecorder : ITreeObserver {
  std::vector<std::string> events;
  void NodeChanged(TTreeNode& n) override { events.push_back("changed " + n.Text()); }
  void BeginInsert(TTreeNode& p, size_t row) override { events.push_back("+" + p.Text() + std::to_string(row)); }
  void BeginRemove(TTreeNode& p, size_t row) override { events.push_back("-" + p.Text() + std::to_string(row)); }
  void BeginReorder(TTreeNode& p) override { events.push_back("reorder " + p.Text()); }
};

TEST(TreeTest, ObserverHearsEveryChange) {
  TTree tree;
  TRecorder recorder;
  tree.SetObserver(&recorder);
  TTreeNode* root = tree.Reset("r", 0);
  TTreeNode* a = root->AddChild("a");
  TTreeNode* b = root->AddChild("b");
  b->MoveBefore(*a);
  EXPECT_EQ(root->Child(0), b);
  a->SetText("A");
  a->SetText("A");  // unchanged: no event
  root->DeleteChild(1);
  EXPECT_EQ(recorder.events, (std::vector<std::string>{"+r0", "+r1", "reorder r", "changed A", "-r1"}));
  tree.SetObserver(nullptr);
}

TEST(TreeTest, SortingKeepsTheFirstChildInPlace) {
  TTree tree;
  TTreeNode* root = tree.Reset("r", 0);
  for (const char* t : {"p", "c", "a", "b"}) root->AddChild(t);
  root->SortChildren(1, [](const TTreeNode& x, const TTreeNode& y) { return x.Text() < y.Text(); });
  std::string order;
  for (const auto& c : root->Children()) order += c->Text();
  EXPECT_EQ(order, "pabc");
}

TEST(TreeTest, NewConfigurationNodes) {
  TTree tree;
  TStation* station = NewConfiguration(tree);
  TTreeNode* root = tree.Root();
  EXPECT_EQ(root->Text(), "СТАНЦИЯ ПУ");
  EXPECT_EQ(root->ImageIndex(), 12);
  ASSERT_EQ(root->Count(), 1u);
  TTreeNode* controllerNode = root->Child(0);
  EXPECT_EQ(controllerNode->Text(), "Контроллер");
  EXPECT_EQ(controllerNode->ImageIndex(), 2);
  EXPECT_EQ(controllerNode->Child(0)->Text(), "Процессор");
  auto* processor = static_cast<TProcessor*>(controllerNode->Child(0)->Object());
  EXPECT_EQ(processor->Number, 1);
  EXPECT_EQ(processor->Controller, controllerNode->Object());
  EXPECT_EQ(static_cast<TController*>(controllerNode->Object())->Controller, nullptr);
  processor->Number = 3;
  processor->UpdateNode();
  EXPECT_EQ(controllerNode->Text(), "Контроллер (№3)");
  EXPECT_EQ(controllerNode->Child(0)->Text(), "№3 Процессор");
  station->Place = "ГПП-2";
  station->UpdateNode();
  EXPECT_EQ(root->Text(), "СТАНЦИЯ ПУ ГПП-2");
  EXPECT_EQ(station->GetCaption(), "???");
}

class TBarePort : public TSoftPort {
 public:
  explicit TBarePort(TTreeNode* node) : TSoftPort(node) { TypeName = "Порт Активный"; }
};

TEST(TreeTest, SoftwarePortCaption) {
  TTree tree;
  TStation* station = NewConfiguration(tree);
  auto* processor = static_cast<TController*>(station->ChildObject(0))->Processor();
  TBarePort* port = AddObject<TBarePort>(*processor->Node);
  EXPECT_EQ(port->GetCaption(), "№0 Порт Активный ");
  port->Number = 5;
  port->Comment = "резерв";
  port->UpdateNode();
  EXPECT_EQ(port->Node->Text(), "№5 Порт Активный {резерв}");
  EXPECT_EQ(port->Node->ImageIndex(), 1);
}

TEST(TreeTest, CardsCreateTheirPorts) {
  TTree tree;
  TStation* station = NewConfiguration(tree);
  TTreeNode& controllerNode = *station->Node->Child(0);
  struct {
    uint8_t id;
    const char* text;
    size_t ports;
    std::vector<bool> rs485;
  } cases[] = {
      {2, "Плата 5554 (A255)", 4, {false, false, true, true}},
      {3, "Плата 5558 (A255)", 8, {false, false, true, true, false, false, false, false}},
      {5, "Плата ППИ (A255)", 4, {true, true, true, true}},
  };
  for (const auto& c : cases) {
    auto* card = static_cast<TCardRS*>(Kinds().Create(TKindFamily::Card, c.id, controllerNode));
    EXPECT_EQ(card->Node->Text(), c.text);
    EXPECT_EQ(card->Node->ImageIndex(), 6);
    ASSERT_EQ(card->Node->Count(), c.ports);
    for (size_t i = 0; i < c.ports; ++i) {
      TComPort* port = card->Ports[i];
      EXPECT_EQ(port->Number, i + 1);
      EXPECT_EQ(port->Allows(kRs485), c.rs485[i]) << c.text << " port " << i + 1;
      EXPECT_EQ(port->Node->ImageIndex(), 8);
      EXPECT_EQ(port->Speed, 9600);
      EXPECT_EQ(port->GapTime, 2);
      EXPECT_EQ(port->TestTime, 300);
    }
  }
  auto* pvs = static_cast<TCardPVS*>(Kinds().Create(TKindFamily::Card, 1, controllerNode));
  pvs->SetAddress(3);
  EXPECT_EQ(pvs->Modem->Node->Text(), "Модемный порт 3.1");
  EXPECT_EQ(pvs->Modem->Node->ImageIndex(), 10);
  EXPECT_EQ(pvs->Modem->GetHardNumber(), 0x31);
  EXPECT_EQ(Kinds().Create(TKindFamily::Card, 4, controllerNode)->GetCaption(), "Плата UNIO96 (A255)");
  EXPECT_EQ(Kinds().Create(TKindFamily::Card, 9, controllerNode), nullptr);
}

TEST(TreeTest, CalculatedReceiveGap) {
  TTree tree;
  TStation* station = NewConfiguration(tree);
  auto* card = static_cast<TCardRS*>(Kinds().Create(TKindFamily::Card, 2, *station->Node->Child(0)));
  TComPort& port = *card->Ports[0];
  EXPECT_EQ(port.FrameBits(), 11);
  EXPECT_NEAR(port.CalculatedGap(), 2.146, 0.0005);
  port.Speed = 115200;
  port.StopBits = 1;
  port.FifoLevel = 14;
  EXPECT_NEAR(port.CalculatedGap(), 1.510, 0.0005);
  port.Speed = 0;
  EXPECT_EQ(port.CalculatedGap(), 0);
}

}  // namespace
}  // namespace vlm::test
