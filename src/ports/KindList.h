#pragma once
// The list of the port or point kinds with the function that makes each kind's object: looked up
// by container id or class name, and registered with the readers of the model.
#include <array>
#include <memory>
#include <span>
#include <string_view>

#include "model/Kinds.h"

namespace vlm {

template <class Kind>
struct TKindEntry {
  const Kind* kind;
  std::unique_ptr<TObj> (*create)(TTreeNode*);
};

// The object of class T for kind K on a node (the registry's create function of the kind).
template <class T, const auto& K>
std::unique_ptr<TObj> CreateKindObject(TTreeNode* node) {
  return std::make_unique<T>(node, K);
}

template <class Kind, size_t N>
class TKindList {
 public:
  explicit constexpr TKindList(const TKindEntry<Kind> (&entries)[N]) : entries_(entries) {
    for (size_t i = 0; i < N; ++i) kinds_[i] = entries[i].kind;
  }
  std::span<const Kind* const> Kinds() const { return kinds_; }
  const Kind* Find(uint8_t typeId) const {
    for (const Kind* kind : kinds_)
      if (kind->typeId == typeId) return kind;
    return nullptr;
  }
  const Kind* FindByClass(std::string_view className) const {
    for (const Kind* kind : kinds_)
      if (className == kind->className) return kind;
    return nullptr;
  }
  void Register(TKindRegistry& registry, TKindFamily family) const {
    for (const TKindEntry<Kind>& entry : entries_)
      registry.Register({family, entry.kind->typeId, entry.kind->className, entry.kind->actionText,
                         entry.kind->action, entry.create});
  }

 private:
  const TKindEntry<Kind> (&entries_)[N];
  std::array<const Kind*, N> kinds_{};
};

}  // namespace vlm
