#include "blackbox/BoxTavik.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "blackbox/BoxLine.h"
#include "blackbox/Checksums.h"
#include "common/Format.h"

namespace vlm {

const std::string TTavikAnalyzer::empty_;

namespace {

constexpr uint8_t kLampBoardCode = 36;

// Function codes a frame of two or three octets may carry.
bool ShortFrameFunction(uint8_t function, uint8_t direction) {
  switch (function) {
    case 0x46: case 0x50: case 0x56: case 0x70: case 0xE0: return true;
    case 0x10: case 0x47: case 0x90: return direction == kBoxDirOut;
    default: return false;
  }
}

}  // namespace

TTavikAnalyzer::TTavikAnalyzer() { Start(); }
TTavikAnalyzer::~TTavikAnalyzer() = default;

void TTavikAnalyzer::Start() {
  root_ = std::make_unique<TTavikNode>();
  root_->expanded = true;
  root_->object = std::make_unique<TTavikHubContr>(*this, 0, root_.get());
  kp = 0;
  subFrame = false;
  command = {};
  frameSerial = 0;
  if (nodeAdded) nodeAdded(*root_);
}

TTavikHubContr& TTavikAnalyzer::Controller() const { return static_cast<TTavikHubContr&>(*root_->object); }

void TTavikAnalyzer::Feed(const TBoxRecord& record, size_t length, const std::string& text) {
  line = &text;
  direction = record.direction;
  code = record.Code();
  const uint8_t protocol = record.protocol;
  const size_t k = (code == kLampBoardCode || (protocol & 0xC0) == 0xC0) ? 1 : 0;
  TTavikHubContr& root = Controller();
  size_t size = std::min(length, kBoxMaxData);
  if (size == 0) return;  // nothing on the line at all
  const uint8_t* data = record.data.data();
  if (size == 1) {
    ++root.lengthErrors;
    root.AddError(text, "Длина 1");
    return;
  }
  if ((size == 2 || size == 3) && !ShortFrameFunction(data[k + 1], direction)) {
    ++root.lengthErrors;
    root.AddError(text, "Длина 2|3");
    return;
  }
  const uint8_t number = data[k] & 0x1F;
  if (direction == kBoxDirOut) {
    kp = number;
  } else if (direction == kBoxDirIn && kp != 0 && number != kp) {
    root.AddError(text, Format("Номер КП (<>%d)", {kp}));
    ++root.kpErrors;
    return;
  }
  if (protocol < 0x40 && size > 4) {
    if (data[size - 2] != 0x20) {
      ++root.endErrors;
      root.AddError(text, "Байт Конца");
      return;
    }
    if (data[size - 1] != SiriusCheckOctet(std::span<const uint8_t>(data, size))) {
      ++root.checkErrors;
      root.AddError(text, "Контр.сумма");
      return;
    }
    size -= 2;
  } else if (protocol >= 0xC0) {
    size -= 2;
  }
  // F is the frame from its KP octet on: the octets a leading board octet is not part of.
  const size_t count = size > k ? size - k : 0;
  std::memset(buffer.data(), 0, kHead + kBoxMaxData + 8);
  std::memcpy(buffer.data() + kHead, data + k, count);
  end = kHead + count;
  cursor = kFunction;
  root.Update();
}

TTavikNode* TTavikAnalyzer::AddNode(TTavikNode& parent, uint8_t key) {
  auto node = std::make_unique<TTavikNode>();
  node->parent = &parent;
  TTavikNode* added = node.get();
  auto& children = parent.children;
  const auto at = std::lower_bound(children.begin(), children.end(), key,
                                   [](const std::unique_ptr<TTavikNode>& n, uint8_t k) { return n->object->key < k; });
  children.insert(at, std::move(node));
  return added;
}

TTavikNode* TTavikAnalyzer::FindChild(TTavikNode& parent, uint8_t key) {
  auto& children = parent.children;
  const auto at = std::lower_bound(children.begin(), children.end(), key,
                                   [](const std::unique_ptr<TTavikNode>& n, uint8_t k) { return n->object->key < k; });
  return at != children.end() && (*at)->object->key == key ? at->get() : nullptr;
}

void TTavikAnalyzer::SyntheticTelesignal(TTavikHubPoint& point, uint8_t group, uint8_t state) {
  const std::array<uint8_t, kBufferSize> saved = buffer;
  const size_t savedCursor = cursor, savedEnd = end;
  buffer[kFunction] = 0x90;
  buffer[kFunction + 1] = group;
  buffer[kFunction + 2] = state;
  cursor = kFunction;
  end = kFunction + 3;
  point.Update();
  buffer = saved;
  cursor = savedCursor;
  end = savedEnd;
}

namespace {

void UpdateTexts(TTavikNode& node) {
  if (node.object) node.object->UpdateText();
  for (auto& child : node.children) UpdateTexts(*child);
}

bool FadeNodes(TTavikNode& node, TDateTime now, const std::function<bool(const TTavikNode&)>& visible) {
  bool changed = false;
  if (auto* function = dynamic_cast<TTavikHubFunc*>(node.object.get()); function && visible(node))
    changed = function->Fade(now);
  for (auto& child : node.children) changed |= FadeNodes(*child, now, visible);
  return changed;
}

}  // namespace

void TTavikAnalyzer::UpdateAllTexts() { UpdateTexts(*root_); }

bool TTavikAnalyzer::Fade(const std::function<bool(const TTavikNode&)>& visible) {
  return FadeNodes(*root_, clock(), visible);
}

}  // namespace vlm
