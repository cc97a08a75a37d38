#include "model/ConfigText.h"

#include "common/Format.h"

namespace vlm {

std::string TreeText(const TTree& tree) {
  std::string text;
  tree.ForEach([&](TTreeNode& node) {
    text.append(static_cast<size_t>(node.Level()) * 2, ' ');
    text += node.Text();
    text += '\n';
  });
  return text;
}

std::string RecordsText(const TConfig& cfg) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text = "offset  tag  id length payload\n";
  ForEachRecord(cfg, [&](const TRecordInfo& record) {
    text += Format("%6d  ", {record.offset});
    text.append(static_cast<size_t>(record.depth) * 2, ' ');
    text += Format("%s %3d %6d", {record.tag == kTagContainer ? "F0" : record.tag == kTagItem ? "E0" : "??",
                                  record.id, record.length});
    if (record.tag != kTagContainer && record.tag != kTagItem) text += Format(" tag=%d", {record.tag});
    for (uint8_t byte : record.payload) {
      text += ' ';
      text += kHex[byte >> 4];
      text += kHex[byte & 15];
    }
    text += '\n';
  });
  return text;
}

}  // namespace vlm
