// One record of every kind, freshly created (number 5, no hardware port), against the bytes worked
// out item by item from the record layouts.
#include "PortsFixture.h"

namespace vlm::test {
namespace {

const Bytes kNone;

Bytes Shared(uint8_t version) { return Container(0, {U8(101, version), U8(106, 5), Str(149, ""), U8(107, 0)}); }

// The shared items without their container header (Container(0, ...) then stripped).
Bytes SharedItems(uint8_t version) {
  Bytes b = Shared(version);
  return Bytes(b.begin() + 4, b.end());
}

Bytes NoComment(uint8_t hard = 0) {
  Bytes b = Container(0, {U8(101, 1), U8(106, 5), U8(107, hard)});
  return Bytes(b.begin() + 4, b.end());
}

const Bytes kSirius = Container(100, {
    U8(101, 3), U8(111, 1), Str(149, ""), U8(151, 0), U8(112, 2), U8(113, 4), U16(6, 100),
    U16(115, 2571), U16(116, 2717), U16(210, 0), U16(211, 0), U8(117, 20), U8(114, 0), U8(118, 3),
    U16(119, 100), U8(120, 0), U16(121, 2000), U16(122, 3000), U8(123, 255), U8(124, 0), U8(125, 255),
    U8(126, 1), U16(127, 5000), U16(152, 10000), U16(191, 250), U8(192, 1), U8(193, 0), U8(197, 0),
    U32(198, 60000), U8(214, 0), U8(218, 240)});
const Bytes kTm120 = Container(102, {
    U8(101, 3), U8(111, 1), Str(149, ""), U8(151, 0), U8(112, 1), U8(113, 4), U16(6, 100),
    U16(115, 2571), U16(116, 2717), U16(210, 0), U16(211, 0), U8(117, 20), U8(114, 0), U8(118, 3),
    U16(119, 100), U8(120, 0), U16(121, 2000), U16(122, 3000), U8(123, 255), U8(124, 0), U8(125, 255),
    U8(126, 1), U16(127, 5000), U16(152, 10000), U16(191, 250), U8(192, 1), U8(193, 0), U8(197, 0),
    U32(198, 60000), U8(214, 0), U8(218, 240)});
const Bytes k101 = Container(105, {
    U8(101, 3), U8(111, 1), Str(149, ""), U8(113, 4), U16(6, 200), U16(115, 2571), U16(116, 2717),
    U8(117, 20), U8(114, 0), U16(119, 100), U8(120, 0), U8(123, 255), U8(124, 0), U8(125, 255),
    U8(156, 251), U8(157, 1), U16(121, 300), U16(158, 1000), U8(118, 3), U8(159, 1), U8(160, 1),
    U8(161, 2)});
const Bytes kGranit = Container(108, {
    U8(101, 3), U8(111, 1), Pad256(149, ""), U8(112, 16), U8(113, 4), U16(6, 100), U16(115, 2571),
    U16(116, 2717), U8(185, 1), U8(117, 10), U8(114, 0), U8(118, 3), U16(119, 10), U16(121, 3000),
    U16(122, 3000), U8(123, 0), U8(124, 0), U8(125, 64)});
const Bytes kTkrPoint = Container(107, {
    U8(101, 1), U8(183, 1), U8(111, 1), Str(149, ""), U8(151, 1), U8(112, 13), U8(113, 4), U16(6, 100),
    U16(115, 2900), U16(116, 3100), U8(117, 20), U8(114, 0), U8(118, 5), U16(119, 0), U8(120, 0),
    U16(121, 1000), U8(123, 255), U8(124, 0), U8(125, 255), U8(126, 1), U16(127, 5000)});
const Bytes kPcePoint = Container(104, {U8(101, 1), U8(196, 1), U8(111, 1), Str(149, ""), U32(1, 0)});
const Bytes kPc4Point = Container(106, {
    U8(101, 2), U8(196, 1), U8(111, 1), Str(149, ""), U32(1, 0), U16(164, 30000), U16(165, 15000),
    U16(166, 10000), U16(167, 20000), U16(168, 12), U16(169, 8), U8(179, 8), U16(201, 0),
    U16(203, 16384), U16(131, 0), U8(199, 0), U8(220, 1), Raw(139, {}), U16(202, 0), U16(204, 8192),
    U16(132, 0), U8(200, 0), Raw(138, {})});
const Bytes k104Point = Container(109, {
    U8(101, 1), U8(111, 1), Str(149, ""), U16(180, 2404), U32(1, 0), U32(187, 0), U16(164, 30000),
    U16(165, 15000), U16(166, 10000), U16(167, 20000), U16(168, 12), U16(169, 8), U8(179, 1)});
const Bytes kLisnaCPoint = Container(110, {U8(196, 1), U8(101, 3), U8(111, 1), Str(149, "")});
const Bytes kLisnaMPoint = Container(111, {U8(196, 1), U8(101, 3), U8(111, 1), Str(149, ""), U16(195, 0)});
const Bytes kLisnaVPoint = Container(112, {U8(196, 1), U8(101, 3), U8(111, 1), Str(149, ""), U16(188, 0)});
const Bytes kVlmPoint = Container(113, {U8(101, 1), U8(111, 1), Str(149, ""), U16(181, 8270), U32(1, 0)});
const Bytes kModbusPoint = Container(114, {
    U8(101, 1), U8(196, 1), U8(111, 1), Str(149, ""), U8(118, 3), U16(121, 500), U16(132, 0),
    Raw(205, {}), U16(131, 0), Raw(206, {})});

struct Golden {
  uint8_t typeId;
  std::vector<uint8_t> points;  // point kinds added under the port
  Bytes expected;
};

std::vector<Golden> Goldens() {
  const Bytes s1 = SharedItems(1);
  return {
      {2, {100, 102, 105, 108}, Container(2, {s1, U8(108, 4), U8(109, 0), Raw(110, {}), U8(190, 1), U8(133, 0),
                                              U32(130, 1800000), U16(204, 0), kSirius, kTm120, k101, kGranit})},
      {3, {}, Container(3, {s1, U8(111, 1), U8(112, 2), U8(113, 4), U16(6, 200), U16(115, 2571), U16(116, 2717),
                            U8(117, 20), U16(119, 100), U8(144, 0), U8(145, 8), U8(215, 32), U16(132, 0),
                            Raw(138, {}), U16(131, 0), Raw(139, {}), U16(142, 0), Raw(140, {}), U16(143, 0),
                            Raw(141, {})})},
      {5, {}, Container(5, {SharedItems(3), U16(132, 0), Raw(134, {}), U16(131, 0), Raw(135, {}), U16(136, 0),
                            Raw(137, {}), U8(112, 0), U8(219, 241), U8(222, 0), U8(224, 0)})},
      {7, {}, Container(7, {s1, U8(163, 0), U8(221, 0)})},
      {8, {}, Container(8, {s1, U8(163, 0), U8(221, 0)})},
      {9, {}, Container(9, {SharedItems(2), U16(6, 5000), U16(115, 2571), U16(116, 2717), U8(145, 8),
                            U16(132, 0), Raw(138, {}), U16(131, 0), Raw(139, {})})},
      {10, {}, Container(10, {s1, U16(6, 80), U16(115, 2571), U16(116, 2717), U8(117, 0), U8(150, 30),
                              Raw(155, Bytes(30, 0)), Pad256(149, "")})},
      {11, {}, Container(11, {s1, U16(6, 200), U16(115, 2571), U16(116, 2717), U8(117, 0), U16(119, 10),
                              U8(123, 16), U8(124, 2), U8(146, 0)})},
      {12, {}, Container(12, {s1, U16(6, 200), U16(115, 2571), U16(116, 2717), U8(117, 0), U8(150, 0),
                              Raw(155, Bytes(241, 0)), Pad256(149, "")})},
      {13, {}, Container(13, {s1, U16(6, 200), U16(115, 2571), U16(116, 2717), U8(150, 0), Pad256(149, ""),
                              U8(132, 0), Raw(138, {}), U8(131, 0), Raw(139, {})})},
      {15, {}, Container(15, {NoComment()})},
      {16, {}, Container(16, {s1, U16(115, 2571), U16(116, 2717)})},
      {17, {104}, Container(17, {NoComment(), U8(108, 1), U16(181, 8270), kPcePoint})},
      {18, {}, Container(18, {s1})},
      {19, {106}, Container(19, {NoComment(), U8(108, 1), U16(180, 2404), kPc4Point})},
      {20, {}, Container(20, {s1, U8(196, 1), U16(170, 630), U16(171, 630), U8(172, 19), U8(173, 31),
                              U8(117, 10), kLisnaCPoint})},
      {21, {112}, Container(21, {s1, U8(108, 1), U8(196, 1), U16(170, 630), U16(174, 630), U16(175, 630),
                                 U8(176, 31), U8(117, 10), kLisnaVPoint})},
      {22, {}, Container(22, {NoComment(), U16(181, 10110), U32(1, 0), U32(182, 3)})},
      {23, {107}, Container(23, {s1, U8(108, 1), U8(109, 0), Raw(110, Bytes(512, 0)), U32(184, 600000),
                                 U8(189, 0), kTkrPoint})},
      {24, {109}, Container(24, {NoComment(), U16(180, 2404), U8(108, 1), k104Point})},
      {25, {111}, Container(25, {s1, U8(108, 1), U8(196, 1), U16(170, 1890), U16(171, 2790), U8(176, 12),
                                 U8(117, 10), U16(194, 3000), U8(190, 1), kLisnaMPoint})},
      {26, {}, Container(26, {NoComment(1), U32(1, 0), U32(182, 3)})},
      {27, {}, Container(27, {NoComment(), kVlmPoint})},
      {28, {114}, Container(28, {s1, U8(108, 1), U8(196, 1), kModbusPoint})},
      {29, {}, Container(29, {NoComment()})},
      {30, {}, Container(30, {s1, U8(112, 0)})},
  };
}

class GoldenRecords : public PortsFixture {};

TEST_F(GoldenRecords, EveryKindWritesTheDocumentedRecord) {
  const std::vector<Golden> goldens = Goldens();
  ASSERT_EQ(goldens.size(), PortKinds().size());
  for (const Golden& g : goldens) {
    TDataPort* port = AddPortOf(g.typeId);
    port->Number = 5;
    for (uint8_t id : g.points) AddPointOf(*port, id);
  }
  const Bytes image = WriteImage();
  for (const Golden& g : goldens) EXPECT_EQ(PortRecord(image, g.typeId), g.expected) << "port " << int(g.typeId);
}

TEST_F(GoldenRecords, CommentAndPlaceAreStoredInTheControllerCodePage) {
  TDataPort* port = AddPortOf(12);
  port->Number = 5;
  port->Comment = "Щит";
  port->SetPlace("Юг 1");
  const Bytes record = PortRecord(WriteImage(), 12);
  // Щ и т -> 99 A8 E2; Ю г -> 9E A3.
  const Bytes comment = Hex("E0 95 08 00 03 99 A8 E2");
  EXPECT_EQ(Bytes(record.begin() + 14, record.begin() + 22), comment);
  const Bytes place = FindRecord(record, 22, record.size(), 0xE0, 149);
  EXPECT_EQ(Bytes(place.begin(), place.begin() + 9), Hex("E0 95 04 01 04 9E A3 20 31"));
  EXPECT_EQ(place.size(), 260u);
}

}  // namespace
}  // namespace vlm::test
