#pragma once
// Paths of the controller's disk as the file exchange window walks them: always ending in "\".
#include <optional>
#include <string>

namespace vlm {

inline constexpr const char* kControllerRoot = "C:\\";

struct TParentStep {
  std::string Path;  // the parent, ending in "\"
  std::string Left;  // the directory just left, to be selected in the parent's list
};
// ".." of a path: the last "\" before the final one, searched no lower than the third character.
// None at the root.
std::optional<TParentStep> ParentPath(const std::string& path);
// The path up to and including the first "\" at or after a 1-based character column (a click on
// the path label); the whole path when the column lies behind its last "\".
std::string PathUpToColumn(const std::string& path, int column);
std::string ChildPath(const std::string& path, const std::string& directory);
// What a listing searches for: the path followed by "*.*".
std::string ListMask(const std::string& path);

}  // namespace vlm
