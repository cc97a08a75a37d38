#include "model/Kinds.h"

#include <algorithm>

#include "common/Prompt.h"
#include "model/Cards.h"
#include "model/Config.h"

namespace vlm {

void TKindRegistry::Register(TKind kind) {
  for (auto& existing : kinds_) {
    if (existing.family == kind.family && existing.id == kind.id) {
      existing = std::move(kind);
      return;
    }
  }
  kinds_.push_back(std::move(kind));
}

const TKind* TKindRegistry::Find(TKindFamily family, uint8_t id) const {
  for (const auto& kind : kinds_)
    if (kind.family == family && kind.id == id) return &kind;
  return nullptr;
}

const TKind* TKindRegistry::FindByClass(const std::string& className) const {
  for (const auto& kind : kinds_)
    if (kind.className == className) return &kind;
  return nullptr;
}

std::vector<const TKind*> TKindRegistry::List(TKindFamily family) const {
  std::vector<const TKind*> list;
  for (const auto& kind : kinds_)
    if (kind.family == family) list.push_back(&kind);
  return list;
}

TObj* TKindRegistry::Create(TKindFamily family, uint8_t id, TTreeNode& parent) const {
  const TKind* kind = Find(family, id);
  if (!kind || !kind->create) return nullptr;
  TTreeNode* node = parent.AddChild({});
  auto object = kind->create(node);
  TObj* raw = object.get();
  node->SetObject(std::move(object));
  return raw;
}

TObj* ReadChild(TConfig& cfg, TKindFamily family, TTreeNode& parent, const std::string& errorText,
                std::span<const uint8_t> accepted) {
  const uint8_t id = cfg.NextContainer();
  const bool allowed = accepted.empty() || std::find(accepted.begin(), accepted.end(), id) != accepted.end();
  TObj* child = allowed ? Kinds().Create(family, id, parent) : nullptr;
  if (!child) {
    ShowError(errorText + std::to_string(id));
    Abort();
  }
  child->ReadConfig(cfg);
  return child;
}

TKindRegistry& Kinds() {
  static TKindRegistry registry = [] {
    TKindRegistry r;
    RegisterCardKinds(r);
    return r;
  }();
  return registry;
}

}  // namespace vlm
