#pragma once
// Plain-text views of a configuration: the tree as the main window shows it and the records of
// an image, for listings and for comparing images by eye.
#include <string>

#include "model/Config.h"
#include "model/TreeNode.h"

namespace vlm {

// One node text per line, two blanks of indent per level.
std::string TreeText(const TTree& tree);
// A title line, then every record of a loaded or built image: offset, tag, id, length and the
// payload of data items in hex; nested records are indented by two blanks per level.
std::string RecordsText(const TConfig& cfg);

}  // namespace vlm
