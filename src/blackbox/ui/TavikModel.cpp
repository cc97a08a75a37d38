#include "blackbox/ui/TavikModel.h"

#include <QApplication>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QTransform>

#include "shell/ui/AppInfo.h"

namespace vlm {

TTavikModel::TTavikModel(TTavikAnalyzer& analyzer, QObject* parent) : QAbstractItemModel(parent), analyzer_(analyzer) {
  analyzer_.nodeAdded = [this](TTavikNode& node) { Added(node); };
}

void TTavikModel::Restart() {
  beginResetModel();
  restarting_ = true;
  analyzer_.Start();
  restarting_ = false;
  endResetModel();
}

void TTavikModel::Reset() {
  beginResetModel();
  endResetModel();
}

const TTavikNode* TTavikModel::Node(const QModelIndex& index) const {
  return index.isValid() ? static_cast<const TTavikNode*>(index.internalPointer()) : nullptr;
}

namespace {
int RowIn(const TTavikNode& node) {
  if (!node.parent) return 0;
  const auto& siblings = node.parent->children;
  for (size_t i = 0; i < siblings.size(); ++i)
    if (siblings[i].get() == &node) return int(i);
  return 0;
}
}  // namespace

QModelIndex TTavikModel::IndexOf(const TTavikNode* node) const {
  return node ? createIndex(RowIn(*node), 0, const_cast<TTavikNode*>(node)) : QModelIndex();
}

void TTavikModel::Added(TTavikNode& node) {
  if (!node.parent) {
    if (!restarting_) Reset();
    return;
  }
  // The core has put the node in already: announce it at its place.
  const int row = RowIn(node);
  beginInsertRows(IndexOf(node.parent), row, row);
  endInsertRows();
}

QModelIndex TTavikModel::index(int row, int column, const QModelIndex& parent) const {
  if (column != 0 || row < 0) return {};
  if (!parent.isValid()) return row == 0 ? createIndex(0, 0, &analyzer_.Root()) : QModelIndex();
  const TTavikNode* node = Node(parent);
  if (size_t(row) >= node->children.size()) return {};
  return createIndex(row, 0, node->children[size_t(row)].get());
}

QModelIndex TTavikModel::parent(const QModelIndex& child) const {
  const TTavikNode* node = Node(child);
  return node && node->parent ? IndexOf(node->parent) : QModelIndex();
}

int TTavikModel::rowCount(const QModelIndex& parent) const {
  if (!parent.isValid()) return 1;
  return int(Node(parent)->children.size());
}

QVariant TTavikModel::data(const QModelIndex& index, int role) const {
  const TTavikNode* node = Node(index);
  if (!node || !node->object) return {};
  if (role == Qt::DisplayRole) {
    node->object->UpdateText();
    return QString::fromStdString(node->text);
  }
  if (role == Qt::DecorationRole) return TavikImage(node->image, node->stateImage, node->object->Touched());
  return {};
}

QPixmap TavikImage(int image, int stateImage, bool overlay) {
  static QHash<int, QPixmap> cache;
  const int key = image * 64 + stateImage * 2 + (overlay ? 1 : 0);
  if (auto it = cache.find(key); it != cache.end()) return *it;
  QPixmap pixmap(30, 16);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  // One hue per image index.
  const QColor kind = QColor::fromHsv((image * 47) % 360, 160, 220);
  p.setPen(kind.darker(160));
  p.setBrush(kind);
  p.drawRoundedRect(1, 2, 12, 12, 3, 3);
  if (stateImage > 0) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 60, 60));
    p.drawRect(16, 1, 5, 15);
    p.setBrush(QColor(80, 200, 80));
    p.drawRect(16, 16 - stateImage, 5, stateImage);
  }
  if (overlay) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 40, 40));
    p.drawEllipse(8, 9, 6, 6);
  }
  p.end();
  cache.insert(key, pixmap);
  return pixmap;
}

void TTavikDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QStyledItemDelegate::paint(painter, option, index);
  const TTavikNode* node = model_.Node(index);
  const auto* function = node ? dynamic_cast<const TTavikHubFunc*>(node->object.get()) : nullptr;
  if (!function || node->children.empty() || !node->parent) return;
  // Right edge of the longest text among the siblings.
  // Where the style puts the text (after the icon) and in which font: measured, not assumed.
  QStyleOptionViewItem item = option;
  initStyleOption(&item, index);
  const QStyle* style = item.widget ? item.widget->style() : QApplication::style();
  const QFontMetrics metrics(item.font);
  int longest = 0;
  for (const auto& sibling : node->parent->children) {
    sibling->object->UpdateText();
    longest = std::max(longest, metrics.horizontalAdvance(QString::fromStdString(sibling->text)));
  }
  const int textLeft = style->subElementRect(QStyle::SE_ItemViewItemText, &item, item.widget).left() + 3;
  const int own = metrics.horizontalAdvance(QString::fromStdString(node->text));
  const int edge = textLeft + longest + 6;
  painter->fillRect(QRect(textLeft + own, option.rect.top(), edge - textLeft - own, option.rect.height()),
                    option.palette.base());
  const QColor background = option.palette.base().color();
  const uint32_t back = uint32_t(background.red()) | uint32_t(background.green()) << 8 | uint32_t(background.blue()) << 16;
  const std::vector<uint32_t> pixels = function->map.Render(back);
  QImage map(TTavikMap::kWidth, TTavikMap::kHeight, QImage::Format_RGB32);
  for (int y = 0; y < TTavikMap::kHeight; ++y)
    for (int x = 0; x < TTavikMap::kWidth; ++x)
      map.setPixelColor(x, y, WinColor(pixels[size_t(y) * TTavikMap::kWidth + x]));
  const int top = option.rect.top() + 2;
  painter->drawImage(QPoint(edge, top), map, QRect(0, 0, std::max(8, function->mapWidth), TTavikMap::kHeight));
  // The highest group, written upwards in an 11-pixel strip.
  painter->save();
  QFont number("Tahoma");
  number.setPixelSize(11);
  painter->setFont(number);
  painter->setPen(option.palette.text().color());
  painter->translate(edge + std::max(8, function->mapWidth) + 11, top + TTavikMap::kHeight);
  painter->rotate(-90);
  painter->drawText(0, -2, QString::fromStdString(function->NumberText()));
  painter->restore();
}

}  // namespace vlm
