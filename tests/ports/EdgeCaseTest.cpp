// The cases where a single byte or a single message depends on a rule of the record layouts.
#include <filesystem>

#include "PortsFixture.h"
#include "common/DataFolder.h"
#include "common/Numbers.h"
#include "ports/VLM_PortAct.h"
#include "ports/VLM_PortRows.h"
#include "support/TempDir.h"

namespace vlm::test {
namespace {

class EdgeCases : public PortsFixture {
 protected:
  // Writes the point record `point` inside an active port record (number 1, no steps).
  Bytes ImageWithActivePoint(const std::function<void(TConfig&)>& point) {
    return ImageWithPorts(1, [&](TConfig& c) {
      const size_t start = c.OpenContainer(2);
      c.WriteU8(101, 1);
      c.WriteU8(106, 1);
      c.WriteU8(108, 1);
      point(c);
      c.CloseContainer(start);
    });
  }
  TDataPoint* FirstPoint() const {
    return dynamic_cast<TDataPoint*>(ProcessorNode().Child(0)->Child(0)->Object());
  }
};

TEST_F(EdgeCases, UnconfiguredPortReportsBothAndWritesZeros) {
  AddPortOf(7);
  const Bytes record = PortRecord(WriteImage(), 7);
  ASSERT_EQ(prompt.errors.size(), 2u);
  EXPECT_EQ(prompt.errors[0], "№0 Порт ЭВМ \rНе настроен адрес порта");
  EXPECT_EQ(prompt.errors[1], "№0 Порт ЭВМ \rНе выбран аппаратный порт");
  EXPECT_EQ(FindRecord(record, 4, record.size(), 0xE0, 106), U8(106, 0));
  EXPECT_EQ(FindRecord(record, 4, record.size(), 0xE0, 107), U8(107, 0));
}

TEST_F(EdgeCases, PortWithoutPointsWritesZeroCountAndReadsNoPoints) {
  TDataPort* port = AddPortOf(17);
  port->Number = 3;
  const Bytes image = WriteImage();
  ASSERT_EQ(prompt.errors.size(), 1u);
  EXPECT_EQ(prompt.errors[0], "№3 Порт ПЭВМ (Ethernet, UDP) \rНе добавлено ни одной ПЭВМ");
  const Bytes record = PortRecord(image, 17);
  EXPECT_EQ(FindRecord(record, 4, record.size(), 0xE0, 108), U8(108, 0));
  EXPECT_TRUE(FindRecord(record, 4, record.size(), 0xF0, 104).empty());
  ReadImage(image);
  EXPECT_EQ(ProcessorNode().Child(0)->Count(), 0u);
}

TEST_F(EdgeCases, ActivePortStopsAtAForeignPointWithItsCaption) {
  TDataPort* active = AddPortOf(2);
  active->Number = 5;
  AddPointOf(*active, 105);
  AddPointOf(*active, 104);  // only reachable through a damaged or foreign image
  const Bytes image = WriteImage();
  prompt.errors.clear();
  EXPECT_THROW(ReadImage(image), EAbort);
  ASSERT_EQ(prompt.errors.size(), 1u);
  EXPECT_EQ(prompt.errors[0], "№5 Порт Активный \rОшибка идентификатора КП\rid=104");
  // What was read before the failure stays: the МЭК 101 point.
  EXPECT_EQ(ProcessorNode().Child(0)->Count(), 1u);
  EXPECT_STREQ(FirstPoint()->ClassName(), "TPoint101");
}

TEST_F(EdgeCases, OtherPortsNameTheirOwnChildKind) {
  TDataPort* modbus = AddPortOf(28);
  AddPointOf(*modbus, 100);
  const Bytes image = WriteImage();
  prompt.errors.clear();
  EXPECT_THROW(ReadImage(image), EAbort);
  EXPECT_EQ(prompt.errors.back(), "Ошибка идентификатора RTU\rid=100");
}

TEST_F(EdgeCases, PollStepsAreWrittenAsCountAndBytes) {
  auto* active = dynamic_cast<TPortActive*>(AddPortOf(2));
  active->StepCount = 3;
  active->Steps[0] = 1, active->Steps[1] = 0, active->Steps[2] = 2;
  const Bytes record = PortRecord(WriteImage(), 2);
  EXPECT_EQ(FindRecord(record, 4, record.size(), 0xE0, 109), Hex("E0 6D 05 00 03"));
  EXPECT_EQ(FindRecord(record, 4, record.size(), 0xE0, 110), Hex("E0 6E 07 00 01 00 02"));
}

TEST_F(EdgeCases, EmptySequenceAndNoPointsAreReportedAfterTheSharedReports) {
  TDataPort* port = AddPortOf(23);
  port->Number = 4;
  port->SetHardPort(AddCard(0)->Ports[0]);
  WriteImage();
  ASSERT_EQ(prompt.errors.size(), 2u);
  EXPECT_EQ(prompt.errors[0], "№4 Порт ТК РЭС \rНе добавлено ни одного КП");
  EXPECT_EQ(prompt.errors[1], "№4 Порт ТК РЭС \rНе настроена последовательность опроса КП");
}

TEST_F(EdgeCases, TkrStepsFillTheWholeBlock) {
  auto* tkr = dynamic_cast<TPortTKR*>(AddPortOf(23));
  tkr->StepCount = 2;
  tkr->Steps[0] = {4, static_cast<uint8_t>(TTkrStepKind::TS)};
  tkr->Steps[1] = {kTkrPausePoint, static_cast<uint8_t>(TTkrStepKind::Pause)};
  const Bytes record = PortRecord(WriteImage(), 23);
  const Bytes steps = FindRecord(record, 4, record.size(), 0xE0, 110);
  ASSERT_EQ(steps.size(), 516u);
  EXPECT_EQ(Bytes(steps.begin() + 4, steps.begin() + 9), Hex("04 01 1F 03 00"));
  EXPECT_EQ(std::count(steps.begin() + 8, steps.end(), 0), 508);
  EXPECT_STREQ(TkrStepText(3), "П");
}

TEST_F(EdgeCases, SiriusVersion2ReadsTwoBytePeriodAndIsWrittenAsVersion3) {
  const Bytes image = ImageWithActivePoint([](TConfig& c) {
    const size_t start = c.OpenContainer(100);
    c.WriteU8(101, 2);
    c.WriteU8(111, 7);
    c.WriteU16(198, 45000);
    c.CloseContainer(start);
  });
  ReadImage(image);
  TDataPoint* point = FirstPoint();
  EXPECT_EQ(point->Values.Get(198), 45000);
  const Bytes record = PortRecord(WriteImage(), 2);
  const Bytes sirius = FindRecord(record, 4, record.size(), 0xF0, 100);
  EXPECT_EQ(FindRecord(sirius, 4, sirius.size(), 0xE0, 101), U8(101, 3));
  EXPECT_EQ(FindRecord(sirius, 4, sirius.size(), 0xE0, 198), U32(198, 45000));
}

TEST_F(EdgeCases, SiriusWithoutPeriodReadsZero) {
  ReadImage(ImageWithActivePoint([](TConfig& c) {
    const size_t start = c.OpenContainer(100);
    c.WriteU8(101, 3);
    c.CloseContainer(start);
  }));
  EXPECT_EQ(FirstPoint()->Values.Get(198), 0);
  EXPECT_EQ(FirstPoint()->Values.Get(121), 2000);  // other items keep their defaults
}

TEST_F(EdgeCases, GroupZeroIsKeptButNotWrittenBack) {
  ReadImage(ImageWithActivePoint([](TConfig& c) {
    const size_t start = c.OpenContainer(105);
    c.WriteU8(101, 3);
    c.WriteU8(124, 2);
    for (uint8_t number : {0, 3}) {
      const size_t g = c.OpenContainer(200);
      c.WriteU8(101, 1);
      c.WriteU8(128, number);
      c.WriteU8(129, 1);
      c.CloseContainer(g);
    }
    c.CloseContainer(start);
  }));
  TDataPoint* point = FirstPoint();
  EXPECT_TRUE((*point->Groups)[0].Used);
  EXPECT_TRUE((*point->Groups)[3].Used);
  EXPECT_EQ((*point->Groups)[3].UseMask, 255);  // absent 212 and 213 keep their defaults
  EXPECT_EQ((*point->Groups)[3].Deltas[7], 7);
  const Bytes record = PortRecord(WriteImage(), 2);
  const Bytes p101 = FindRecord(record, 4, record.size(), 0xF0, 105);
  EXPECT_EQ(FindRecord(p101, 4, p101.size(), 0xE0, 124), U8(124, 1));
  size_t groups = 0;
  for (size_t pos = 4; pos < p101.size(); pos += GetU16(&p101[pos + 2]))
    if (p101[pos] == 0xF0) {
      ++groups;
      EXPECT_EQ(p101[pos + 4 + 5 + 4], 3);  // item 128 after item 101
    }
  EXPECT_EQ(groups, 1u);
}

TEST_F(EdgeCases, ForeignContainerAmongGroupsStopsReading) {
  const Bytes image = ImageWithActivePoint([](TConfig& c) {
    const size_t start = c.OpenContainer(100);
    c.WriteU8(124, 1);
    const size_t g = c.OpenContainer(201);
    c.CloseContainer(g);
    c.CloseContainer(start);
  });
  EXPECT_THROW(ReadImage(image), EAbort);
  EXPECT_EQ(prompt.errors.back(), "Ошибка идентификатора группы ТИ\rid=201");
}

TEST_F(EdgeCases, Mkt3Version1RowIsWidenedAndWrittenAsVersion2) {
  const Bytes image = ImageWithPorts(1, [](TConfig& c) {
    const size_t start = c.OpenContainer(9);
    c.WriteU8(101, 1);
    c.WriteU8(106, 1);
    c.WriteU16(131, 1);
    const uint8_t row[] = {1, 2, 3, 4, 5, 0, 6, 4};
    c.WriteItem(139, sizeof row, row);
    c.CloseContainer(start);
  });
  ReadImage(image);
  auto* port = dynamic_cast<TPortMKT3T*>(ProcessorNode().Child(0)->Object());
  ASSERT_EQ(port->Tables[TPortMKT3T::kTiTable].Count(), 1u);
  const auto row = port->Tables[TPortMKT3T::kTiTable].Row(0);
  EXPECT_EQ(SingleFromBytes(row.subspan<5, 4>()), 0.0f);
  EXPECT_EQ(SingleFromBytes(row.subspan<9, 4>()), 1.0f);
  const Bytes record = PortRecord(WriteImage(), 9);
  EXPECT_EQ(FindRecord(record, 4, record.size(), 0xE0, 101), U8(101, 2));
  EXPECT_EQ(FindRecord(record, 4, record.size(), 0xE0, 139),
            Hex("E0 8B 14 00 01 02 03 04 05 00 00 00 00 00 00 80 3F 00 06 04"));
}

TEST_F(EdgeCases, RowsAreSortedByTheirLocalAddressWhileWriting) {
  TDataPort* passive = AddPortOf(3);
  ASSERT_TRUE(passive->Tables[0].SetRows(Hex("02 01 01 80 07  01 05 03 A0 08")));
  ASSERT_TRUE(passive->Tables[2].SetRows(Hex("02 01 01 09 01  01 05 03 0A 05")));
  TDataPort* board = AddPortOf(5);
  // Parameter 2 (0x40) before parameter 1 (0x80): parameter 1 is written first.
  ASSERT_TRUE(board->Tables[0].SetRows(Hex("01 01 01 40 05 01 02 00  01 01 01 80 85 01 01 00")));
  const Bytes image = WriteImage();
  const Bytes pas = PortRecord(image, 3);
  EXPECT_EQ(FindRecord(pas, 4, pas.size(), 0xE0, 138), Hex("E0 8A 0E 00 01 05 03 A0 08 02 01 01 80 07"));
  EXPECT_EQ(FindRecord(pas, 4, pas.size(), 0xE0, 140), Hex("E0 8C 0E 00 02 01 01 09 01 01 05 03 0A 05"));
  const Bytes lamp = PortRecord(image, 5);
  EXPECT_EQ(FindRecord(lamp, 4, lamp.size(), 0xE0, 134),
            Hex("E0 86 14 00 01 01 01 80 85 01 01 00 01 01 01 40 05 01 02 00"));
}

TEST_F(EdgeCases, TablesRefuseRowsBeyondTheirCapacity) {
  TDataPort* mkt3 = AddPortOf(9);
  std::string message;
  EXPECT_TRUE(mkt3->Tables[0].SetRows(Bytes(64 * 5, 1), &message));
  EXPECT_FALSE(mkt3->Tables[0].SetRows(Bytes(65 * 5, 1), &message));
  EXPECT_EQ(mkt3->Tables[0].Count(), 64u);
  EXPECT_NE(message.find("Таблица переадресации ТС"), std::string::npos);
  EXPECT_FALSE(mkt3->Tables[0].AddRow(Bytes(5, 1)));
  EXPECT_FALSE(mkt3->Tables[0].SetRows(Bytes(7, 1)));  // not whole rows
}

TEST_F(EdgeCases, OversizedConfigurationIsRefusedAndTheFileKept) {
  const TTempDir dir("oversize");
  const std::filesystem::path file = dir / "oversize.cfg";
  ASSERT_TRUE(WriteFileAtomically(file, "previous"));
  AddPortOf(3)->Tables[3].SetRows(Bytes(8192 * 6, 1));
  AddPortOf(28)->Number = 1;
  TDataPort* board = AddPortOf(5);
  ASSERT_TRUE(board->Tables[0].SetRows(Bytes(2000 * 8, 1)));
  prompt.errors.clear();
  // Saving writes the file only from a finished image; the refusal aborts before that.
  EXPECT_THROW(
      {
        const Bytes image = WriteImage();
        WriteFileAtomically(file, std::string(image.begin(), image.end()));
      },
      EAbort);
  ASSERT_FALSE(prompt.errors.empty());
  EXPECT_NE(prompt.errors.back().find("64001"), std::string::npos) << prompt.errors.back();
  std::string kept;
  ASSERT_TRUE(ReadWholeFile(file, kept));
  EXPECT_EQ(kept, "previous");
}

TEST_F(EdgeCases, ReadFixupsOfBoardAndGranit) {
  ReadImage(ImageWithPorts(2, [](TConfig& c) {
    size_t start = c.OpenContainer(5);
    c.WriteU8(219, 0);
    c.CloseContainer(start);
    start = c.OpenContainer(2);
    c.WriteU8(108, 1);
    const size_t point = c.OpenContainer(108);
    c.WriteU8(112, 9);
    c.CloseContainer(point);
    c.CloseContainer(start);
  }));
  EXPECT_EQ(dynamic_cast<TDataPort*>(ProcessorNode().Child(0)->Object())->Values.Get(219), 241);
  auto* granit = dynamic_cast<TDataPoint*>(ProcessorNode().Child(1)->Child(0)->Object());
  EXPECT_EQ(granit->Values.Get(112), 16);
  EXPECT_EQ(granit->GetCaption(), "???");
  EXPECT_EQ(granit->Node->Text(), "№1 КП Гранит ");
}

TEST_F(EdgeCases, ReportsOfPointAddressesAndTheSntpPort) {
  TDataPort* passive = AddPortOf(3);
  passive->Number = 2;
  passive->Values.Set(111, 0);
  TDataPort* modbus = AddPortOf(28);
  modbus->Number = 3;
  AddPointOf(*modbus, 114)->SetNumber(0);
  AddPortOf(26);
  prompt.errors.clear();
  WriteImage();
  const std::vector<std::string> expected = {
      "№2 Порт Пассивный \rНе выбран аппаратный порт",
      "№2 Порт Пассивный \rНе настроен адрес пункта",
      "№3 Порт Modbus RTU \rНе выбран аппаратный порт",
      "№0 RTU\rНе настроен адрес RTU",
      "Порт Времени SNTP (Ethernet, UDP): не настроен адрес порта",
  };
  EXPECT_EQ(prompt.errors, expected);
}

}  // namespace
}  // namespace vlm::test
