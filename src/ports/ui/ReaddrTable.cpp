#include "ports/ui/ReaddrTable.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyledItemDelegate>

#include "common/DataFolder.h"
#include "common/Prompt.h"
#include "ports/ReaddrOwners.h"
#include "ports/ui/ReaddrDataModule.h"
#include "ports/ui/ReaddrEdit.h"
#include "ports/ui/ReaddrModel.h"
#include "shell/ui/AppInfo.h"

namespace vlm {

// The in-place editor: its keys go through the grid's rules before the line edit sees them.
class TReaddrCellEditor : public QStyledItemDelegate {
 public:
  explicit TReaddrCellEditor(TReaddrTable* table) : QStyledItemDelegate(table), table_(table) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    editor->installEventFilter(const_cast<TReaddrCellEditor*>(this));
    return editor;
  }

  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      auto* key = static_cast<QKeyEvent*>(event);
      if (auto* editor = qobject_cast<QLineEdit*>(object)) {
        const bool ends = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                          key->text() == "*" || key->text() == "=";
        if (ends) {
          emit commitData(editor);
          emit closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
      }
      if (table_->HandleKey(key, true)) return true;
    }
    return QStyledItemDelegate::eventFilter(object, event);
  }

 private:
  TReaddrTable* table_;
};

TReaddrTable::TReaddrTable(const QString& title, std::vector<TReaddrColumn> columns, QWidget* parent)
    : QTableView(parent), data_(std::make_unique<TReaddrData>(title.toStdString(), std::move(columns))) {
  model_ = new TReaddrModel(*data_, this);
  setModel(model_);
  setItemDelegate(new TReaddrCellEditor(this));
  setColumnHidden(0, true);  // the vertical header shows the row numbers
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::SelectedClicked);
  setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  auto* rows = verticalHeader();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setDefaultSectionSize(fontMetrics().height() + 6);
  rows->setSectionsMovable(true);
  connect(rows, &QHeaderView::sectionMoved, this, &TReaddrTable::RowMoved);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  horizontalHeader()->setDefaultSectionSize(90);
  TReaddrDataModule::Instance().Attach(this);
  connect(this, &TReaddrTable::Beep, this, [] { QApplication::beep(); });
}

TReaddrTable::~TReaddrTable() { TReaddrDataModule::Instance().Detach(this); }

void TReaddrTable::Reload() { model_->Reload(); }

void TReaddrTable::Load(const std::vector<TByteRow>& rows) {
  data_->Load(rows);
  Reload();
}

TDataKind TReaddrTable::KindAt(int column) const {
  if (column < 1 || static_cast<size_t>(column) > data_->ColumnCount()) return TDataKind::Byte;
  return data_->Columns()[static_cast<size_t>(column - 1)].kind;
}

void TReaddrTable::CommitEdit() {
  if (state() != QAbstractItemView::EditingState) return;
  if (QWidget* editor = indexWidget(currentIndex())) commitData(editor);
  closePersistentEditor(currentIndex());
}

void TReaddrTable::ShowCell(int row, int column) {
  const QModelIndex index = model_->index(row, column);
  setCurrentIndex(index);
  scrollTo(index);
}

TCellDecision TReaddrTable::AskCell(const std::string& text, int row, int column) {
  ShowCell(row - 1, column);
  const QString message = QString::fromStdString(text);
  if (cellErrorHandler) return cellErrorHandler(message);
  QMessageBox box(QMessageBox::Critical, kAppTitle + " - Ошибка", QString(message).replace('\r', '\n'),
                  QMessageBox::NoButton, this);
  // Enter and Esc go back to editing: zeroing the cell is taken only by a deliberate click.
  QPushButton* cancel = box.addButton("Отмена", QMessageBox::RejectRole);
  box.addButton("Пропустить", QMessageBox::DestructiveRole)->setObjectName("ButtonIgnore");
  cancel->setObjectName("ButtonCancel");
  box.setDefaultButton(cancel);
  box.setEscapeButton(cancel);
  box.exec();
  return box.clickedButton() && box.clickedButton() != cancel ? TCellDecision::Ignore : TCellDecision::Cancel;
}

void TReaddrTable::ShowMessage(const QString& text) {
  if (messageHandler) messageHandler(text);
  else ShowError(text.toStdString());
}

std::optional<std::vector<TByteRow>> TReaddrTable::Store(size_t capacity, const QString& capacityMessage) {
  CommitEdit();
  auto decide = [this](const std::string& text, int row, int column) { return AskCell(text, row, column); };
  TStoreResult result = data_->Store(capacity, decide);
  if (result.capacityExceeded) {
    ShowMessage(QString::fromStdString(data_->Title()) + "\r" +
                (capacityMessage.isEmpty()
                     ? QString::fromStdString("Превышена максимальная емкость таблицы - " + RecordCount(capacity) + ".")
                     : capacityMessage));
    return std::nullopt;
  }
  if (!result.ok) return std::nullopt;
  return std::move(result.rows);
}

void TReaddrTable::SortBy(TSortKind role) {
  data_->Sort(role);
  Reload();
}

static int CurrentRow(const QTableView& view) { return std::max(0, view.currentIndex().row()); }

void TReaddrTable::InsertEmptyRow() {
  data_->InsertEmptyRow(static_cast<size_t>(CurrentRow(*this)));
  Reload();
}

void TReaddrTable::InsertCopyRow() {
  data_->InsertCopyRow(static_cast<size_t>(CurrentRow(*this)));
  Reload();
}

void TReaddrTable::DeleteCurrentRow() {
  const int row = CurrentRow(*this);
  const int column = std::max(1, currentIndex().column());
  data_->DeleteRow(static_cast<size_t>(row));
  Reload();
  setCurrentIndex(model_->index(std::min(row, model_->rowCount() - 1), column));
}

void TReaddrTable::OpenKeypad() {
  const QModelIndex index = currentIndex();
  if (!index.isValid() || index.column() < 1 || KindAt(index.column()) == TDataKind::Real48 ||
      KindAt(index.column()) == TDataKind::Single)
    return;
  TFormReaddrEdit::ShowFor(this, index);
}

bool TReaddrTable::ImportFrom(const QString& path) {
  QFile file(path);
  const size_t rows = capacity ? capacity : 65535;
  if (!file.open(QIODevice::ReadOnly) || QFileInfo(path).isDir()) {
    ShowError("Не удалось прочитать файл " + path.toStdString());
    return false;
  }
  // Checked before a byte is read: a file of millions of lines would make as many grid rows.
  if (const std::string why = ImportSizeRefusal(data_->Title(), rows, static_cast<uint64_t>(file.size())); !why.empty()) {
    ShowError(why + "\r" + path.toStdString());
    return false;
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    ShowError("Не удалось прочитать файл " + path.toStdString());
    return false;
  }
  const std::string_view text(bytes.constData(), static_cast<size_t>(bytes.size()));
  if (const std::string why = ImportRefusal(data_->Title(), rows, text); !why.empty()) {
    ShowError(why + "\r" + path.toStdString());
    return false;
  }
  data_->ImportText(text);
  Reload();
  return true;
}

bool TReaddrTable::ExportTo(const QString& path) {
  if (!WriteFileAtomically(path.toStdU16String(), data_->ExportText())) {
    ShowError("Не удалось записать файл " + path.toStdString());
    return false;
  }
  return true;
}

void TReaddrTable::ApplyToSelection(const QString& text) {
  QModelIndexList selected = selectionModel()->selectedIndexes();
  int top = currentIndex().row(), left = currentIndex().column();
  int bottom = top, right = left;
  for (const QModelIndex& i : selected) {
    top = std::min(top, i.row());
    bottom = std::max(bottom, i.row());
    left = std::min(left, i.column());
    right = std::max(right, i.column());
  }
  if (top < 0 || left < 1) return;
  data_->FillSelection(static_cast<size_t>(top), static_cast<size_t>(left - 1), static_cast<size_t>(bottom),
                       static_cast<size_t>(right - 1), text.toStdString());
  emit model_->dataChanged(model_->index(top, left), model_->index(bottom, right));
}

void TReaddrTable::MoveToPreviousCell() {
  const QModelIndex i = currentIndex();
  if (i.column() > 1) setCurrentIndex(model_->index(i.row(), i.column() - 1));
  else if (i.row() > 0) setCurrentIndex(model_->index(i.row() - 1, model_->columnCount() - 1));
}

void TReaddrTable::MoveToNextCell() {
  const QModelIndex i = currentIndex();
  const int last = model_->columnCount() - 1;
  if (i.column() < last) {
    setCurrentIndex(model_->index(i.row(), std::max(1, i.column() + 1)));
    return;
  }
  if (i.row() + 1 >= model_->rowCount()) {
    data_->AddRow();
    Reload();
  }
  setCurrentIndex(model_->index(i.row() + 1, 1));
}

bool TReaddrTable::IsAccepted(int column, QChar c) const {
  if (column < 1 || static_cast<size_t>(column) > data_->ColumnCount()) return false;
  if (c.unicode() > 0xFF) return false;
  return IsAcceptedChar(data_->Columns()[static_cast<size_t>(column - 1)], static_cast<char>(c.unicode()));
}

// The keys of the grid; true when the key was taken here.
bool TReaddrTable::HandleKey(QKeyEvent* event, bool fromEditor) {
  const int key = event->key();
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  const QModelIndex current = currentIndex();
  if (ctrl) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) { OpenKeypad(); return true; }
    if (key == Qt::Key_Delete) { DeleteCurrentRow(); return true; }
    if (key == Qt::Key_I) { SortBy(TSortKind::Local); return true; }
    if (key == Qt::Key_O) { SortBy(TSortKind::External); return true; }
    return false;
  }
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    ApplyToSelection(model_->data(current, Qt::EditRole).toString());
    return true;
  }
  const QString text = event->text();
  if (text == "*") { MoveToPreviousCell(); return true; }
  if (text == "=") { MoveToNextCell(); return true; }
  if (!fromEditor && key == Qt::Key_Down && current.row() == model_->rowCount() - 1) {
    data_->AddRow();
    Reload();
    setCurrentIndex(model_->index(current.row() + 1, current.column()));
    return true;
  }
  if (!fromEditor && key == Qt::Key_Right && current.column() == model_->columnCount() - 1) {
    MoveToNextCell();
    return true;
  }
  if (text.size() == 1 && text[0].isPrint() && !IsAccepted(current.column(), text[0])) {
    emit Beep();
    return true;  // refused character
  }
  return false;
}

void TReaddrTable::keyPressEvent(QKeyEvent* event) {
  if (!HandleKey(event, false)) QTableView::keyPressEvent(event);
}

void TReaddrTable::mouseDoubleClickEvent(QMouseEvent* event) {
  const QModelIndex index = indexAt(event->position().toPoint());
  if (!index.isValid() || index.column() < 1) return;
  setCurrentIndex(index);
  if (KindAt(index.column()) == TDataKind::Flag) {
    model_->setData(index, model_->data(index, Qt::EditRole).toString() == "0" ? "1" : "0", Qt::EditRole);
    return;
  }
  OpenKeypad();
}

void TReaddrTable::mousePressEvent(QMouseEvent* event) {
  TReaddrDataModule::Instance().SetLastTable(this);
  QTableView::mousePressEvent(event);
}

void TReaddrTable::RowMoved(int, int oldVisual, int newVisual) {
  // The header only reports the drag; the data moves and the header goes back to identity order.
  QHeaderView* rows = verticalHeader();
  const QSignalBlocker block(rows);
  rows->moveSection(newVisual, oldVisual);
  data_->MoveRow(static_cast<size_t>(oldVisual), static_cast<size_t>(newVisual));
  Reload();
}

}  // namespace vlm
