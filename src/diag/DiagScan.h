#pragma once
// Finding the diagnostic tree: the root pointer, the objects of one folder, a whole subtree and
// an object by its path of names. The controller's pointers are not trusted: a folder that holds
// itself or a folder above it, an absurd count, a pointer into the reserved segments end in an
// error row, never in a loop or a read outside the object.
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "diag/DiagObj.h"

namespace vlm {

inline constexpr TFarPtr kDiagRootPointer = 0x00000208;  // 0000h:0208h
inline constexpr int kMaxFolderCount = 4096;
inline constexpr size_t kPointersPerRead = 50;
inline constexpr int kProgressFrom = 100;  // a folder of more objects shows the progress bar
// A walk over the whole tree stops taking objects after this many, whatever the pointers say.
inline constexpr size_t kMaxTreeObjects = 100000;

extern const char* const kNoRootText;

struct TScanProgress {
  std::function<void(int maximum)> Start;  // called when a folder holds more than 100 objects
  std::function<void(int position)> Step;
  std::function<void()> Pump;              // every 100 objects
  std::function<bool()> Cancelled;         // a new scan began: stop at once
};

// Reads the root pointer: false when it cannot be read; root stays empty when the pointer is 0.
bool ReadDiagRoot(TDiagContext& context, std::unique_ptr<TDiagObj>& root);

// Reads the objects of a folder into its Nodes and Parameters (old ones dropped). True when the
// list was read to its end; the folder is then Scanned. An untrusted structure adds an error row.
bool ScanFolder(TDiagContext& context, TDiagObj& folder, const TScanProgress& progress = {});

// Scans folders below `folder` down to maxDepth levels (0: only the folder itself). Counts the
// objects taken; stops at kMaxTreeObjects.
size_t ScanSubtree(TDiagContext& context, TDiagObj& folder, int maxDepth, const TScanProgress& progress = {});

// The object at a path of names separated by "." ("Процессор.Порт 2.Принято"), scanning folders
// on the way; the root's own name may lead the path. Names that contain "." are matched whole.
TDiagObj* FindByPath(TDiagContext& context, TDiagObj& root, std::string_view path);

// Objects of a folder in the order the controller lists them do not survive the split into
// nodes and rows; this visits both lists, nodes first.
void ForEachChild(const TDiagObj& folder, const std::function<void(TDiagObj&)>& visit);

}  // namespace vlm
