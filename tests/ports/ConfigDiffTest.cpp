// Differences between configurations and their text form, on images with every port and point
// kind: each kind of change gives exactly its line, the text form gives back the very bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "PortsFixture.h"
#include "cfgdiff/ConfigDiff.h"
#include "cfgdiff/ImageTree.h"
#include "cfgdiff/TextForm.h"
#include "model/Cards.h"

namespace vlm::test {
namespace {

// The path of the node as the image names it once read (the reader names every node).
std::string PathIn(const Bytes& image, const TTreeNode& node) {
  std::vector<size_t> indices;
  for (const TTreeNode* n = &node; n->Parent(); n = n->Parent()) indices.push_back(n->Index());
  const TLoadedImage loaded(image);
  const TTreeNode* at = loaded.Tree().Root();
  std::string path = at->Text();
  for (auto it = indices.rbegin(); it != indices.rend(); ++it) {
    at = at->Child(*it);
    path += " / " + at->Text();
  }
  return path;
}

Bytes FileBytes(const std::string& name) {
  std::ifstream in(std::string(VELMOR_TEST_DATA) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ConfigDiffTest : public PortsFixture {
 protected:
  void SetUp() override {
    BuildEverything();
    before = WriteImage();
  }
  // The lines of the difference between the image of the fixture and the tree as it is now.
  std::string DiffNow() {
    after = WriteImage();
    return DiffText(DiffImages(before, after));
  }
  template <class T>
  T* First() const {
    T* found = nullptr;
    tree.ForEach([&](TTreeNode& n) {
      if (!found) found = dynamic_cast<T*>(n.Object());
    });
    return found;
  }
  TDataPort* PortOfKind(uint8_t typeId) const {
    TDataPort* found = nullptr;
    tree.ForEach([&](TTreeNode& n) {
      auto* p = dynamic_cast<TDataPort*>(n.Object());
      if (!found && p && p->TypeId == typeId) found = p;
    });
    return found;
  }
  // Adds 5558 cards in further controllers until the next one would not fit the image.
  void FillToTheLimit() {
    TTreeNode* controller = station->Node->Child(0);
    for (int cards = 0;; ++cards) {
      if (cards % 12 == 0) controller = AddController(*station->Node)->Node;
      auto* card = static_cast<TCardRS*>(Kinds().Create(TKindFamily::Card, 3, *controller));
      card->SetAddress(static_cast<uint8_t>((cards % 4) * 4));
      try {
        cfg.Stamp = 0.0;
        station->WriteConfig(cfg);
      } catch (const EAbort&) {
        controller->DeleteChild(controller->Count() - 1);
        return;
      }
    }
  }
  Bytes before, after;
};

TEST_F(ConfigDiffTest, IdenticalImagesAreEqualWithoutATreeAndEqualTreesDespiteTheStamp) {
  const TConfigDiff same = DiffImages(before, before);
  EXPECT_TRUE(same.identicalBytes);
  EXPECT_EQ(DiffText(same), "Конфигурации совпадают\n");
  cfg.Stamp = 1.5;  // another day of writing: the header differs, the configuration does not
  station->WriteConfig(cfg);
  const Bytes restamped(cfg.Image().begin(), cfg.Image().end());
  ASSERT_NE(restamped, before);
  const TConfigDiff diff = DiffImages(before, restamped);
  EXPECT_FALSE(diff.identicalBytes);
  EXPECT_TRUE(diff.Equal()) << DiffText(diff);
}

TEST_F(ConfigDiffTest, EachKindOfChangeGivesExactlyItsLine) {
  {
    SCOPED_TRACE("an item of a serial port, shown with its caption");
    TComPort* port = First<TComPort>();
    const int32_t old = port->Speed;
    port->Speed = 19200;
    const std::string diff = DiffNow();
    EXPECT_EQ(diff, "~ " + PathIn(after, *port->Node) + ": Скорость обмена, бит/с: " + std::to_string(old) + " -> 19200\n");
    port->Speed = old;
  }
  {
    SCOPED_TRACE("the station place");
    const std::string old = station->Place;
    station->Place = "Подстанция \"Юг\"";
    station->UpdateNode();
    EXPECT_EQ(DiffNow(), "~ СТАНЦИЯ ПУ Подстанция \"Юг\": Место установки: \"" + old + "\" -> \"Подстанция \"Юг\"\"\n");
    station->Place = old;
    station->UpdateNode();
  }
  {
    SCOPED_TRACE("a port added");
    TDataPort* port = AddPortOf(2);
    port->Number = 77;
    port->UpdateNode();
    const std::string diff = DiffNow();
    EXPECT_EQ(diff, "+ " + PathIn(after, *port->Node) + "\n");
    port->Node->Parent()->DeleteChild(port->Node->Index());
  }
  {
    SCOPED_TRACE("a point removed");
    TDataPort* active = PortOfKind(2);
    ASSERT_GT(active->ChildCount(), 1u);
    TTreeNode* point = active->Node->Child(1);
    const std::string line = "- " + PathIn(before, *point) + "\n";
    active->Node->DeleteChild(1);
    EXPECT_EQ(DiffNow(), line);
    ReadImage(before);
  }
}

TEST_F(ConfigDiffTest, TableRowsAndNumbersChangeInPlace) {
  TDataPort* passive = PortOfKind(3);
  ASSERT_GE(passive->Tables.at(0).Count(), 2u);
  const std::string path = PathIn(before, *passive->Node);
  const std::string title = passive->Tables[0].Def().title;
  {
    SCOPED_TRACE("one byte of the second stored row of the first table");
    Bytes rows(passive->Tables[0].Bytes());
    const size_t size = passive->Tables[0].Def().rowSize;
    rows[size + 0] = static_cast<uint8_t>(rows[size + 0] + 1);
    ASSERT_TRUE(passive->Tables[0].SetRows(rows));
    const TConfigDiff diff = DiffImages(before, WriteImage());
    ASSERT_EQ(diff.entries.size(), 1u) << DiffText(diff);
    const TDiffEntry& e = diff.entries[0];
    EXPECT_EQ(e.kind, TChangeKind::RowChanged);
    EXPECT_EQ(e.path, path);
    EXPECT_EQ(e.caption, title);
    EXPECT_GE(e.row, 1);
    ASSERT_EQ(e.cells.size(), 1u);
    EXPECT_NE(e.cells[0].oldText, e.cells[0].newText);
    EXPECT_FALSE(e.cells[0].column.empty());
    ReadImage(before);
  }
  {
    SCOPED_TRACE("a row added is one line with its cells, the count item says nothing more");
    passive = PortOfKind(3);
    Bytes row(passive->Tables[0].Row(0).begin(), passive->Tables[0].Row(0).end());
    ASSERT_TRUE(passive->Tables[0].AddRow(row));
    const TConfigDiff diff = DiffImages(before, WriteImage());
    ASSERT_EQ(diff.entries.size(), 1u) << DiffText(diff);
    EXPECT_EQ(diff.entries[0].kind, TChangeKind::RowAdded);
    ReadImage(before);
  }
  {
    SCOPED_TRACE("a port's address: the same port with a changed item, not a removal and an addition");
    passive = PortOfKind(3);
    const int old = passive->Number;
    passive->Number = 99;
    passive->UpdateNode();
    const std::string diff = DiffNow();
    EXPECT_EQ(diff, "~ " + PathIn(after, *passive->Node) + ": Адрес порта: " + std::to_string(old) + " -> 99\n");
  }
}

TEST_F(ConfigDiffTest, DamagedInputAbortsWithTheReadersMessage) {
  Bytes damaged = before;
  damaged[100] ^= 1;
  EXPECT_THROW(DiffImages(before, damaged), EAbort);
  EXPECT_THROW(DiffImages(damaged, damaged), EAbort);  // identical, but no configuration
  ASSERT_FALSE(prompt.errors.empty());
  EXPECT_EQ(prompt.errors.back(), "Ошибка контрольной суммы");
}

TEST_F(ConfigDiffTest, JsonNamesKindPathAndValues) {
  TComPort* port = First<TComPort>();
  port->Parity = 2;
  const std::string json = DiffJson(DiffImages(before, WriteImage()));
  EXPECT_NE(json.find("\"equal\": false"), std::string::npos) << json;
  EXPECT_NE(json.find("\"kind\": \"changed\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"caption\": \"Бит контроля чётности\""), std::string::npos) << json;
  EXPECT_EQ(DiffJson(DiffImages(before, before)), "{\"equal\": true, \"identicalBytes\": true, \"changes\": []}\n");
}

TEST_F(ConfigDiffTest, TextFormGivesBackEveryTestImageByteForByte) {
  FillToTheLimit();
  cfg.Stamp = 0.0;
  station->WriteConfig(cfg);
  const Bytes largest(cfg.Image().begin(), cfg.Image().end());
  ASSERT_GT(largest.size(), kImageCapacity - 600);
  std::vector<std::pair<std::string, Bytes>> images{{"every kind", before}, {"largest", largest}};
  for (const char* name : {"ports/all_kinds.cfg", "cfg/allcards.cfg", "cfg/new_01.02.2026.cfg"})
    images.emplace_back(name, FileBytes(name));
  for (const auto& [name, image] : images) {
    SCOPED_TRACE(name);
    ASSERT_FALSE(image.empty());
    const TLoadedImage loaded(image);
    const std::string text = ConfigToText(loaded);
    EXPECT_EQ(ConfigFromText(text), image);
  }
}

TEST_F(ConfigDiffTest, AHandEditedTextChangesExactlyWhatWasEdited) {
  TDataPort* port = PortOfKind(3);
  std::string text = ConfigToText(TLoadedImage(before));
  // The port's container line, then its address item.
  const size_t at = text.find("] " + port->Node->Text() + "\n");
  ASSERT_NE(at, std::string::npos);
  const std::string old = std::to_string(port->Number);
  const std::string item = "106 Адрес порта = u8 " + old + "\n";
  const size_t line = text.find(item, at);
  ASSERT_NE(line, std::string::npos);
  text.replace(line, item.size(), "106 Адрес порта = u8 42\n");
  const Bytes edited = ConfigFromText(text);
  port->Number = 42;
  port->UpdateNode();
  EXPECT_EQ(edited, WriteImage());
  EXPECT_EQ(DiffText(DiffImages(before, edited)), "~ " + PathIn(edited, *port->Node) + ": Адрес порта: " + old + " -> 42\n");
}

TEST_F(ConfigDiffTest, ATextWithAnErrorNamesTheLine) {
  const std::string text = ConfigToText(TLoadedImage(before));
  const size_t begin = text.find("106 Адрес порта");
  ASSERT_NE(begin, std::string::npos);
  const size_t end = text.find('\n', begin);
  const int number = 1 + static_cast<int>(std::count(text.begin(), text.begin() + begin, '\n'));
  struct Case {
    const char* line;
    const char* what;
  };
  for (const Case& c : {Case{"106 Адрес порта = u8 300", "вне пределов"}, Case{"106 Адрес порта = q8 1", "неизвестный вид"},
                        Case{"106 Адрес порта == 1", "нет \" = \""}, Case{"106 Адрес порта = \"открыта", "кавычки"},
                        Case{"1000 Адрес порта = u8 1", "номера записи"}}) {
    SCOPED_TRACE(c.line);
    std::string bad = text;
    bad.replace(begin, end - begin, c.line);
    try {
      ConfigFromText(bad);
      ADD_FAILURE() << "accepted";
    } catch (const ETextFormError& e) {
      EXPECT_EQ(e.line, number);
      EXPECT_NE(std::string(e.what()).find(c.what), std::string::npos) << e.what();
    }
  }
  // Records that would not fit the image behind the header.
  std::string big = text.substr(0, text.find("[148]")) + "[148] x\n  1 = hex";
  for (int i = 0; i < 63900; ++i) big += " 00";
  try {
    ConfigFromText(big + "\n");
    ADD_FAILURE() << "accepted";
  } catch (const ETextFormError& e) {
    EXPECT_NE(std::string(e.what()).find("больше предельных 64001"), std::string::npos) << e.what();
  }
  // A record line deeper than the containers that are open.
  std::string deep = text;
  const size_t item = deep.find("\n  149 ");
  ASSERT_NE(item, std::string::npos);
  deep.insert(item + 1, "      ");
  EXPECT_THROW(ConfigFromText(deep), ETextFormError);
}

}  // namespace
}  // namespace vlm::test
