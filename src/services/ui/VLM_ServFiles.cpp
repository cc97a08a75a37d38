#include "services/ui/VLM_ServFiles.h"

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QSplitter>
#include <QStyle>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "common/Prompt.h"
#include "link/LinkSettings.h"
#include "services/ControllerPath.h"
#include "services/ui/VLM_ServFilesView.h"
#include "services/ui/uEdit.h"
#include "shell/ui/AppInfo.h"
#include "shell/ui/Indicator.h"
#include "shell/ui/LinkWait.h"

namespace vlm {
namespace {

constexpr int kIndicatorWidth = 96, kIndicatorHeight = 28;
constexpr int kNameRole = Qt::UserRole;

QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

QLabel* PaneCaption(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setAlignment(Qt::AlignCenter);
  label->setStyleSheet("QLabel { background: #000080; color: white; font-weight: bold; padding: 2px; }");
  return label;
}

}  // namespace

TFormFiles::TFormFiles(TControllerLink& link, QWidget* parent)
    : QDialog(parent), link_(link), exchange_(link, observer_) {
  setObjectName("FormFiles");
  setModal(true);
  resize(860, 540);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(BuildTopPanel());
  auto* splitter = new QSplitter(Qt::Horizontal, this);
  splitter->addWidget(BuildPcPane());
  splitter->addWidget(BuildControllerPane());
  splitter->setSizes({400, 460});
  layout->addWidget(splitter, 1);
  auto* bottom = new QHBoxLayout;
  labelState_ = new QLabel(this);
  labelState_->setObjectName("LabelState");
  labelSelected_ = new QLabel(this);
  labelSelected_->setObjectName("LabelSelected");
  bottom->addWidget(labelState_, 1);
  bottom->addWidget(labelSelected_);
  layout->addLayout(bottom);
  progress_ = new QProgressBar(this);
  progress_->setObjectName("ProgressBar1");
  progress_->setTextVisible(false);
  progress_->setMaximumHeight(12);
  layout->addWidget(progress_);
  viewer_ = new TFormFilesView(link_, this);
  observer_.StateLabel = labelState_;
  observer_.ProgressBar = progress_;
  observer_.Indicator = indicator_;
  observer_.OnDeselect = [this](const std::string& name) { DeselectName(name); };
  SetPcDir(QDir::homePath());
  InstallHelpKey(this, kHelpFiles, &Help);
}

QWidget* TFormFiles::BuildTopPanel() {
  auto* panel = new QWidget(this);
  auto* row = new QHBoxLayout(panel);
  row->setContentsMargins(0, 0, 0, 0);
  auto button = [&](const char* name, const QString& hint, QStyle::StandardPixmap icon, std::function<void()> run) {
    auto* b = new QToolButton(panel);
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setIcon(style()->standardIcon(icon));
    b->setIconSize(QSize(24, 24));
    b->setAutoRaise(true);
    connect(b, &QToolButton::clicked, this, std::move(run));
    row->addWidget(b);
  };
  button("ButtonGetDir", "Обновить список файлов контроллера", QStyle::SP_BrowserReload, [this] { ButtonGetDirClick(); });
  button("ButtonCopyToPC", "Копировать файл(ы) с контроллера на ЭВМ", QStyle::SP_ArrowLeft,
         [this] { ButtonCopyToPCClick(); });
  button("SpeedButtonStop", "Остановить копирование", QStyle::SP_BrowserStop, [this] { SpeedButtonStopClick(); });
  row->addStretch();
  indicator_ = new TIndicator(kIndicatorWidth, kIndicatorHeight, panel);
  row->addWidget(indicator_);
  button("SpeedButtonHelp", "Вызвать справочную систему", QStyle::SP_DialogHelpButton, [this] {
    if (Help) Help(kHelpFiles);
  });
  return panel;
}

QWidget* TFormFiles::BuildPcPane() {
  auto* pane = new QWidget(this);
  auto* column = new QVBoxLayout(pane);
  column->setContentsMargins(0, 0, 0, 0);
  column->addWidget(PaneCaption("ЭВМ", pane));
  drives_ = new QComboBox(pane);
  drives_->setObjectName("DriveComboBoxPC");
  for (const QFileInfo& drive : QDir::drives()) drives_->addItem(QDir::toNativeSeparators(drive.absolutePath()));
  connect(drives_, &QComboBox::textActivated, this, [this](const QString& drive) { SetPcDir(drive); });
  column->addWidget(drives_);
  dirModel_ = new QFileSystemModel(this);
  dirModel_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
  dirModel_->setRootPath("");
  tree_ = new QTreeView(pane);
  tree_->setObjectName("DirectoryTreePC");
  tree_->setModel(dirModel_);
  for (int c = 1; c < dirModel_->columnCount(); ++c) tree_->hideColumn(c);
  tree_->setHeaderHidden(true);
  tree_->setContextMenuPolicy(Qt::CustomContextMenu);
  treeMenu_ = new QMenu(this);
  treeMenu_->addAction("Создать каталог", this, [this] { NMkDirClick(); })->setObjectName("NMkDir");
  connect(tree_, &QTreeView::customContextMenuRequested, this,
          [this](const QPoint& at) { treeMenu_->popup(tree_->viewport()->mapToGlobal(at)); });
  // The folder under the highlight is the copy target, however the highlight got there (mouse,
  // arrow keys, Enter).
  connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& index) {
    if (index.isValid()) SetPcDir(dirModel_->filePath(index));
  });
  connect(tree_, &QTreeView::activated, this, [this](const QModelIndex& index) { SetPcDir(dirModel_->filePath(index)); });
  fileModel_ = new QFileSystemModel(this);
  fileModel_->setFilter(QDir::Files);
  pcFiles_ = new QListView(pane);
  pcFiles_->setObjectName("FileListBoxPC");
  pcFiles_->setModel(fileModel_);
  connect(pcFiles_, &QListView::clicked, this,
          [this](const QModelIndex& index) { FileListBoxPCClick(fileModel_->filePath(index)); });
  auto* split = new QSplitter(Qt::Vertical, pane);
  split->addWidget(tree_);
  split->addWidget(pcFiles_);
  column->addWidget(split, 1);
  return pane;
}

QWidget* TFormFiles::BuildControllerPane() {
  auto* pane = new QWidget(this);
  auto* column = new QVBoxLayout(pane);
  column->setContentsMargins(0, 0, 0, 0);
  column->addWidget(PaneCaption("ВЕЛМОР", pane));
  labelDir_ = new QLabel(pane);
  labelDir_->setObjectName("LabelDirVLM");
  labelDir_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  labelDir_->setIndent(0);
  labelDir_->setMargin(0);
  labelDir_->setMouseTracking(true);
  labelDir_->setCursor(Qt::PointingHandCursor);
  labelDir_->installEventFilter(this);
  column->addWidget(labelDir_);
  list_ = new QTableWidget(0, 3, pane);
  list_->setObjectName("ListViewVLM");
  list_->setHorizontalHeaderLabels({"Имя", "Размер", "Дата и время"});
  list_->setColumnWidth(0, 100);
  list_->setColumnWidth(1, 60);
  list_->setColumnWidth(2, 115);
  list_->horizontalHeader()->setStretchLastSection(true);
  list_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  list_->verticalHeader()->hide();
  list_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 2);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setShowGrid(true);
  list_->setWordWrap(false);
  list_->installEventFilter(this);
  connect(list_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int c) { SortByColumn(c); });
  connect(list_, &QTableWidget::itemSelectionChanged, this, [this] { UpdateSelectionSummary(); });
  connect(list_, &QTableWidget::cellDoubleClicked, this, [this] { ListViewVLMDblClick(); });
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  listMenu_ = new QMenu(this);
  listMenu_->addAction("Копировать файл на ЭВМ", this, [this] { ButtonCopyToPCClick(); })->setObjectName("NCopy");
  listMenu_->addAction("Cравнить с файлом на ЭВМ ", this, [this] { NCompareClick(); })->setObjectName("NCompare");
  listMenu_->addAction("Удалить файл", this, [this] { NDeleteClick(); })->setObjectName("NDelete");
  listMenu_->addAction("Просмотреть файл", this, [this] { NViewClick(); })->setObjectName("NView");
  connect(list_, &QTableWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { listMenu_->popup(list_->viewport()->mapToGlobal(at)); });
  column->addWidget(list_, 1);
  return pane;
}

void TFormFiles::SetPcDir(const QString& dir) {
  pcDir_ = QDir(dir).absolutePath();
  exchange_.PcDir = pcDir_.toStdString();
  fileModel_->setRootPath(pcDir_);
  pcFiles_->setRootIndex(fileModel_->index(pcDir_));
  const QModelIndex treeIndex = dirModel_->index(pcDir_);
  tree_->setCurrentIndex(treeIndex);
  tree_->scrollTo(treeIndex);
}

bool TFormFiles::Run(const std::function<void()>& body) { return RunExclusive(busy_, body); }

void TFormFiles::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  setWindowTitle(kAppTitle + " - Обмен файлами  IP=" + Text(IPToStr(link_.Settings.DestIP)));
  // After the window is on the screen (the listing may take a while), and never inside another
  // window's link wait.
  AfterLinkWait(this, [this] { ChangeControllerDir(kControllerRoot); });
}

void TFormFiles::hideEvent(QHideEvent* event) {
  // However the window goes (closed, Esc), its viewer goes with it.
  viewer_->hide();
  QDialog::hideEvent(event);
}

void TFormFiles::ChangeControllerDir(const std::string& path) {
  Run([&] {
    labelDir_->setText(Text(path));
    exchange_.ChangeControllerDir(path);
    labelDir_->setText(Text(exchange_.ControllerPath));
    FillList();
  });
}

void TFormFiles::ButtonGetDirClick() { ChangeControllerDir(kControllerRoot); }

void TFormFiles::FillList() {
  list_->clearSelection();
  list_->setRowCount(0);
  const auto& items = exchange_.Items();
  list_->setRowCount(int(items.size()));
  for (int row = 0; row < int(items.size()); ++row) {
    const TFileInfo& info = items[size_t(row)];
    auto* name = new QTableWidgetItem(Text(info.Name));
    name->setData(kNameRole, row);
    list_->setItem(row, 0, name);
    list_->setItem(row, 1, new QTableWidgetItem(QString::number(info.Size)));
    list_->setItem(row, 2, new QTableWidgetItem(Text(FileDateTimeText(info.DateTime))));
  }
  UpdateSelectionSummary();
}

QStringList TFormFiles::Rows() const {
  QStringList rows;
  for (int r = 0; r < list_->rowCount(); ++r)
    rows << list_->item(r, 0)->text() + "|" + list_->item(r, 1)->text() + "|" + list_->item(r, 2)->text();
  return rows;
}

std::vector<TFileInfo> TFormFiles::SelectedItems() const {
  std::vector<TFileInfo> selected;
  const auto& items = exchange_.Items();
  for (int row = 0; row < list_->rowCount(); ++row)
    if (list_->item(row, 0)->isSelected()) selected.push_back(items[size_t(row)]);
  return selected;
}

const TFileInfo* TFormFiles::FocusedItem() const {
  const int row = list_->currentRow();
  return row >= 0 && row < int(exchange_.Items().size()) ? &exchange_.Items()[size_t(row)] : nullptr;
}

void TFormFiles::UpdateSelectionSummary() { labelSelected_->setText(Text(SelectionSummary(SelectedItems()))); }

void TFormFiles::DeselectName(const std::string& name) {
  const QString caption = Text(name);
  for (int row = 0; row < list_->rowCount(); ++row)
    if (list_->item(row, 0)->text() == caption)
      for (int c = 0; c < list_->columnCount(); ++c) list_->item(row, c)->setSelected(false);
}

void TFormFiles::SortByColumn(int column) {
  exchange_.Sort(column);
  FillList();
}

void TFormFiles::ButtonCopyToPCClick() {
  // The copy keeps the window alive while it runs, so its own button may come again meanwhile.
  if (exchange_.Copying()) return;
  Run([&] { exchange_.CopyToPC(SelectedItems()); });
}

void TFormFiles::NCompareClick() {
  Run([&] { exchange_.Compare(SelectedItems()); });
}

void TFormFiles::NDeleteClick() {
  const TFileInfo* focused = FocusedItem();
  if (!focused) return;
  const TFileInfo item = *focused;
  Run([&] {
    if (exchange_.Delete(item)) FillList();
  });
}

void TFormFiles::NViewClick() {
  const TFileInfo* focused = FocusedItem();
  if (!focused || focused->IsDirectory()) return;
  const std::string name = focused->Name;
  Run([&] { viewer_->ShowFile(name); });
}

void TFormFiles::NMkDirClick() {
  QString start = QDir::toNativeSeparators(pcDir_);
  if (!start.endsWith(QDir::separator())) start += QDir::separator();
  const TInputResult input = InputString("Для создания нового каталога\rвведите его имя :", start, 255, this);
  if (input.Result != kInputOk) return;
  // A bare name is made in the folder shown, not in the program's working folder.
  const QString path = QDir(pcDir_).absoluteFilePath(input.Text);
  if (input.Text.trimmed().isEmpty() || !QDir().mkpath(path)) {
    ShowError("Не удалось создать каталог " + QDir::toNativeSeparators(path).toStdString());
    return;
  }
  SetPcDir(pcDir_);
}

void TFormFiles::ListViewVLMDblClick() {
  const TFileInfo* focused = FocusedItem();
  if (!focused || !focused->IsDirectory()) return;
  const TFileInfo item = *focused;
  Run([&] {
    const std::string select = exchange_.Enter(item);
    labelDir_->setText(Text(exchange_.ControllerPath));
    FillList();
    SelectItemByCaption(Text(select));
  });
}

void TFormFiles::SelectItemByCaption(const QString& caption) {
  for (int row = 0; row < list_->rowCount(); ++row)
    if (list_->item(row, 0)->text() == caption) {
      list_->setCurrentCell(row, 0);
      list_->selectRow(row);
      list_->scrollToItem(list_->item(row, 0));
      return;
    }
}

int TFormFiles::PathColumn(int x) const {
  return x / std::max(1, labelDir_->fontMetrics().horizontalAdvance(QLatin1Char('A'))) + 1;
}

QString TFormFiles::LabelDirHint(int x) const {
  return "Перейти в каталог " + Text(PathUpToColumn(exchange_.ControllerPath, PathColumn(x)));
}

void TFormFiles::LabelDirVLMMouseDown(int x) { ChangeControllerDir(PathUpToColumn(exchange_.ControllerPath, PathColumn(x))); }

void TFormFiles::FileListBoxPCClick(const QString& path) {
  const QFileInfo info(path);
  labelState_->setText(QDir::toNativeSeparators(info.absoluteFilePath()) + " | " + QString::number(info.size()) +
                       " | " + info.lastModified().toString("dd.MM.yyyy  HH:mm:ss"));
}

void TFormFiles::SelectAllFiles() {
  list_->clearSelection();
  const auto& items = exchange_.Items();
  for (int row = 0; row < list_->rowCount(); ++row)
    if (!items[size_t(row)].IsDirectory())
      for (int c = 0; c < list_->columnCount(); ++c) list_->item(row, c)->setSelected(true);
}

bool TFormFiles::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::SelectAll)) {
      SelectAllFiles();
      return true;
    }
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      ListViewVLMDblClick();
      return true;
    }
  }
  if (watched == labelDir_) {
    if (event->type() == QEvent::MouseMove) {
      labelDir_->setToolTip(LabelDirHint(int(static_cast<QMouseEvent*>(event)->position().x())));
    } else if (event->type() == QEvent::MouseButtonPress) {
      LabelDirVLMMouseDown(int(static_cast<QMouseEvent*>(event)->position().x()));
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace vlm
