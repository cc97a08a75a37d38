#pragma once
// A loaded configuration seen twice at once: the tree the reader built from the image and the
// image's records grouped by container, each object's container tied to its tree node. The
// difference and the text form both walk this: records give the exact bytes, nodes give the
// names and the kind tables give captions and how a value is shown.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/Config.h"
#include "model/TreeNode.h"
#include "ports/KindItems.h"
#include "ports/ReaddrOwners.h"
#include "ports/RowTable.h"

namespace vlm {

struct TImageBox;

// One record of a container: a data item, or (box set) a nested container.
struct TImageRecord {
  uint8_t tag = kTagItem;
  uint8_t id = 0;
  int occurrence = 0;  // items: how many items of this id came before it in the container
  std::span<const uint8_t> payload;
  std::unique_ptr<TImageBox> box;
};

struct TImageBox {
  uint8_t id = 0;
  TTreeNode* node = nullptr;  // the object this container stores; none for TI groups
  const TImageBox* parent = nullptr;
  std::vector<TImageRecord> records;

  std::string Title() const;  // the node text, "Группа ТИ №n", or the container id
  const TImageRecord* FindItem(uint8_t id, int occurrence = 0) const;
  std::optional<int64_t> Number(uint8_t id) const;  // little-endian value of an item
};

// How one item is named and shown.
enum class TShowAs : uint8_t { Number, Signed, Ip, Text, Text256, Bytes, Rows, HardPort };

struct TItemShow {
  std::string caption;  // "" when no table knows the item
  TShowAs as = TShowAs::Bytes;
  uint16_t width = 0;          // numbers: the width the table gives
  int64_t unit = 1;            // numbers: shown = stored / unit
  const char* choices = "";    // "text=value|..."
  const TRowTableDef* table = nullptr;         // Rows: the table, and the item is its rows
  std::optional<TOwnerTableId> owner;          // Rows: the grid that shows the cells
  bool isRowCount = false;     // the row count item of a table (the rows item says it all)
  bool isChildCount = false;   // how many objects follow (their additions and removals say it)
};

class TLoadedImage {
 public:
  // Checks and reads the image (the reader's messages go to the prompt and abort with EAbort).
  explicit TLoadedImage(std::span<const uint8_t> bytes);
  TLoadedImage(const TLoadedImage&) = delete;
  TLoadedImage& operator=(const TLoadedImage&) = delete;

  const TTree& Tree() const { return tree_; }
  const TConfig& Config() const { return cfg_; }
  const TImageBox& Root() const { return root_; }
  std::span<const uint8_t> Bytes() const { return cfg_.Image(); }

 private:
  TTree tree_;
  TConfig cfg_;
  TImageBox root_;  // holds the station container (and anything beside it)
};

// A table whose row count item and rows item disagree (count 3 over 2 rows, rows that are not
// whole, one of the two missing): the reader takes what both allow, so such an image does not say
// what it holds. `record` is the count item, or the rows item when there is no count.
struct TRowCountFault {
  const TImageRecord* record = nullptr;
  std::string text;
};
std::vector<TRowCountFault> RowCountFaults(const TLoadedImage& image);

// Caption and showing of item `id` (its `occurrence`-th) of a container.
TItemShow DescribeItem(const TImageBox& box, uint8_t id, int occurrence);
// The value as the editor frames show it (choices by name, addresses dotted, texts quoted, rows
// counted); bytes that do not fit the description are shown in hex.
std::string ShowValue(const TImageBox& box, const TItemShow& show, std::span<const uint8_t> payload);
// Cell texts of stored rows as the readdressing grid shows them (plain hex bytes without a grid).
std::vector<std::vector<std::string>> ShowRows(const TItemShow& show, std::span<const uint8_t> payload);
std::vector<std::string> RowColumnTitles(const TItemShow& show);
std::string HexBytes(std::span<const uint8_t> bytes);

}  // namespace vlm
