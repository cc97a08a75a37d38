#pragma once
// A configuration tree with one controller and serial cards to bind ports to, an image cursor,
// and a scripted prompt that records every report.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "common/Prompt.h"
#include "model/Cards.h"
#include "model/Config.h"
#include "model/Kinds.h"
#include "model/VLM_Obj.h"
#include "ports/KindRegistration.h"
#include "ports/PointKind.h"
#include "ports/PortKind.h"
#include "support/ScriptedPrompt.h"

namespace vlm::test {

using Bytes = std::vector<uint8_t>;

class PortsFixture : public ::testing::Test {
 protected:
  PortsFixture();
  ~PortsFixture() override;

  TController* Controller() const;
  TTreeNode& ProcessorNode() const;
  // Serial card 5558 at the given address; its eight ports can be bound.
  TCardRS* AddCard(uint8_t address);
  TDataPort* AddPortOf(uint8_t typeId);
  TDataPoint* AddPointOf(TDataPort& port, uint8_t typeId);

  // Every port kind with one point of every kind it accepts, every field off its default, rows
  // in every table, TI groups and poll steps, all ports bound where they take a hardware port.
  void BuildEverything();
  // The whole image as written now (fixed stamp).
  Bytes WriteImage();
  // Reads an image into a fresh tree (replacing the current one).
  void ReadImage(const Bytes& image);
  // An image of one controller whose processor holds the port records that `ports` writes.
  Bytes ImageWithPorts(int portCount, const std::function<void(TConfig&)>& ports);
  // The bytes of the first container with this id directly under the processor.
  Bytes PortRecord(const Bytes& image, uint8_t typeId) const;

  ScriptedPrompt prompt;
  PromptGuard guard{prompt};
  TTree tree;
  TStation* station = nullptr;
  TConfig cfg;
};

// Three rows in descending key order in every table, so the sorts while writing have work to do.
void FillTables(std::vector<TRowTable>& tables, int salt);

// Record builders for expected bytes, written out item by item from the documented layouts.
Bytes U8(uint8_t id, uint8_t v);
Bytes U16(uint8_t id, uint16_t v);
Bytes U32(uint8_t id, uint32_t v);
Bytes Str(uint8_t id, const std::string& dos);   // length byte + the bytes as given
Bytes Pad256(uint8_t id, const std::string& dos);
Bytes Raw(uint8_t id, const Bytes& payload);
Bytes Container(uint8_t id, std::initializer_list<Bytes> parts);
Bytes Hex(const std::string& hex);

// Walks a list of sibling records and returns the record (header included) of the first
// container/item with this tag and id at [begin, end).
Bytes FindRecord(const Bytes& image, size_t begin, size_t end, uint8_t tag, uint8_t id);

}  // namespace vlm::test
