// The stream analyzer: link faults at the root, the tree it builds from SIRIUS frames, the
// texts and logs the window shows.
#include <gtest/gtest.h>

#include <vector>

#include "blackbox/BoxTavik.h"
#include "blackbox/BoxTavikExport.h"
#include "blackbox/BoxViewRules.h"
#include "blackbox/Checksums.h"
#include "common/DateTime.h"

namespace vlm {
namespace {

constexpr TDateTime kStart = 46365.5;  // 2026.12.09 12:00:00.000

class TavikTest : public ::testing::Test {
 protected:
  TTavikAnalyzer analyzer;
  TDateTime pcNow = kStart;
  double ms = 0;  // record time of the next frame, ms after kStart

  void SetUp() override { analyzer.clock = [this] { return pcNow; }; }

  std::string Line() const {
    return FormatDateTime("yyyy.mm.dd hh:nn:ss.zzz", kStart + ms / kMsPerDay) + "|t     0|d   0|p002|...";
  }
  // A SIRIUS frame: the body, the end octet 20h and the check octet.
  void Sirius(uint8_t direction, std::vector<uint8_t> body, uint8_t code = 2) {
    body.push_back(0x20);
    body.push_back(0);
    body.back() = SiriusCheckOctet(body);
    Raw(direction, body, code);
  }
  void Raw(uint8_t direction, const std::vector<uint8_t>& bytes, uint8_t code = 2) {
    TBoxRecord record;
    record.protocol = code;
    record.direction = direction;
    std::copy(bytes.begin(), bytes.end(), record.data.begin());
    lines.push_back(Line());
    analyzer.Feed(record, bytes.size(), lines.back());
  }
  // The object on the path of keys below the port (point, function, group, leaf).
  template <typename T = TTavik>
  T* At(std::initializer_list<int> keys) {
    TTavikNode* node = analyzer.Root().children.empty() ? nullptr : analyzer.Root().children[0].get();
    for (const int key : keys) {
      if (!node) return nullptr;
      TTavikNode* next = nullptr;
      for (auto& child : node->children)
        if (child->object->key == key) next = child.get();
      node = next;
    }
    return node ? dynamic_cast<T*>(node->object.get()) : nullptr;
  }
  std::string Text(std::initializer_list<int> keys) {
    TTavik* object = At(keys);
    if (!object) return "(none)";
    object->UpdateText();
    return object->node->text;
  }
  std::deque<std::string> lines;
};

TEST_F(TavikTest, LinkFaultsAreCountedAndListedAtTheRoot) {
  Raw(0, {0x05});
  Raw(0, {0x05, 0x33});  // no short frame carries 33h
  Raw(1, {0x03, 0x90, 0x01});
  ms = 100;
  Sirius(0, {0x05, 0x90, 0x01, 0x81});
  Raw(0, {0x03, 0x90, 0x01, 0x81, 0x21, 0x00});
  std::vector<uint8_t> spoilt{0x03, 0x90, 0x01, 0x81, 0x20, 0};
  spoilt.back() = uint8_t(SiriusCheckOctet(spoilt) ^ 1);
  Raw(0, spoilt);

  const TTavikHubContr& root = analyzer.Controller();
  ASSERT_EQ(root.errors.size(), 5u);
  EXPECT_EQ(root.errors[0], lines[0] + " Ошибка:Длина 1");
  EXPECT_EQ(root.errors[1], lines[1] + " Ошибка:Длина 2|3");
  EXPECT_EQ(root.errors[2], lines[3] + " Ошибка:Номер КП (<>3)");
  EXPECT_EQ(root.errors[3], lines[4] + " Ошибка:Байт Конца");
  EXPECT_EQ(root.errors[4], lines[5] + " Ошибка:Контр.сумма");
  EXPECT_EQ(At({5}), nullptr);
  ASSERT_NE(At({3, 0x90, 1}), nullptr);  // the request itself went through
  analyzer.UpdateAllTexts();
  EXPECT_EQ(analyzer.Root().text, "ВЕЛМОР C=1 E=5 (L2 КП1 БК1 КС1)");

  TTavikLog log;
  root.ShowLog(log);
  EXPECT_EQ(log.caption, "ТАВИК - Журнал событий Ошибки");
  EXPECT_EQ(log.lines.size(), 5u);
  EXPECT_EQ(log.changes, 0u);
  EXPECT_TRUE(log.last.empty());

  for (int i = 0; i < 1100; ++i) Raw(0, {0x05});
  EXPECT_EQ(root.errors.size(), kTavikMaxList);
  EXPECT_EQ(root.lengthErrors, 1102u);
}

TEST_F(TavikTest, TelesignalsChangeOnlyWhenTheirBitChanges) {
  Sirius(1, {0x04, 0x90, 0x03});
  ms = 10;
  Sirius(0, {0x04, 0x90, 0x03, 0x81});
  for (int i = 1; i <= 8; ++i) {
    const auto* ts = At<TTavikTS>({4, 0x90, 3, i});
    ASSERT_NE(ts, nullptr) << i;
    EXPECT_EQ(ts->state, (i == 1 || i == 8) ? 1 : 0) << i;
    EXPECT_EQ(ts->changes, 1u);
  }
  EXPECT_EQ(Text({4, 0x90, 3}), "Группа3=10000001 C=2 И=8");
  ms = 20;
  Sirius(0, {0x04, 0x90, 0x03, 0x81});
  EXPECT_EQ(At<TTavikTS>({4, 0x90, 3, 8})->list.size(), 1u);
  ms = 30;
  Sirius(0, {0x04, 0x90, 0x03, 0x80});
  size_t entries = 0;
  for (int i = 1; i <= 8; ++i) entries += At<TTavikTS>({4, 0x90, 3, i})->list.size();
  EXPECT_EQ(entries, 9u);
  EXPECT_EQ(At<TTavikTS>({4, 0x90, 3, 8})->changes, 2u);
  EXPECT_EQ(Text({4, 0x90, 3, 8}), "ТС8=0 C=3 И=2 Т=2026.12.09 12:00:00.030");
  EXPECT_EQ(Text({4, 0x90, 3}), "Группа3=10000000 C=4 И=9");

  TTavikLog log;
  At<TTavikTS>({4, 0x90, 3, 8})->ShowLog(log);
  EXPECT_EQ(log.caption, "ТАВИК - Журнал событий Группа3 ТС8");
  EXPECT_EQ(log.appearances, 3u);
  ASSERT_EQ(log.lines.size(), 2u);
  EXPECT_EQ(log.first, " 1 | 1 | 2026.12.09 12:00:00.010 | 90h=ТС   ");
  EXPECT_EQ(log.last, " 2 | 0 | 2026.12.09 12:00:00.030 | 90h=ТС   ");
  EXPECT_EQ(TavikLogCsv(log), "№;ТАВИК - Журнал событий Группа3 ТС8\r\n1; 1 | 1 | 2026.12.09 12:00:00.010 | 90h=ТС   \r\n"
                              "2; 2 | 0 | 2026.12.09 12:00:00.030 | 90h=ТС   \r\n");

  // Point, function, group, port and root texts and their share gauges.
  EXPECT_EQ(Text({4}), "Пункт4 C=4");
  EXPECT_EQ(Text({4, 0x90}), "Функ90h ТС    C=4");
  EXPECT_EQ(At({4, 0x90})->node->image, 11);
  EXPECT_EQ(At({4, 0x90})->node->stateImage, 15);
  const TTavikPopup popup = At({4, 0x90})->Popup();
  EXPECT_EQ(popup.nameLine, "\"Функ90h ТС   \"\tТелеСигнал");
  EXPECT_EQ(popup.changes, "Появлений:\t4");
  EXPECT_EQ(popup.firstSeen, "Первое:   \t2026.12.09 12:00:00.000");
  EXPECT_EQ(popup.lastSeen, "Последнее:\t2026.12.09 12:00:00.030");
  EXPECT_EQ(popup.sourceLine, "SrcLine:\t" + lines.back());
  EXPECT_FALSE(popup.logEnabled);
  EXPECT_TRUE(At({4, 0x90, 3, 1})->Popup().logEnabled);
}

TEST_F(TavikTest, APointIsKeyedByTheKpNumberWithoutTheFlagBits) {
  Sirius(1, {0x25, 0x90, 0x01});
  Sirius(0, {0x05, 0x90, 0x01, 0x81});
  ASSERT_NE(At({5}), nullptr);
  EXPECT_EQ(At({37}), nullptr);
  EXPECT_EQ(Text({5}), "Пункт5 C=2");
}

TEST_F(TavikTest, TelecontrolReceiptsJoinTheirCommandWithinTwoSeconds) {
  Sirius(1, {0x02, 0x70, 0x03, 0x04});
  ms = 1500;
  Raw(0, {0x02, 0x70});
  const auto* tu = At<TTavikTU>({2, 0x70, 3, 3});
  ASSERT_NE(tu, nullptr);
  EXPECT_EQ(tu->commands, 2u);
  EXPECT_EQ(At({2, 0x70, 3})->appearances, 2u);
  ASSERT_EQ(tu->list.size(), 2u);
  EXPECT_EQ(tu->list[0].second, 1);
  EXPECT_EQ(tu->list[1].second, 0);
  TTavikLog log;
  tu->ShowLog(log);
  EXPECT_EQ(log.last, " 2 | КвТУВ | 2026.12.09 12:00:01.500");
  EXPECT_EQ(log.first, " 1 | ТУВкл | 2026.12.09 12:00:00.000");

  ms = 10000;
  Sirius(1, {0x02, 0x70, 0x03, 0x04});
  ms = 12001;  // too late: no group, no object
  Raw(0, {0x02, 0x70});
  EXPECT_EQ(tu->commands, 3u);
  ASSERT_NE(At({2, 0x70, 0}), nullptr);
  EXPECT_TRUE(At({2, 0x70, 0})->node->children.empty());
}

TEST_F(TavikTest, SubFramesCountFramesButNotThePointsAppearances) {
  std::vector<uint8_t> control{0x06, 0xF0, 0x01};
  for (int i = 0; i < 16; ++i) control.push_back(uint8_t(i == 15 ? 0x01 : 0x80));
  Sirius(0, control);
  const auto* point = At<TTavikHubPoint>({6});
  ASSERT_NE(point, nullptr);
  EXPECT_EQ(point->appearances, 1u);
  EXPECT_EQ(point->frames, 17u);
  for (int g = 1; g <= 16; ++g) ASSERT_NE(At({6, 0x90, g}), nullptr) << g;
  EXPECT_EQ(At<TTavikTS>({6, 0x90, 16, 8})->state, 1);
  EXPECT_EQ(At<TTavikTS>({6, 0x90, 1, 1})->state, 1);
  EXPECT_EQ(At({6, 0x90})->appearances, 16u);
  EXPECT_NE(At({6, 0xF0, 1}), nullptr);

  // General type: a telesignal part and a telemetering part with its mask octet.
  Sirius(0, {0x06, 0x49, 0x90, 0x05, 0x40, 0x20, 0x02, 0xC0, 0x34, 0x12, 0x78, 0x56});
  EXPECT_EQ(point->appearances, 2u);
  EXPECT_EQ(point->frames, 20u);
  EXPECT_EQ(At<TTavikTS>({6, 0x90, 5, 2})->state, 1);
  const auto* ti = At<TTavikTI>({6, 0x20, 2, 2});
  ASSERT_NE(ti, nullptr);
  EXPECT_EQ(ti->value, 0x5678);
  EXPECT_EQ(At<TTavikTI>({6, 0x20, 2, 1})->value, 0x1234);
  EXPECT_EQ(At({6, 0x20, 2})->node->children.size(), 2u);
  EXPECT_EQ(Text({6, 0x20, 2, 1}), "ТИ1=1234h C=1 И=1 Т=2026.12.09 12:00:00.000");

  // New control telesignals: a mask picks the groups.
  Sirius(0, {0x06, 0xF1, 0x20, 0x80, 0x01, 0xFF, 0x00});
  EXPECT_EQ(At<TTavikTS>({6, 0x90, 0x20, 3})->state, 1);
  EXPECT_EQ(At<TTavikTS>({6, 0x90, 0x2F, 3})->state, 0);
  EXPECT_EQ(At({6, 0x90, 0x21}), nullptr);
}

TEST_F(TavikTest, ConfigurationBlocksAndThreeByteValues) {
  Sirius(0, {0x07, 0x47, 0xFF, 0xF1, 0xF4, 0xFF, 0x12, 0, 0, 0, 0});
  EXPECT_EQ(At({7, 0x47, 1})->name, "Б1=F1h ВДС-16(2Г)");
  EXPECT_EQ(At({7, 0x47, 2})->name, "Б2=F4h ВТИ-16(2Г)");
  EXPECT_EQ(At({7, 0x47, 4})->name, "Б4=12h ???");
  EXPECT_EQ(Text({7, 0x47, 3}), "Б3=FFh нет C=1 И=1 Т=2026.12.09 12:00:00.000");
  EXPECT_EQ(At<TTavikBlock>({7, 0x47, 5})->changes, 0u);
  Sirius(1, {0x07, 0x47, 0xFF});
  EXPECT_EQ(At({7, 0x47})->node->children.size(), 8u);

  Sirius(0, {0x07, 0x0A, 0x01, 0x00, 0x40, 0x81, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  const auto* ti3 = At<TTavikTI3>({7, 0x0A, 1, 1});
  ASSERT_NE(ti3, nullptr);
  EXPECT_EQ(ti3->value, 0x00814000u);
  EXPECT_EQ(Text({7, 0x0A, 1, 1}).rfind("ТИ3_1=00814000h=1.5 C=1 И=1 Т=", 0), 0u) << Text({7, 0x0A, 1, 1});
  EXPECT_NE(At({7, 0x0A, 1, 4}), nullptr);
}

TEST_F(TavikTest, ActivityMapPaintsSquaresAndFadesQuietGroups) {
  Sirius(0, {0x01, 0x90, 0x0C, 0x00});
  auto* function = At<TTavikHubFunc>({1, 0x90});
  EXPECT_EQ(function->map.squares[12], TTavikMap::kWhite);
  EXPECT_EQ(function->mapWidth, 16);
  EXPECT_EQ(function->NumberText(), "012");
  Sirius(0, {0x01, 0x90, 0x0C, 0x00});
  EXPECT_EQ(function->map.squares[12], TTavikMap::kYellow);
  const std::vector<uint32_t> pixels = function->map.Render(0xFFFFFF);
  EXPECT_EQ(pixels[size_t(TTavikMap::SquareY(12)) * TTavikMap::kWidth + TTavikMap::SquareX(12)], TTavikMap::kYellow);
  EXPECT_EQ(pixels[0], 0x909090u);
  EXPECT_EQ(pixels[3], 0xFFFFFFu);

  const auto all = [](const TTavikNode&) { return true; };
  pcNow = kStart + 900 / kMsPerDay;
  EXPECT_FALSE(analyzer.Fade(all));
  pcNow = kStart + 1200 / kMsPerDay;
  EXPECT_TRUE(analyzer.Fade(all));
  EXPECT_EQ(function->map.squares[12], TTavikMap::kBlack);
  EXPECT_FALSE(analyzer.Fade(all));

  // Tree listing and CSV carry every node.
  const std::string tree = TavikTreeText(analyzer);
  EXPECT_NE(tree.find("\n  Порт0 C=2\n    Пункт1 C=2\n      Функ90h ТС    C=2\n        Группа12=00000000 C=2 И=8\n"),
            std::string::npos)
      << tree;
  const std::string csv = TavikTreeCsv(analyzer);
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 5 + 8);
  EXPECT_NE(csv.find("\r\n4;12;Группа12;Группа12=00000000 C=2 И=8;2;"), std::string::npos) << csv;
}

}  // namespace
}  // namespace vlm

namespace vlm {
namespace {

TEST(BoxViewRules, FunctionFieldFlowWidthsPalettesAndFind) {
  EXPECT_EQ(FilterFnText("1G", true), "1");
  EXPECT_EQ(FilterFnText("a5x", true), "A5");
  EXPECT_EQ(FilterFnText("a5x", false), "5");
  int value = -1;
  EXPECT_EQ(ParseFnText("300", false, value), TFnParse::OutOfRange);
  EXPECT_EQ(ParseFnText("FF", true, value), TFnParse::Valid);
  EXPECT_EQ(value, 255);
  EXPECT_EQ(ParseFnText("", true, value), TFnParse::Empty);
  EXPECT_EQ(value, 0);

  EXPECT_EQ(FlowLineWidth(80, 100), 40);
  EXPECT_EQ(FlowLineWidth(5, 100), 2);  // 2.5 goes to the even neighbour
  EXPECT_EQ(FlowLineWidth(7, 100), 4);  // 3.5 as well
  EXPECT_EQ(FirstFlowShown(0, 1500, 30, 400, true), 1130);
  EXPECT_EQ(FirstFlowShown(1130, 100, 30, 400, false), 100);

  EXPECT_FALSE(UsesPalette(0x00));
  EXPECT_FALSE(UsesPalette(0x33));
  EXPECT_TRUE(UsesPalette(0x4F));
  EXPECT_EQ(PaletteText(0x4F & 15), 0xFFFFFFu);
  EXPECT_EQ(PaletteBackground(0x4F >> 4), 0x0000FFu);

  const std::deque<std::string> lines{std::string(1, '\0') + "a 05 90 03", std::string(1, '\0') + "КП5 ТС",
                                      std::string(1, '\0') + "b 05 90 04"};
  EXPECT_EQ(FindLine(lines, -1, "0590", true, false), 0);
  EXPECT_EQ(FindLine(lines, 0, "05 90", true, false), 2);
  EXPECT_EQ(FindLine(lines, 2, "05 90", true, true), 0);
  EXPECT_EQ(FindLine(lines, -1, "КП5", false, false), 1);
  EXPECT_EQ(FindLine(lines, -1, "5G", true, false), -1);
}

}  // namespace
}  // namespace vlm
