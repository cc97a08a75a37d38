// The configuration image: golden bytes of a new configuration, the header, the checksum and
// every refusal of a damaged image.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ModelTestUtil.h"
#include "model/ConfigText.h"
#include "support/ScriptedPrompt.h"

namespace vlm::test {
namespace {

std::string Text(const Bytes& image, size_t offset, size_t length) {
  return std::string(reinterpret_cast<const char*>(image.data()) + offset, length);
}

Bytes NewConfigurationImage() {
  TTree tree;
  return BuildImage(*NewConfiguration(tree));
}

TEST(ImageTest, NewConfigurationHasTheKnownRecords) {
  const Bytes image = NewConfigurationImage();
  ASSERT_EQ(image.size(), 212u);
  const Bytes records = {
      0xF0, 0x94, 0x42, 0x00, 0xE0, 0x95, 0x05, 0x00, 0x00, 0xE0, 0x93, 0x05, 0x00, 0x01,
      0xF0, 0x66, 0x34, 0x00, 0xE0, 0x69, 0x05, 0x00, 0x01, 0xE0, 0x67, 0x05, 0x00, 0x00,
      0xF0, 0x99, 0x26, 0x00, 0xE0, 0x69, 0x05, 0x00, 0x01, 0xE0, 0x01, 0x08, 0x00, 0x00,
      0x00, 0x00, 0x00, 0xE0, 0xBA, 0x08, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xE0, 0xBB, 0x08,
      0x00, 0x00, 0x00, 0x00, 0x00, 0xE0, 0x68, 0x05, 0x00, 0x00};
  EXPECT_EQ(Bytes(image.begin() + 144, image.begin() + 210), records);
}

TEST(ImageTest, HeaderTextsSitAtTheirOffsets) {
  const Bytes image = NewConfigurationImage();
  EXPECT_EQ(Text(image, 0, 31), "         VELMOR    Config file ");
  EXPECT_EQ(image[31], 1);
  EXPECT_EQ(Text(image, 32, 12), "Size:212    ");
  EXPECT_EQ(GetU32(&image[44]), 212u);
  EXPECT_EQ(Text(image, 64, 16), "Date:01.02.2026 ");
  EXPECT_EQ(Text(image, 80, 16), "Time:03:04:05   ");
  EXPECT_EQ(Text(image, 96, 16), "CVer:4.1.9      ");
  for (size_t i : {48u, 63u, 112u, 143u}) EXPECT_EQ(image[i], 0) << i;
}

TEST(ImageTest, ChecksumIsTheByteSumLowByteFirst) {
  Bytes image = NewConfigurationImage();
  uint16_t sum = 0;
  for (size_t i = 0; i + 2 < image.size(); ++i) sum = uint16_t(sum + image[i]);
  EXPECT_EQ(GetU16(&image[210]), sum);
  EXPECT_TRUE(CheckSumMatches(image.data(), image.size()));
  image[150] ^= 1;
  EXPECT_FALSE(CheckSumMatches(image.data(), image.size()));
  EXPECT_FALSE(CheckSumMatches(image.data(), 2));
  EXPECT_FALSE(StoreCheckSum(image.data(), 2));
  EXPECT_FALSE(CheckSum(image.data(), image.size(), 2));
}

TEST(ImageTest, RecordListingShowsNesting) {
  TConfig cfg;
  cfg.Load(NewConfigurationImage());
  const std::string text = RecordsText(cfg);
  EXPECT_NE(text.find("   144  F0 148     66\n"), std::string::npos) << text;
  EXPECT_NE(text.find("   189        E0 186      8 00 FF FF FF\n"), std::string::npos) << text;
}

// --- reading errors ---

struct TCraftCase {
  const char* name;
  void (*damage)(Bytes&);
  const char* error;
};

Bytes ImageWithEverything() {
  TTree tree;
  TStation* station = NewConfiguration(tree);
  TController* controller = static_cast<TController*>(station->ChildObject(0));
  Kinds().Create(TKindFamily::Card, 2, *controller->Node);
  return BuildImage(*station);
}

void SetContainerId(Bytes& image, uint8_t id, uint8_t newId) {
  image[FindRecord(image, kTagContainer, id) + 1] = newId;
  FixChecksum(image);
}

const TCraftCase kCraftCases[] = {
    {"Signature", [](Bytes& b) { b[9] = 'X'; }, "Ошибка сигнатуры"},
    {"SignatureBeforeChecksum", [](Bytes& b) { b[9] = 'X'; b[100] = '0'; }, "Ошибка сигнатуры"},
    {"Checksum", [](Bytes& b) { b[100] = '0'; }, "Ошибка контрольной суммы"},
    {"Station", [](Bytes& b) { SetContainerId(b, 148, 7); }, "Ошибка идентификатора станции ПУ\rid=7"},
    {"Controller", [](Bytes& b) { SetContainerId(b, 102, 101); }, "Ошибка идентификатора контроллера\rid=101"},
    {"Card", [](Bytes& b) { SetContainerId(b, 2, 9); }, "Ошибка идентификатора платы\rid=9"},
    {"Processor", [](Bytes& b) { SetContainerId(b, 153, 154); }, "Ошибка идентификатора процессора\rid=154"},
};

TEST(ImageReadTest, DamagedImagesAreRefusedWithTheirText) {
  for (const auto& c : kCraftCases) {
    SCOPED_TRACE(c.name);
    Bytes image = ImageWithEverything();
    c.damage(image);
    TTree tree;
    const auto result = ReadImage(image, tree);
    EXPECT_TRUE(result.aborted);
    ASSERT_EQ(result.errors.size(), 1u);
    EXPECT_EQ(result.errors[0], c.error);
  }
}

TEST(ImageReadTest, ProcessorContainerMayCarryId105) {
  Bytes image = NewConfigurationImage();
  SetContainerId(image, 153, 105);
  TTree tree;
  EXPECT_FALSE(ReadImage(image, tree).aborted);
}

TEST(ImageReadTest, UnknownPortKindIsRefused) {
  TImageWriter w;
  w.OpenController();
  w.cfg.WriteU8(104, 1);
  w.Open(4);  // id 4 belongs to no port kind
  TTree tree;
  const auto result = ReadImage(w.Finish(), tree);
  EXPECT_TRUE(result.aborted);
  ASSERT_EQ(result.errors.size(), 1u);
  EXPECT_EQ(result.errors[0], "Ошибка идентификатора порта.\rid=4");
}

// Sound refusals where the format itself has no rule.
TEST(ImageReadTest, BoundsOfTheGivenBytesAreNeverLeft) {
  const Bytes good = NewConfigurationImage();
  struct {
    const char* name;
    Bytes image;
    const char* errorStart;
  } cases[] = {
      {"size larger than file", [&] { Bytes b = good; b.resize(200); return b; }(), "Ошибка размера конфигурации"},
      {"size field too small", [&] { Bytes b = good; PutU32(&b[44], 100); return b; }(), "Ошибка размера конфигурации"},
      {"shorter than header", Bytes(good.begin(), good.begin() + 60), "Ошибка размера конфигурации"},
      {"shorter than signature", Bytes(good.begin(), good.begin() + 20), "Ошибка сигнатуры"},
      {"too large", Bytes(kImageCapacity + 1, 0), "Слишком большой файл"},
      {"zero length", [&] { Bytes b = good; PutU16(&b[148 + 2], 0); FixChecksum(b); return b; }(),
       "Ошибка структуры конфигурации\rзапись нулевой длины, смещение 148"},
      {"past container", [&] { Bytes b = good; PutU16(&b[181 + 2], 40); FixChecksum(b); return b; }(),
       "Ошибка структуры конфигурации\rзапись выходит за границу контейнера, смещение 181"},
      {"past image", [&] { Bytes b = good; PutU16(&b[144 + 2], 67); FixChecksum(b); return b; }(),
       "Ошибка структуры конфигурации\rзапись выходит за границу контейнера, смещение 144"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    TTree tree;
    const auto result = ReadImage(c.image, tree);
    EXPECT_TRUE(result.aborted);
    ASSERT_EQ(result.errors.size(), 1u);
    EXPECT_EQ(result.errors[0].rfind(c.errorStart, 0), 0u) << result.errors[0];
  }
}

TEST(ImageReadTest, TrailingBytesAfterTheSizeAreIgnored) {
  Bytes image = NewConfigurationImage();
  image.resize(300, 0xEE);
  TTree tree;
  EXPECT_FALSE(ReadImage(image, tree).aborted);
}

TEST(ImageReadTest, ItemShorterThanItsFieldIsRefused) {
  TImageWriter w;
  w.OpenController();
  const uint8_t twoBytes[2] = {1, 2};
  w.cfg.WriteItem(186, 2, twoBytes);  // the mask needs 4
  TTree tree;
  const auto result = ReadImage(w.Finish(), tree);
  EXPECT_TRUE(result.aborted);
  ASSERT_EQ(result.errors.size(), 1u);
  EXPECT_EQ(result.errors[0], "Ошибка длины элемента конфигурации\rid=186, нужно 4 байт");
}

TEST(ImageReadTest, MissingContainerIsReportedNotSearchedPastTheEnd) {
  TImageWriter w;
  w.Open(148);
  w.cfg.WriteU8(147, 2);  // says two controllers, holds one
  w.Open(102).Open(153);
  TTree tree;
  const auto result = ReadImage(w.Finish(), tree);
  EXPECT_TRUE(result.aborted);
  ASSERT_EQ(result.errors.size(), 1u);
  EXPECT_EQ(result.errors[0].rfind("Ошибка структуры конфигурации\rнет ожидаемого контейнера", 0), 0u);
  EXPECT_EQ(tree.Root()->Count(), 1u);  // what was read before the failure stays
}

TEST(ImageReadTest, ReadItemCopiesOnlyTheStoredPayload) {
  TImageWriter w;
  w.Open(148);
  const uint8_t three[3] = {0x11, 0x22, 0x33};
  w.cfg.WriteItem(150, 3, three);
  w.cfg.WriteItem(149, 3, "\x09" "ab");  // length byte larger than the stored characters
  TConfig cfg;
  cfg.Load(w.Finish());
  ASSERT_EQ(cfg.NextContainer(), 148);
  uint8_t dest[8];
  std::memset(dest, 0xAA, sizeof dest);
  EXPECT_TRUE(cfg.ReadItem(150, sizeof dest, dest));
  EXPECT_EQ(dest[2], 0x33);
  EXPECT_EQ(dest[3], 0xAA);
  EXPECT_FALSE(cfg.ReadItem(151, sizeof dest, dest));
  std::string place;
  EXPECT_TRUE(cfg.ReadString(149, place));
  EXPECT_EQ(place, "ab");
}

// --- defaults of missing items ---

TEST(ImageReadTest, ProcessorWithoutMaskAndGatewayReadsDefaults) {
  TImageWriter w;
  w.OpenController();
  w.cfg.WriteU8(105, 7);
  w.cfg.WriteU32(1, 0x0A000002);
  TTree tree;
  ASSERT_FALSE(ReadImage(w.Finish(), tree).aborted);
  auto* controllerObj = static_cast<TController*>(tree.Root()->Child(0)->Object());
  TProcessor* p = controllerObj->Processor();
  EXPECT_EQ(p->Number, 7);
  EXPECT_EQ(p->IPAddress, 0x0A000002u);
  EXPECT_EQ(p->NetMask, 0xFFFFFF00u);
  EXPECT_EQ(p->Gateway, 0u);
  EXPECT_EQ(tree.Root()->Child(0)->Text(), "Контроллер (№7)");
  EXPECT_EQ(tree.Root()->Child(0)->Child(0)->Text(), "№7 Процессор");
}

TEST(ImageWriteTest, OversizedConfigurationIsRefusedWithoutImage) {
  TTree tree;
  TStation* station = NewConfiguration(tree);
  TTreeNode& controllerNode = *station->Node->Child(0);
  for (int i = 0; i < 100; ++i) Kinds().Create(TKindFamily::Card, 3, controllerNode);
  ScriptedPrompt prompt;
  PromptGuard guard(prompt);
  TConfig cfg;
  EXPECT_THROW(station->WriteConfig(cfg), EAbort);
  EXPECT_EQ(cfg.ConfigSize, 0u);
  EXPECT_TRUE(cfg.Image().empty());
  ASSERT_EQ(prompt.errors.size(), 1u);
  EXPECT_EQ(prompt.errors[0].rfind("Конфигурация слишком велика", 0), 0u) << prompt.errors[0];
}

}  // namespace
}  // namespace vlm::test
