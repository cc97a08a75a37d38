#include "blackbox/BoxTavikTypes.h"

#include <cmath>
#include <cstring>

#include "blackbox/BoxLine.h"
#include "blackbox/BoxTavik.h"
#include "blackbox/Checksums.h"
#include "blackbox/SiriusTables.h"
#include "common/Format.h"

namespace vlm {

TTavikNode::TTavikNode() = default;
TTavikNode::~TTavikNode() {
  // Children go before the object of their parent.
  children.clear();
}

namespace {

constexpr uint8_t kCodeSiriusFast = 4;

std::string TimeText(TDateTime time) { return FormatDateTime(kTavikTimePattern, time); }

template <typename T>
T* ObjectOf(const TTavikNode* node) {
  return node && node->object ? dynamic_cast<T*>(node->object.get()) : nullptr;
}

// A measured value: the first appearance counts as one change, then every different value.
template <typename T>
void TakeValue(uint32_t appearances, T now, T& value, uint32_t& changes) {
  if (appearances == 1) {
    changes = 1;
  } else if (now != value) {
    ++changes;
  }
  value = now;
}

void PushBounded(std::deque<TBit>& list, TBit bit) {
  list.push_back(bit);
  if (list.size() > kTavikMaxList) list.pop_front();
}

}  // namespace

// ---- TTavik

TTavik::TTavik(TTavikAnalyzer& analyzer, uint8_t key, TTavikNode* node, std::string name, int image)
    : firstSeen(analyzer.recordTime), lastSeen(analyzer.recordTime), name(std::move(name)), key(key), node(node),
      analyzer_(analyzer) {
  if (node) node->image = image;
}

void TTavik::Update() {
  ++appearances;
  lastSeen = analyzer_.recordTime;
  touchedFrame_ = analyzer_.frameSerial;
}

std::string TTavik::StateText() const { return Format(" C=%d", {appearances}); }

void TTavik::UpdateText() {
  if (node) node->text = name + StateText();
}

bool TTavik::Touched() const { return appearances > 0 && touchedFrame_ == analyzer_.frameSerial; }

TTavikPopup TTavik::Popup() const {
  TTavikPopup popup;
  popup.nameLine = "\"" + name + "\"";
  if (dynamic_cast<const TTavikHubFunc*>(this))
    popup.nameLine += "\t" + std::string(SiriusBaseFn(key).description);
  popup.changes = Format("Появлений:\t%d", {appearances});
  popup.firstSeen = "Первое:   \t" + TimeText(firstSeen);
  popup.lastSeen = "Последнее:\t" + TimeText(lastSeen);
  if (const auto* hub = dynamic_cast<const TTavikHub*>(this)) {
    popup.hasSource = true;
    popup.sourceLine = "SrcLine:\t" + hub->sourceLine;
  }
  popup.logEnabled = HasLog();
  return popup;
}

// ---- hubs

void TTavikHub::TakeSource() { sourceLine = *analyzer_.line; }

uint32_t TTavikHub::Reference() const { return 0; }

void TTavikHub::UpdateText() {
  TTavik::UpdateText();
  if (!node || !node->parent) return;
  const uint32_t reference = Reference();
  const double share = reference ? 14.0 * appearances / reference : 14.0;
  // nearbyint rounds a half to the even neighbour.
  int image = int(std::nearbyint(share)) + 1;
  node->stateImage = image < 1 ? 1 : image > 15 ? 15 : image;
}

TTavikHubContr::TTavikHubContr(TTavikAnalyzer& analyzer, uint8_t key, TTavikNode* node)
    : TTavikHub(analyzer, key, node, "ВЕЛМОР", kTavikImageRoot) {}

void TTavikHubContr::Update() {
  TTavik::Update();
  analyzer_.subFrame = false;
  TDateTime time;
  if (ParseRecordTime(*analyzer_.line, time)) analyzer_.recordTime = time;
  ++analyzer_.frameSerial;  // no node keeps its overlay from the frame before
  analyzer_.GetChild<TTavikHubPort>(*this, 0);
}

void TTavikHubContr::UpdateText() { TTavik::UpdateText(); }

std::string TTavikHubContr::StateText() const {
  return Format("%s E=%d (L%d КП%d БК%d КС%d)",
                {TTavik::StateText(), ErrorSum(), lengthErrors, kpErrors, endErrors, checkErrors});
}

void TTavikHubContr::AddError(const std::string& line, std::string_view text) {
  std::string entry;
  entry.reserve(line.size() + 10 + text.size());
  entry.append(line).append(" Ошибка:").append(text);
  errors.push_back(std::move(entry));
  if (errors.size() > kTavikMaxList) errors.pop_front();
}

void TTavikHubContr::ShowLog(TTavikLog& log) const {
  log = {};
  log.caption = "ТАВИК - Журнал событий Ошибки";
  log.lines.assign(errors.begin(), errors.end());
}

TTavikHubPort::TTavikHubPort(TTavikAnalyzer& analyzer, uint8_t key, TTavikNode* node)
    : TTavikHub(analyzer, key, node, Format("Порт%d", {key}), kTavikImagePort) {}

void TTavikHubPort::Update() {
  TTavik::Update();
  // The KP octet carries flags above its number (bits 0-4), as the feed's KP test reads it.
  analyzer_.GetChild<TTavikHubPoint>(*this, analyzer_.At(TTavikAnalyzer::kHead) & 0x1F);
}

uint32_t TTavikHubPort::Reference() const { return analyzer_.Controller().appearances; }

TTavikHubPoint::TTavikHubPoint(TTavikAnalyzer& analyzer, uint8_t key, TTavikNode* node)
    : TTavikHub(analyzer, key, node, Format("Пункт%d", {key}), kTavikImagePoint) {}

void TTavikHubPoint::Update() {
  TakeSource();
  if (!analyzer_.subFrame) TTavik::Update();
  ++frames;
  analyzer_.GetChild<TTavikHubFunc>(*this, analyzer_.At(analyzer_.cursor));
}

uint32_t TTavikHubPoint::Reference() const {
  const auto* port = ObjectOf<TTavik>(node ? node->parent : nullptr);
  return port ? port->appearances : 0;
}

TTavikHubFunc::TTavikHubFunc(TTavikAnalyzer& analyzer, uint8_t key, TTavikNode* node)
    : TTavikHub(analyzer, key, node, Format("Функ%.2xh %s", {key, SiriusBaseFn(key).name}),
                SiriusBaseFn(key).kind) {}

uint32_t TTavikHubFunc::Reference() const {
  const auto* point = ObjectOf<TTavikHubPoint>(node ? node->parent : nullptr);
  return point ? point->frames : 0;
}

void TTavikHubFunc::Update() {
  TTavik::Update();
  TakeSource();
  TTavikAnalyzer& a = analyzer_;
  if (SiriusBaseFn(key).name == "?????") return;
  switch (key) {
    case 0x46: case 0x50: case 0x56:
      return;
    case 0x47:
      if (a.direction == kBoxDirOut) return;
      a.Next();  // the mask of the blocks
      for (uint8_t i = 1; i <= 8; ++i) a.GetChild<TTavikBlock>(*this, i);
      return;
    case 0x49: {
      auto* point = ObjectOf<TTavikHubPoint>(node->parent);
      if (!point) return;
      if (a.code == kCodeSiriusFast) a.end = a.end >= TTavikAnalyzer::kFunction + 2 ? a.end - 2 : TTavikAnalyzer::kFunction;
      size_t next = a.cursor + 1;
      while (next < a.end && next < TTavikAnalyzer::kBufferSize) {
        const size_t shift = next - TTavikAnalyzer::kFunction;
        uint8_t* buffer = a.buffer.data();
        std::memmove(buffer + TTavikAnalyzer::kFunction, buffer + next, TTavikAnalyzer::kBufferSize - next);
        std::memset(buffer + TTavikAnalyzer::kBufferSize - shift, 0, shift);
        a.end -= shift;
        a.cursor = TTavikAnalyzer::kFunction;
        a.subFrame = true;
        const uint8_t part = buffer[TTavikAnalyzer::kFunction];
        a.valuesFunction = part;
        if (part != 0x20 && part != 0x78 && part != 0x90 && part != 0xF1) break;
        point->Update();
        next = a.cursor + 1;
      }
      return;
    }
    case 0x70: case 0xE0: {
      const size_t f = TTavikAnalyzer::kFunction;
      if (a.direction == kBoxDirOut) {
        a.command = {key, a.At(f + 1), a.At(f + 2), a.recordTime};
      } else if (a.direction == kBoxDirIn) {
        const double ms = std::fabs(a.recordTime - a.command.time) * kMsPerDay;
        if (a.command.function == key && ms <= TTavikAnalyzer::kReceiptWindowMs + 0.5) {
          a.buffer[f + 1] = a.command.group;
          a.buffer[f + 2] = a.command.object;
        } else {
          a.buffer[f + 1] = a.buffer[f + 2] = 0;
          a.command = {};
        }
      }
      break;
    }
    default:
      break;
  }
  GroupStep();
}

void TTavikHubFunc::GroupStep() {
  TTavikAnalyzer& a = analyzer_;
  const uint8_t group = a.Next();
  if (group > highestGroup) {
    highestGroup = group;
    mapWidth = (highestGroup + 9) / 10 * 8;
  }
  if (group >= 1) map.squares[group] = present.test(group) ? TTavikMap::kYellow : TTavikMap::kWhite;
  UpdateText();
  a.GetChild<TTavikHubGroup>(*this, group);
}

bool TTavikHubFunc::Fade(TDateTime now) {
  bool changed = false;
  for (const auto& child : node->children) {
    const TTavik& group = *child->object;
    if (group.key == 0 || (now - group.lastActivity) * kMsPerDay <= 1000) continue;
    uint32_t& square = map.squares[group.key];
    if (square != TTavikMap::kBlack) {
      square = TTavikMap::kBlack;
      changed = true;
    }
  }
  return changed;
}

std::string TTavikHubFunc::NumberText() const { return Format("%.3d", {highestGroup}); }

std::vector<uint32_t> TTavikMap::Render(uint32_t background) const {
  std::vector<uint32_t> pixels(size_t(kWidth) * kHeight, background);
  static constexpr uint32_t kGreys[5] = {0x909090, 0x888888, 0x808080, 0x787878, 0x707070};
  for (int column = 0; column < 52; ++column)
    for (int y = 0; y < kHeight; ++y)
      for (int x = column * 4; x < column * 4 + 3 && x < kWidth; ++x) pixels[size_t(y) * kWidth + x] = kGreys[column % 5];
  for (int group = 1; group <= 255; ++group) {
    if (squares[group] == kNone) continue;
    for (int y = SquareY(group); y < SquareY(group) + 3; ++y)
      for (int x = SquareX(group); x < SquareX(group) + 3; ++x) pixels[size_t(y) * kWidth + x] = squares[group];
  }
  return pixels;
}

TTavikHubGroup::TTavikHubGroup(TTavikAnalyzer& analyzer, uint8_t key, TTavikNode* node)
    : TTavikHub(analyzer, key, node, Format("Группа%d", {key}), kTavikImageGroup) {}

uint8_t TTavikHubGroup::FunctionCode() const {
  const auto* function = ObjectOf<TTavik>(node ? node->parent : nullptr);
  return function ? function->key : 0;
}

uint32_t TTavikHubGroup::Reference() const {
  const auto* function = ObjectOf<TTavik>(node ? node->parent : nullptr);
  return function ? function->appearances : 0;
}

uint8_t TTavikHubGroup::StateByte() const {
  uint8_t state = 0;
  for (const auto& child : node->children)
    if (const auto* ts = dynamic_cast<const TTavikTS*>(child->object.get()); ts && ts->key >= 1 && ts->key <= 8)
      state |= uint8_t(ts->state << (8 - ts->key));
  return state;
}

uint32_t TTavikHubGroup::ChildChanges() const {
  uint32_t sum = 0;
  for (const auto& child : node->children) {
    const TTavik* leaf = child->object.get();
    if (const auto* ts = dynamic_cast<const TTavikTS*>(leaf)) sum += ts->changes;
    else if (const auto* ti = dynamic_cast<const TTavikTI*>(leaf)) sum += ti->changes;
    else if (const auto* ti3 = dynamic_cast<const TTavikTI3*>(leaf)) sum += ti3->changes;
    else if (const auto* tu = dynamic_cast<const TTavikTU*>(leaf)) sum += tu->commands;
  }
  return sum;
}

void TTavikHubGroup::UpdateText() {
  TTavikHub::UpdateText();
  if (FunctionCode() == 0x90)
    node->text = Format("%s=%b C=%d И=%d", {name, StateByte(), appearances, ChildChanges()});
}

void TTavikHubGroup::Update() {
  TTavik::Update();
  TakeSource();
  TTavikAnalyzer& a = analyzer_;
  lastActivity = a.PcNow();
  switch (FunctionCode()) {
    case 0x0A:
    case 0x78: {
      const uint8_t mask = FunctionCode() == 0x0A ? 0xF0 : a.Next();
      for (uint8_t i = 1; i <= 4; ++i)
        if ((mask & (1u << (8 - i))) && a.cursor + 4 < a.end) a.GetChild<TTavikTI3>(*this, i);
      break;
    }
    case 0x10:
    case 0x20: {
      if (a.direction == kBoxDirOut) break;
      if (a.code == kCodeSiriusFast && a.end >= TTavikAnalyzer::kFunction + 2) a.end -= 2;
      unsigned mask = 0;
      if (a.code == 0) {
        mask = unsigned(a.Next()) << 8;
        mask |= a.Next();
      } else if (a.code == 2 || a.code == kCodeSiriusFast) {
        mask = FunctionCode() == 0x10 ? 0xFF00 : unsigned(a.Next()) << 8;
      }
      for (uint8_t i = 1; i <= 16; ++i)
        if ((mask & (1u << (16 - i))) && a.cursor + 2 < a.end) a.GetChild<TTavikTI>(*this, i);
      if (a.code == kCodeSiriusFast) a.cursor += 2;
      break;
    }
    case 0x70:
    case 0xE0: {
      const uint8_t mask = a.Next();
      for (uint8_t i = 1; i <= 8; ++i)
        if (mask & (1u << (i - 1))) a.GetChild<TTavikTU>(*this, i);
      break;
    }
    case 0x90:
      a.valuesFunction = 0x90;
      // A request for telesignals carries no states: no octet after the group.
      if (a.cursor + 1 >= a.end) break;
      for (uint8_t i = 1; i <= 8; ++i) a.GetChild<TTavikTS>(*this, i);
      a.cursor += a.code == kCodeSiriusFast ? 3 : 1;
      break;
    case 0xF0:
      ControlTelesignals(false);
      break;
    case 0xF1:
      ControlTelesignals(true);
      break;
    default:
      break;
  }
}

void TTavikHubGroup::ControlTelesignals(bool withMask) {
  TTavikAnalyzer& a = analyzer_;
  auto* point = ObjectOf<TTavikHubPoint>(node->parent ? node->parent->parent : nullptr);
  if (!point) return;
  if (!withMask && a.code == kCodeSiriusFast && a.end >= TTavikAnalyzer::kFunction + 2) a.end -= 2;
  unsigned mask = 0xFFFF;
  if (withMask) {
    mask = unsigned(a.Next()) << 8;
    mask |= a.Next();
  }
  a.subFrame = true;
  for (unsigned j = 0; j < 16; ++j) {
    if (!(mask & (1u << (15 - j)))) continue;
    if (a.cursor + 1 >= a.end) break;
    const uint8_t state = a.Next();
    a.SyntheticTelesignal(*point, uint8_t(key + j), state);
  }
  if (withMask && a.code == kCodeSiriusFast) a.cursor += 2;
}

// ---- leaves

TTavikBlock::TTavikBlock(TTavikAnalyzer& analyzer, uint8_t key, TTavikNode* node)
    : TTavik(analyzer, key, node, Format("Б%d", {key}), kTavikImageBlock) {}

void TTavikBlock::Update() {
  TTavik::Update();
  const uint8_t next = analyzer_.Next();
  if (next != octet) ++changes;
  octet = next;
  name = Format("Б%d=%.2xh %s", {key, octet, SiriusModuleName(octet)});
}

std::string TTavikBlock::StateText() const {
  return TTavik::StateText() + Format(" И=%d Т=%s", {changes, TimeText(lastSeen)});
}

TTavikTI::TTavikTI(TTavikAnalyzer& analyzer, uint8_t key, TTavikNode* node)
    : TTavik(analyzer, key, node, Format("ТИ%d", {key}), kTavikImageTI) {}

void TTavikTI::Update() {
  TTavik::Update();
  TTavikAnalyzer& a = analyzer_;
  const uint16_t v = uint16_t(a.At(a.cursor + 1) | a.At(a.cursor + 2) << 8);
  a.cursor += 2;
  TakeValue(appearances, v, value, changes);
}

std::string TTavikTI::StateText() const {
  return Format("=%.4xh C=%d И=%d Т=%s", {value, appearances, changes, TimeText(lastSeen)});
}

TTavikTI3::TTavikTI3(TTavikAnalyzer& analyzer, uint8_t key, TTavikNode* node)
    : TTavik(analyzer, key, node, Format("ТИ3_%d", {key}), kTavikImageTI3) {}

void TTavikTI3::Update() {
  TTavik::Update();
  TTavikAnalyzer& a = analyzer_;
  const size_t c = a.cursor;
  const uint32_t v = uint32_t(a.At(c + 1)) | uint32_t(a.At(c + 2)) << 8 | uint32_t(a.At(c + 3)) << 16 |
                     uint32_t(a.At(c + 4)) << 24;
  a.cursor += 4;
  TakeValue(appearances, v, value, changes);
}

std::string TTavikTI3::StateText() const {
  return Format("=%.8xh=%s C=%d И=%d Т=%s",
                {value, FormatGeneral(SiriusFloat3(value), 7, 0), appearances, changes, TimeText(lastSeen)});
}

TTavikTS::TTavikTS(TTavikAnalyzer& analyzer, uint8_t key, TTavikNode* node)
    : TTavik(analyzer, key, node, Format("ТС%d", {key}), kTavikImageTS) {}

void TTavikTS::Update() {
  TTavik::Update();
  TTavikAnalyzer& a = analyzer_;
  const uint8_t now = (a.At(a.cursor + 1) >> (8 - key)) & 1;
  if (appearances == 1 || now != state) {
    state = now;
    PushBounded(list, {now, a.valuesFunction, a.recordTime});
    ++changes;
  }
}

std::string TTavikTS::StateText() const {
  return Format("=%d C=%d И=%d Т=%s", {state, appearances, changes, TimeText(lastSeen)});
}

namespace {

std::string LogCaption(const TTavik& leaf) {
  const auto* group = ObjectOf<TTavik>(leaf.node ? leaf.node->parent : nullptr);
  return "ТАВИК - Журнал событий " + (group ? group->name : std::string()) + " " + leaf.name;
}

}  // namespace

void TTavikTS::ShowLog(TTavikLog& log) const {
  log = {};
  log.caption = LogCaption(*this);
  log.appearances = appearances;
  log.changes = changes;
  size_t i = 0;
  for (const TBit& bit : list)
    log.lines.push_back(Format(" %d | %d | %s | %.2xh=%s",
                               {++i, bit.value, TimeText(bit.time), bit.second, SiriusBaseFn(bit.second).name}));
  if (!log.lines.empty()) {
    log.first = log.lines.front();
    log.last = log.lines.back();
  }
}

TTavikTU::TTavikTU(TTavikAnalyzer& analyzer, uint8_t key, TTavikNode* node)
    : TTavik(analyzer, key, node, Format("ТУ%d", {key}), kTavikImageTU) {}

void TTavikTU::Update() {
  TTavik::Update();
  ++commands;
  PushBounded(list, {1, analyzer_.direction, analyzer_.recordTime});
}

std::string TTavikTU::StateText() const { return TTavik::StateText() + " Т=" + TimeText(lastSeen); }

void TTavikTU::ShowLog(TTavikLog& log) const {
  log = {};
  log.caption = LogCaption(*this);
  log.appearances = appearances;
  log.changes = commands;
  const TTavikNode* group = node ? node->parent : nullptr;
  const auto* function = ObjectOf<TTavik>(group ? group->parent : nullptr);
  const uint8_t code = function ? function->key : 0;
  size_t i = 0;
  for (const TBit& bit : list)
    log.lines.push_back(Format(" %d | %s | %s", {++i, SiriusDirFn(bit.second, code).name, TimeText(bit.time)}));
  if (!log.lines.empty()) {
    log.first = log.lines.front();
    log.last = log.lines.back();
  }
}

}  // namespace vlm
