#include "ports/ui/ReaddrPage.h"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <QVBoxLayout>
#include <algorithm>

#include "ports/RowTable.h"
#include "ports/ui/ReaddrModel.h"
#include "ports/ui/ReaddrTable.h"

namespace vlm {

TReaddrHeadings::TReaddrHeadings(const TOwnerTable& def, TReaddrTable* table, QWidget* parent)
    : QWidget(parent), def_(def), table_(table) {
  auto repaint = [this] { update(); };
  connect(table->horizontalHeader(), &QHeaderView::sectionResized, this, repaint);
  connect(table->horizontalScrollBar(), &QScrollBar::valueChanged, this, repaint);
  connect(table->verticalHeader(), &QHeaderView::geometriesChanged, this, repaint);
}

QSize TReaddrHeadings::sizeHint() const { return {100, fontMetrics().height() + 8}; }

void TReaddrHeadings::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const int left = table_->frameWidth() + table_->verticalHeader()->width();
  auto section = [&](const QRect& rect, const QString& text) {
    QStyleOptionHeader option;
    option.initFrom(this);
    option.rect = rect;
    option.text = text;
    option.textAlignment = Qt::AlignCenter;
    style()->drawControl(QStyle::CE_Header, &option, &painter, this);
  };
  // The row number title sits over the row numbers.
  section(QRect(0, 0, left, height()), QString::fromStdString(def_.rowTitle));
  painter.setClipRect(left, 0, width() - left, height());
  for (const TTableHeading& h : def_.headings) {
    const int last = h.firstColumn + h.columnCount - 1;
    const int x0 = table_->columnViewportPosition(h.firstColumn);
    const int x1 = table_->columnViewportPosition(last) + table_->columnWidth(last);
    section(QRect(left + x0, 0, x1 - x0, height()), QString::fromStdString(h.text));
  }
}

TReaddrPage::TReaddrPage(TOwnerTableId id, QWidget* parent)
    : QWidget(parent), id_(id), def_(OwnerTable(id)) {
  table_ = new TReaddrTable(QString::fromStdString(def_.title), def_.columns, this);
  table_->Model().SetRowNumberTitle(QString::fromStdString(def_.rowTitle));
  table_->capacity = def_.capacity;
  // Every column wide enough for its title ("АдрОбъекта (справочное)").
  const QFontMetrics metrics = table_->horizontalHeader()->fontMetrics();
  for (size_t c = 0; c < def_.columns.size(); ++c) {
    const int width = metrics.horizontalAdvance(QString::fromStdString(def_.columns[c].title)) + 20;
    table_->setColumnWidth(static_cast<int>(c) + 1, std::max(table_->horizontalHeader()->defaultSectionSize(), width));
  }
  // And every heading over its columns whole ("Внешняя система" over two narrow columns): the
  // last column of the heading takes what is missing.
  for (const TTableHeading& h : def_.headings) {
    const int last = h.firstColumn + h.columnCount - 1;
    int span = 0;
    for (int c = h.firstColumn; c <= last; ++c) span += table_->columnWidth(c);
    const int wanted = metrics.horizontalAdvance(QString::fromStdString(h.text)) + 20;
    if (span < wanted) table_->setColumnWidth(last, table_->columnWidth(last) + wanted - span);
  }
  top_ = new QWidget(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(0);
  layout->addWidget(top_);
  layout->addWidget(new TReaddrHeadings(def_, table_, this));
  layout->addWidget(table_, 1);
}

void TReaddrPage::Load(const TRowTable& rows) {
  LoadOwnerTable(def_, rows, table_->Data());
  table_->Reload();
}

std::optional<TOwnerStore> TReaddrPage::Store() {
  table_->CommitEdit();
  auto ask = [this](const std::string& text, int row, int column) {
    if (reveal) reveal();
    return table_->AskCell(text, row, column);
  };
  TOwnerStore result = StoreOwnerTable(def_, table_->Data(), ask);
  if (def_.sortOnStore) {
    const QModelIndex current = table_->currentIndex();
    table_->Reload();
    if (result.errorRow > 0) table_->ShowCell(result.errorRow - 1, result.errorColumn);
    else if (current.isValid()) table_->ShowCell(current.row(), current.column());
  }
  if (result.ok) return result;
  if (!result.message.empty()) {
    if (reveal) reveal();
    table_->ShowMessage(QString::fromStdString(result.message));
  }
  return std::nullopt;
}

void TReaddrPage::ShowStoredRow(const TOwnerStore& store, int storedRow, int column) {
  if (storedRow < 1 || static_cast<size_t>(storedRow) > store.gridRows.size()) return;
  if (reveal) reveal();
  table_->ShowCell(static_cast<int>(store.gridRows[static_cast<size_t>(storedRow - 1)]), column);
}

}  // namespace vlm
