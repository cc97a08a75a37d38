#include <gtest/gtest.h>

#include "common/DateTime.h"

using namespace vlm;

TEST(DateTime, EncodeDecodeAndEpoch) {
  EXPECT_DOUBLE_EQ(EncodeDateTime({1899, 12, 30}), 0.0);
  EXPECT_DOUBLE_EQ(EncodeDateTime({1970, 1, 1}), 25569.0);
  const TDateTime t = EncodeDateTime({2026, 2, 1, 3, 4, 5, 678});
  const DateTimeParts p = DecodeDateTime(t);
  EXPECT_EQ(p.year, 2026);
  EXPECT_EQ(p.month, 2);
  EXPECT_EQ(p.day, 1);
  EXPECT_EQ(p.hour, 3);
  EXPECT_EQ(p.minute, 4);
  EXPECT_EQ(p.second, 5);
  EXPECT_EQ(p.millisecond, 678);
  // Leap day and the next day after 23:59:59.999
  EXPECT_EQ(FormatDateTime("dd.mm.yyyy", EncodeDateTime({2024, 2, 29})), "29.02.2024");
  EXPECT_EQ(FormatDateTime("yyyy.mm.dd hh:nn:ss.zzz", EncodeDateTime({2025, 12, 31, 23, 59, 59, 999}) + 1 / kMsPerDay),
            "2026.01.01 00:00:00.000");
}

TEST(DateTime, PatternsOfTheProgram) {
  const TDateTime t = EncodeDateTime({2026, 3, 9, 7, 5, 4, 32});
  EXPECT_EQ(FormatDateTime("yyyy.mm.dd hh:nn:ss.zzz", t), "2026.03.09 07:05:04.032");
  EXPECT_EQ(FormatDateTime("dd.mm.yyyy", t), "09.03.2026");
  EXPECT_EQ(FormatDateTime("hh:nn:ss", t), "07:05:04");
  EXPECT_EQ(FormatDateTime("yyyy_mm_dd hh_nn_ss", t), "2026_03_09 07_05_04");
  EXPECT_EQ(FormatDateTime("ss.zzz", t), "04.032");
  EXPECT_EQ(FormatDateTime("Первое:   \tyyyy", t), "Первое:   \t2026");
  EXPECT_EQ(FormatDateTime(" (ss.z)", t), " (04.32)");
  EXPECT_EQ(FormatDateTime("hh:mm", t), "07:05");  // m after h is minutes
  EXPECT_EQ(FormatDateTime("'yyyy' yy", t), "yyyy 26");
}

TEST(DateTime, Stamp) {
  TDateTime t;
  ASSERT_TRUE(ParseStamp("01.02.2026 03:04:05", t));
  EXPECT_EQ(FormatDateTime("yyyy.mm.dd hh:nn:ss", t), "2026.02.01 03:04:05");
  EXPECT_FALSE(ParseStamp("01.13.2026 03:04:05", t));
  EXPECT_FALSE(ParseStamp("01.02.2026", t));
  EXPECT_FALSE(ParseStamp("01.02.2026 03:04:05x", t));
}

TEST(DateTime, DosPacked) {
  // 2026-02-01 03:04:06: years 46, month 2, day 1, 3 h, 4 min, 3 two-second units
  const uint32_t packed = (46u << 25) | (2u << 21) | (1u << 16) | (3u << 11) | (4u << 5) | 3u;
  EXPECT_EQ(DateTimeToDos(EncodeDateTime({2026, 2, 1, 3, 4, 7})), packed);  // odd second rounds down
  EXPECT_EQ(FormatDateTime("dd.mm.yyyy hh:nn:ss", DosToDateTime(packed)), "01.02.2026 03:04:06");
  EXPECT_EQ(FormatDateTime("dd.mm.yyyy", DosToDateTime(0)), "01.01.1980");  // never stamped
}
