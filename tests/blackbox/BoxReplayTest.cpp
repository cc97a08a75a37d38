// Printing a recorded text file: header lines passed over, CP1251 and UTF-8 lines, long lines.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "blackbox/BoxReplay.h"
#include "common/TextCodec.h"

namespace vlm::test {
namespace {

// A temporary file holding `content`, read back from the start.
struct TTempFile {
  explicit TTempFile(const std::string& content) : file(std::tmpfile()) {
    std::fwrite(content.data(), 1, content.size(), file);
    std::rewind(file);
  }
  ~TTempFile() { std::fclose(file); }
  std::string ReadAll() {
    std::rewind(file);
    std::string s;
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, file)) > 0;) s.append(buf, n);
    return s;
  }
  std::FILE* file;
};

TEST(Replay, PrintsRecordsOfBothEncodingsAndSkipsTheRest) {
  const std::string cp1251 = Utf8ToCp1251(
      "Файл данных программы Конфигуратор ВЕЛМОР Версия: 4.1.9\r\n"
      " Чёрный Ящик №1 Test\r\n"
      "2024.01.02 03:04:05.678|t   100|d 100|p008|e0|L  5|№1|<ПУ|10 5B 01 5C 16 \r\n");
  const std::string utf8 = "2024.01.02 03:04:05.700|t   122|d  22|p014|e2|L  6|№1|-->|68 04 43 00 00 00 \n"
                           "2024.01.02 03:04:05.800|t   130|d   8|p020|e0|L  1|№1|<ПУ|7F";
  TTempFile in(cp1251 + utf8);
  TTempFile out("");
  TReplayOptions options;
  const TReplayResult result = PrintRecording(in.file, out.file, options);
  EXPECT_EQ(result.records, 3u);
  EXPECT_FALSE(result.readError || result.writeError);
  EXPECT_EQ(out.ReadAll(),
            "2024.01.02 03:04:05.678|t   100|d 100|p008|e0|L  5|№1|<ПУ|10 5B 01 5C 16 \n"
            "<- C=5Bh:PRM=1,FCB=0,FCV=1,Fn=11=ЗапрДаннКл2 A=01h=1\n"
            "2024.01.02 03:04:05.700|t   122|d  22|p014|e2|L  6|№1|-->|68 04 43 00 00 00 \n"
            "-> Start=68h APDULen=4  UFrame TESTFR_act\n"
            "2024.01.02 03:04:05.800|t   130|d   8|p020|e0|L  1|№1|<ПУ|7F \n");
}

TEST(Replay, TextOnlyAndParameterByte) {
  TTempFile in("2024.01.02 03:04:05.678|t   100|d 100|p008|e0|L  5|№1|<ПУ|10 5B 01 5C 16 \n");
  TTempFile out("");
  TReplayOptions options;
  options.showHex = false;
  options.param = 0;
  PrintRecording(in.file, out.file, options);
  EXPECT_EQ(out.ReadAll(), "   Длина Адресного поля канального уровня=0-ошибка, должна быть 1 или 2\n");
}

TEST(LineSource, LinesLongerThanTheBufferAndNoFinalNewLine) {
  const std::string longLine(100, 'x');
  TTempFile in("ab\r\n" + longLine + "\n\nlast");
  TLineSource source(in.file, 8);
  std::string_view line;
  ASSERT_TRUE(source.Next(line));
  EXPECT_EQ(line, "ab\r");
  ASSERT_TRUE(source.Next(line));
  EXPECT_EQ(line, longLine);
  ASSERT_TRUE(source.Next(line));
  EXPECT_EQ(line, "");
  ASSERT_TRUE(source.Next(line));
  EXPECT_EQ(line, "last");
  EXPECT_FALSE(source.Next(line));
}

}  // namespace
}  // namespace vlm::test
