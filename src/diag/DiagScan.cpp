#include "diag/DiagScan.h"

#include <algorithm>
#include <array>
#include <vector>

#include "common/Numbers.h"
#include "diag/DiagKinds.h"

namespace vlm {

const char* const kNoRootText =
    "При запросах в контроллер ВЕЛМОР\rне было ответа от контроллера\rлибо не обнаружен корневой указатель "
    "Диагностики.\r\rПроверьте подключение к контроллеру\rи повторите сканирование.";

namespace {

std::string ErrorText(const std::string& what) { return "[!Ошибка! " + what + "]"; }

// Whether address or list is that of the folder or of a folder above it.
bool SeenAbove(const TDiagObj& folder, TFarPtr address, TFarPtr list) {
  for (const TDiagObj* f = &folder; f; f = f->Parent())
    if (f->Address == address || (list != 0 && f->Header.DataPtr == list)) return true;
  return false;
}

void AddError(TDiagContext& context, TDiagObj& folder, const std::string& what) {
  folder.Parameters.push_back(TDiagObj::ErrorRow(context, &folder, ErrorText(what)));
}

std::string RefusalOr(const TDiagContext& context, const std::string& otherwise) {
  return context.Memory.Refusal().empty() ? otherwise : context.Memory.Refusal();
}

// Takes one child; false when it ends the folder's list.
bool TakeChild(TDiagContext& context, TDiagObj& folder, TFarPtr pointer) {
  if (IsReservedSegment(pointer)) {
    AddError(context, folder, "указатель " + FarPtrText(pointer) + " в зарезервированную область");
    return true;
  }
  if (SeenAbove(folder, pointer, 0)) {
    AddError(context, folder, "папка ссылается на себя или на папку выше: " + FarPtrText(pointer));
    return true;
  }
  auto child = std::make_unique<TDiagObj>(context, pointer, &folder);
  if (child->IsFolder() && SeenAbove(folder, 0xFFFFFFFF, child->Header.DataPtr)) {
    AddError(context, folder, "папка " + child->Name + " повторяет список папки выше: " + FarPtrText(child->Header.DataPtr));
    return true;
  }
  if (child->Valid() && IsNodeKind(child->Kind())) {
    child->HasPlaceholder = child->IsFolder() && (child->Header.Flags & kFlagChildren);
    folder.Nodes.push_back(std::move(child));
  } else {
    folder.Parameters.push_back(std::move(child));
  }
  return true;
}

// Reads ahead the headers of the children and the names of the nodes among them.
void PrefetchChildren(TDiagContext& context, std::span<const TFarPtr> pointers) {
  TDiagMemory& memory = context.Memory;
  std::vector<TDiagMemory::TArea> areas;
  for (const TFarPtr p : pointers) areas.push_back({p, TDiagHeader::kSize});
  memory.Prefetch(areas);
  areas.clear();
  for (const TFarPtr p : pointers) {
    std::array<uint8_t, TDiagHeader::kSize> bytes{};
    if (!memory.Peek(p, bytes)) continue;
    const TDiagHeader h = TDiagHeader::FromBytes(bytes);
    if (h.Magic == kDiagMagic && IsNodeKind(h.Kind) && h.NamePtr != 0) areas.push_back(TextHeadArea(h.NamePtr));
  }
  memory.Prefetch(areas);
}

// The pointers of a list up to its first 0 (at most the first kPointersPerRead of them).
std::vector<TFarPtr> PointersOf(std::span<const uint8_t> bytes) {
  std::vector<TFarPtr> pointers;
  for (size_t i = 0; i + 4 <= bytes.size(); i += 4) {
    const TFarPtr p = GetU32(&bytes[i]);
    if (p == 0) break;
    pointers.push_back(p);
  }
  return pointers;
}

// Reads ahead what scanning these folders asks for, all folders at each step: their list
// headers, their first pointers, their children's headers and the names of the nodes.
void PrefetchScans(TDiagContext& context, std::span<TDiagObj* const> folders) {
  TDiagMemory& memory = context.Memory;
  std::vector<TDiagMemory::TArea> areas;
  for (const TDiagObj* f : folders)
    if (f->Header.DataPtr != 0) areas.push_back({f->Header.DataPtr, 8});
  memory.Prefetch(areas);
  areas.clear();
  for (const TDiagObj* f : folders) {
    uint8_t header[8];
    if (f->Header.DataPtr == 0 || !memory.Peek(f->Header.DataPtr, header)) continue;
    const int count = int16_t(GetU16(&header[6]));
    if (count > 0 && count <= kMaxFolderCount)
      areas.push_back({GetU32(&header[2]), 4 * std::min<size_t>(kPointersPerRead, size_t(count))});
  }
  memory.Prefetch(areas);
  std::vector<TFarPtr> children;
  for (const auto& a : areas) {
    std::vector<uint8_t> bytes(a.Count);
    if (!memory.Peek(a.Address, bytes)) continue;
    for (const TFarPtr p : PointersOf(bytes))
      if (!IsReservedSegment(p)) children.push_back(p);
  }
  PrefetchChildren(context, children);
}

}  // namespace

bool ReadDiagRoot(TDiagContext& context, std::unique_ptr<TDiagObj>& root) {
  root.reset();
  uint8_t pointer[4];
  if (!context.Memory.ReadDiagMemory(kDiagRootPointer, pointer)) return false;
  if (const TFarPtr at = GetU32(pointer); at != 0) root = std::make_unique<TDiagObj>(context, at);
  return true;
}

bool ScanFolder(TDiagContext& context, TDiagObj& folder, const TScanProgress& progress) {
  folder.Parameters.clear();
  folder.Nodes.clear();
  folder.HasPlaceholder = false;
  folder.Scanned = false;
  if (folder.Header.DataPtr == 0) {
    folder.Scanned = true;  // a folder without a list is empty, not a list at 0000:0000
    return true;
  }
  uint8_t header[8];
  if (!context.Memory.ReadDiagMemory(folder.Header.DataPtr, header)) {
    if (!context.Memory.Refusal().empty()) AddError(context, folder, "список объектов: " + context.Memory.Refusal());
    return false;
  }
  const TFarPtr array = GetU32(&header[2]);
  const int count = int16_t(GetU16(&header[6]));
  if (count < 0 || count > kMaxFolderCount) {
    AddError(context, folder, "в папке " + std::to_string(count) + " объектов, допустимо от 0 до 4096");
    return false;
  }
  if (count > kProgressFrom && progress.Start) progress.Start(count);
  int taken = 0;
  for (int from = 0; from < count; from += int(kPointersPerRead)) {
    const size_t n = std::min<size_t>(kPointersPerRead, size_t(count - from));
    std::vector<uint8_t> pointers(4 * n);
    if (!context.Memory.ReadDiagMemory(array + TFarPtr(4 * from), pointers)) {
      if (!context.Memory.Refusal().empty()) AddError(context, folder, "список указателей: " + RefusalOr(context, ""));
      return false;
    }
    const TDiagPrefetch ahead(context.Memory);
    std::vector<TFarPtr> children;
    for (const TFarPtr p : PointersOf(pointers))
      if (!IsReservedSegment(p)) children.push_back(p);
    PrefetchChildren(context, children);
    for (size_t i = 0; i < n; ++i) {
      const TFarPtr pointer = GetU32(&pointers[4 * i]);
      if (pointer == 0) {
        folder.Scanned = true;
        return true;
      }
      TakeChild(context, folder, pointer);
      ++taken;
      if (progress.Step) progress.Step(taken);
      if (taken % 100 == 0 && progress.Pump) progress.Pump();
      if (progress.Cancelled && progress.Cancelled()) return false;
    }
  }
  folder.Scanned = true;
  return true;
}

namespace {

// Length of the child name that the path continues with ("" when none fits).
bool StartsWithName(std::string_view path, const std::string& name) {
  return !name.empty() && path.substr(0, name.size()) == name && (path.size() == name.size() || path[name.size()] == '.');
}

}  // namespace

size_t ScanSubtree(TDiagContext& context, TDiagObj& folder, int maxDepth, const TScanProgress& progress) {
  // Level by level: the folders of one level are read ahead together, so a slow link costs a
  // few batches per level rather than round trips per object.
  size_t objects = 0;
  std::vector<TDiagObj*> level{&folder};
  for (int depth = 0; !level.empty() && objects < kMaxTreeObjects; ++depth) {
    const TDiagPrefetch ahead(context.Memory);
    PrefetchScans(context, level);
    std::vector<TDiagObj*> next;
    for (TDiagObj* f : level) {
      if (objects >= kMaxTreeObjects) break;
      ScanFolder(context, *f, progress);
      objects += f->Nodes.size() + f->Parameters.size();
      if (depth < maxDepth)
        for (auto& node : f->Nodes)
          if (node->IsFolder()) next.push_back(node.get());
    }
    level = std::move(next);
  }
  return objects;
}

void ForEachChild(const TDiagObj& folder, const std::function<void(TDiagObj&)>& visit) {
  for (const auto& node : folder.Nodes) visit(*node);
  for (const auto& row : folder.Parameters) visit(*row);
}

TDiagObj* FindByPath(TDiagContext& context, TDiagObj& root, std::string_view path) {
  if (StartsWithName(path, root.Name)) {
    path.remove_prefix(root.Name.size());
    if (path.empty()) return &root;
    path.remove_prefix(1);
  }
  TDiagObj* folder = &root;
  for (int depth = 0; depth < 64; ++depth) {
    if (!folder->Scanned) ScanFolder(context, *folder);
    // The names not read yet, in batches.
    std::vector<TDiagObj*> nameless;
    ForEachChild(*folder, [&](TDiagObj& child) {
      if (child.Name.empty()) nameless.push_back(&child);
    });
    const TDiagPrefetch ahead(context.Memory);
    PrefetchFormats(context, nameless);
    TDiagObj* next = nullptr;
    size_t longest = 0;
    ForEachChild(*folder, [&](TDiagObj& child) {
      if (child.Name.empty()) child.ReadFormat();
      // The longest name wins, so "Порт 1" never takes "Порт 1.5" apart wrongly.
      if (StartsWithName(path, child.Name) && child.Name.size() > longest) {
        next = &child;
        longest = child.Name.size();
      }
    });
    if (!next) return nullptr;
    path.remove_prefix(longest);
    if (path.empty()) return next;
    path.remove_prefix(1);
    // A heading groups the rows after it: its name may stand in a path before theirs.
    if (next->Kind() == kDiagHeading) continue;
    if (!next->IsFolder()) return nullptr;
    folder = next;
  }
  return nullptr;
}

}  // namespace vlm
