// velmorctl cfg check in-process, and the stored image with every kind read back byte-exact.
#include <cstdlib>
#include <filesystem>

#include "PortsFixture.h"
#include "common/DataFolder.h"
#include "common/PathText.h"
#include "model/ConfigText.h"
#include "ports/ReaddrData.h"
#include "ports/ReaddrOwners.h"
#include "cli/CfgCheck.h"
#include "cli/Commands.h"

namespace vlm::test {
namespace {

namespace fs = std::filesystem;
const std::string kAllKinds = VELMOR_TEST_DATA "/ports/all_kinds.cfg";

class CfgCheck : public PortsFixture {
 protected:
  void SetUp() override {
    file = fs::temp_directory_path() / ("velmor_ports_check_" + std::to_string(::getpid()) + ".cfg");
  }
  void TearDown() override { fs::remove(file); }
  void Save() {
    const Bytes image = WriteImage();
    ASSERT_TRUE(WriteFileAtomically(file, std::string(image.begin(), image.end())));
  }
  int Check(const std::string& path) {
    ::testing::internal::CaptureStdout();
    const int status = cli::RunCfgCheck({path});
    out = ::testing::internal::GetCapturedStdout();
    return status;
  }
  fs::path file;
  std::string out;
};

TEST_F(CfgCheck, ReportLinesJoinTheBoxLines) {
  EXPECT_EQ(cli::ReportLine("№0 Порт ЭВМ \rНе настроен адрес порта"), "№0 Порт ЭВМ: Не настроен адрес порта");
  EXPECT_EQ(cli::ReportLine("№5 Порт Активный \rОшибка идентификатора КП\rid=104"),
            "№5 Порт Активный: Ошибка идентификатора КП: id=104");
  EXPECT_EQ(cli::ReportLine("Порт Времени SNTP (Ethernet, UDP): не настроен адрес порта"),
            "Порт Времени SNTP (Ethernet, UDP): не настроен адрес порта");
}

TEST_F(CfgCheck, PrintsEveryReportOfWritingAndFails) {
  AddPortOf(7);
  TDataPort* modbus = AddPortOf(28);
  modbus->Number = 2;
  modbus->SetHardPort(AddCard(0)->Ports[1]);
  Save();
  EXPECT_EQ(Check(file.string()), 1);
  EXPECT_EQ(out,
            "№0 Порт ЭВМ: Не настроен адрес порта\n"
            "№0 Порт ЭВМ: Не выбран аппаратный порт\n"
            "№2 Порт Modbus RTU: Не добавлено ни одного RTU\n");
}

TEST_F(CfgCheck, CleanConfigurationPassesSilently) {
  Save();
  EXPECT_EQ(Check(file.string()), 0);
  EXPECT_EQ(out, "");
  EXPECT_EQ(Check((file.string() + ".missing")), 2);
}

// The stored image holds every port and point kind with fields off their defaults; reading and
// writing it again must give the same bytes, and every kind must show in the tree listing.
TEST_F(CfgCheck, StoredImageWithEveryKindRewritesByteExact) {
  std::string stored;
  ASSERT_TRUE(ReadWholeFile(PathFromUtf8(kAllKinds), stored)) << kAllKinds;
  ReadImage(Bytes(stored.begin(), stored.end()));
  EXPECT_TRUE(prompt.errors.empty());
  EXPECT_EQ(WriteImage(), Bytes(stored.begin(), stored.end()));
  const std::string listing = TreeText(tree);
  for (const char* text : {"Порт Активный", "№2 Станция КП", "КП ТМ120", "КП Гранит", "\"КП-2\"",
                           "Порт передачи РПT80", "Порт Времени SNTP", "ВЕЛМОР", "RTU", "КП МЭК104"})
    EXPECT_NE(listing.find(text), std::string::npos) << text;
  // Its Modbus rows overlap: a warning, which does not fail the check.
  EXPECT_EQ(Check(kAllKinds), 0) << out;
  EXPECT_TRUE(out.starts_with("предупреждение: ")) << out;
}

// Stored rows of an owner table from the texts of its grid, as its frame would store them.
std::vector<uint8_t> Rows(TOwnerTableId id, const std::vector<std::vector<std::string>>& rows) {
  const TOwnerTable& def = OwnerTable(id);
  TReaddrData data(def.title, def.columns);
  for (size_t r = 0; r < rows.size(); ++r) {
    if (r + 1 >= data.RowCount()) data.AddRow();
    for (size_t c = 0; c < rows[r].size(); ++c) data.SetCell(r, c, rows[r][c]);
  }
  const TOwnerStore stored = StoreOwnerTable(def, data, nullptr);
  EXPECT_TRUE(stored.ok) << def.title;
  return stored.bytes;
}

// Tables typed elsewhere (another program, an older version) that their frames would refuse or
// warn about: check finds them without a frame being opened.
TEST_F(CfgCheck, OwnerTableChecksRunWithoutTheFrames) {
  TDataPort* board = AddPortOf(5);
  ASSERT_TRUE(board->Tables[0].SetRows(Rows(TOwnerTableId::LampTs, {{"1", "1", "1", "1", "0", "5", "7", "1", "1"},
                                                                    {"1", "1", "2", "1", "1", "5", "7", "1", "1"}})));
  TDataPoint* rtu = AddPointOf(*AddPortOf(28), 114);
  ASSERT_TRUE(rtu->Tables[0].SetRows(Rows(TOwnerTableId::ModbusTs, {{"2", "0", "16"}, {"2", "10", "8"}})));
  TDataPoint* pc = AddPointOf(*AddPortOf(19), 106);
  ASSERT_TRUE(pc->Tables[0].SetRows(Rows(TOwnerTableId::Pc4Ti, {{"1", "1", "1", "1", "1", "0", "1", "100"},
                                                                 {"1", "1", "1", "2", "1", "0", "1", "100"}})));
  ASSERT_TRUE(pc->Tables[1].SetRows(Rows(TOwnerTableId::Pc4Ts, {{"1", "1", "1", "1", "60000"}})));
  Save();
  EXPECT_EQ(Check(file.string()), 1);
  for (const char* text : {"Ошибка в таблице переадресации ТС: Строки 1 и 2: содержат одинаковый адрес сигнала на щите",
                           "RTU: Ошибка в таблице ТС: Строки 1 и 2: содержат перекрывающиеся адреса Modbus: 10",
                           "Строки 1 и 2: содержат одинаковый адрес Объекта информации: 100",
                           "В строке 1: слишком большой Адрес объекта информации: 60000"})
    EXPECT_NE(out.find(text), std::string::npos) << text << "\n" << out;
  // The overlap is a warning, printed after the faults.
  EXPECT_NE(out.find("\nпредупреждение: "), std::string::npos) << out;
}

// A passive port whose image holds more rows than the controller reserves (9000 array rows for
// 8192, 300 TS rows for 256): reading takes what fits and says what it left, check and dump
// print it, rewrite refuses to store the cut configuration.
TEST_F(CfgCheck, RowsPastCapacityAreReportedNeverCutSilently) {
  const Bytes image = ImageWithPorts(1, [](TConfig& c) {
    const size_t start = c.OpenContainer(3);
    c.WriteU8(101, 1);
    c.WriteU8(106, 1);
    c.WriteU16(132, 300);
    const Bytes ts(300 * 5, 1);
    c.WriteItem(138, ts.size(), ts.data());
    c.WriteU16(143, 9000);
    const Bytes arrays(9000 * 6, 1);
    c.WriteItem(141, arrays.size(), arrays.data());
    c.CloseContainer(start);
  });
  ReadImage(image);
  auto* port = dynamic_cast<TDataPort*>(ProcessorNode().Child(0)->Object());
  ASSERT_TRUE(port);
  EXPECT_EQ(port->Tables[0].Count(), 256u);
  EXPECT_EQ(port->Tables[3].Count(), 8192u);
  ASSERT_EQ(cfg.ReadNotes.size(), 2u);
  EXPECT_NE(cfg.ReadNotes[1].find("Таблица переадресации Массивов\"\rВ образе 9000 записей, таблица вмещает 8192"),
            std::string::npos) << cfg.ReadNotes[1];

  ASSERT_TRUE(WriteFileAtomically(file, std::string(image.begin(), image.end())));
  EXPECT_EQ(Check(file.string()), 1);
  EXPECT_NE(out.find("Таблица переадресации ТС\": В образе 300 записей, таблица вмещает 256; считаны первые 256."),
            std::string::npos) << out;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(cli::RunCfgCommand({"dump", file.string()}), 0);
  const std::string dumpErr = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(dumpErr.find(file.string() + ": "), std::string::npos) << dumpErr;
  EXPECT_NE(dumpErr.find("В образе 9000 записей"), std::string::npos) << dumpErr;
  const fs::path copy = file.string() + ".out";
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(cli::RunCfgCommand({"rewrite", file.string(), copy.string()}), 1);
  ::testing::internal::GetCapturedStderr();
  EXPECT_FALSE(fs::exists(copy));
}

// A folder or a damaged image: a message that names the file and status 2, never an exception.
TEST_F(CfgCheck, UnreadableAndDamagedFilesAreNamed) {
  const fs::path folder = file.string() + ".d";
  fs::create_directories(folder);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(Check(folder.string()), 2);
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("cannot read " + folder.string()), std::string::npos) << err;
  fs::remove(folder);
  Save();
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(file, bytes));
  bytes[bytes.size() - 1] ^= 0x55;
  ASSERT_TRUE(WriteFileAtomically(file, bytes));
  EXPECT_EQ(Check(file.string()), 2);
  ASSERT_FALSE(prompt.errors.empty());
  EXPECT_EQ(prompt.errors.back(), file.string() + ": Ошибка контрольной суммы");
}

}  // namespace
}  // namespace vlm::test
