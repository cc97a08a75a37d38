#include "services/ControllerPath.h"

#include <cstdint>

namespace vlm {

std::optional<TParentStep> ParentPath(const std::string& path) {
  if (path.size() < 4) return std::nullopt;
  for (size_t i = path.size() - 2; i >= 2; --i)
    if (path[i] == '\\') return TParentStep{path.substr(0, i + 1), path.substr(i + 1, path.size() - i - 2)};
  return std::nullopt;
}

std::string PathUpToColumn(const std::string& path, int column) {
  // Columns count characters; a Cyrillic directory name takes two bytes a character.
  size_t from = 0;
  for (int seen = 1; from < path.size() && seen < column; ++seen)
    do ++from;
    while (from < path.size() && (uint8_t(path[from]) & 0xC0) == 0x80);
  const size_t at = path.find('\\', from);
  return at == std::string::npos ? path : path.substr(0, at + 1);
}

std::string ChildPath(const std::string& path, const std::string& directory) { return path + directory + "\\"; }

std::string ListMask(const std::string& path) { return path + "*.*"; }

}  // namespace vlm
