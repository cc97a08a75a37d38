#pragma once
// Which class stands behind a container id. The readers of the controller (cards), the processor
// (software ports) and the ports (remote points) look ids up here, and the main window builds its
// "Добавить ..." actions from the same entries, so reading and interactive creation build
// identical nodes and a new kind is one registration.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "model/VLM_Obj.h"

namespace vlm {

enum class TKindFamily : uint8_t { Card, Port, Point };

struct TKind {
  TKindFamily family;
  uint8_t id;              // container id = TypeId
  std::string className;   // "TCard5554"
  std::string action;      // caption of the action that adds it ("Добавить плату 5554")
  std::string actionName;  // name of the action ("ActionNewCard5554")
  // Creates the object for a node that already sits under its parent.
  std::unique_ptr<TObj> (*create)(TTreeNode* node);
};

class TKindRegistry {
 public:
  // A second registration of the same family and id replaces the first.
  void Register(TKind kind);
  const TKind* Find(TKindFamily family, uint8_t id) const;
  const TKind* FindByClass(const std::string& className) const;
  std::vector<const TKind*> List(TKindFamily family) const;
  // Adds a child node under parent with a new object of the kind and returns the object;
  // nullptr (nothing added) for an unknown id.
  TObj* Create(TKindFamily family, uint8_t id, TTreeNode& parent) const;

 private:
  std::vector<TKind> kinds_;
};

// The reading step every container with children repeats: NextContainer, create the child of
// that id under parent and read it. An id that is not registered in the family, or not among
// accepted when that is given, shows errorText followed by the id in decimal and aborts.
TObj* ReadChild(TConfig& cfg, TKindFamily family, TTreeNode& parent, const std::string& errorText,
                std::span<const uint8_t> accepted = {});

// The program-wide registry; the card kinds of the model are registered on first use. Port and
// point kinds are registered by their library at start-up (before any image is read).
TKindRegistry& Kinds();

template <class T>
std::unique_ptr<TObj> MakeObject(TTreeNode* node) {
  return std::make_unique<T>(node);
}

// Adds an object of class T on a new child node of parent and returns it.
template <class T>
T* AddObject(TTreeNode& parent, std::string text = {}, int image = -1) {
  TTreeNode* node = parent.AddChild(std::move(text), image);
  auto object = std::make_unique<T>(node);
  T* raw = object.get();
  node->SetObject(std::move(object));
  return raw;
}

// A new configuration: the root "СТАНЦИЯ ПУ" with a station, one controller and its processor.
TStation* NewConfiguration(TTree& tree);
// The root alone, as before reading an image.
TStation* NewEmptyStation(TTree& tree);
// "Добавить контроллер": node "Контроллер" with a controller and under it "Процессор".
TController* AddController(TTreeNode& stationNode);

}  // namespace vlm
