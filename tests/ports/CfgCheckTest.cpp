// velmorctl cfg check in-process, and the stored image with every kind read back byte-exact.
#include <cstdlib>
#include <filesystem>

#include "PortsFixture.h"
#include "common/DataFolder.h"
#include "model/ConfigText.h"
#include "cli/CfgCheck.h"

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
  ASSERT_TRUE(ReadWholeFile(kAllKinds, stored)) << kAllKinds;
  ReadImage(Bytes(stored.begin(), stored.end()));
  EXPECT_TRUE(prompt.errors.empty());
  EXPECT_EQ(WriteImage(), Bytes(stored.begin(), stored.end()));
  const std::string listing = TreeText(tree);
  for (const char* text : {"Порт Активный", "№2 Станция КП", "КП ТМ120", "КП Гранит", "\"КП-2\"",
                           "Порт передачи РПT80", "Порт Времени SNTP", "ВЕЛМОР", "RTU", "КП МЭК104"})
    EXPECT_NE(listing.find(text), std::string::npos) << text;
  EXPECT_EQ(Check(kAllKinds), 0) << out;
}

}  // namespace
}  // namespace vlm::test
