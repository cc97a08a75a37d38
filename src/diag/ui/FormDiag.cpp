#include "diag/ui/FormDiag.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QSplitter>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "common/DataFolder.h"
#include "common/IniFile.h"
#include "common/PathText.h"
#include "common/Prompt.h"
#include "diag/DiagKinds.h"
#include "diag/ui/DiagIcons.h"
#include "diag/ui/FormDiagDebug.h"
#include "diag/ui/FrameDiagView.h"
#include "link/Velmor_PC.h"
#include "shell/ui/AppInfo.h"
#include "shell/ui/HelpWindow.h"
#include "shell/ui/Indicator.h"
#include "shell/HelpTopics.h"
#include "shell/ui/LinkWait.h"

namespace vlm {
namespace {

constexpr int kObjRole = Qt::UserRole + 1;
// Windows system colours of the grids: active border, application workspace, scroll bar, 3-D light.
const QColor kRowEven(180, 180, 180), kRowOdd(171, 171, 171), kHeadingRow(200, 200, 200), kChangedBack(227, 227, 227);
const QColor kGrey(128, 128, 128);

TDiagObj* ObjOf(const QTreeWidgetItem* item) {
  return item ? static_cast<TDiagObj*>(item->data(0, kObjRole).value<void*>()) : nullptr;
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

QString OnOffText(bool on) { return on ? QStringLiteral("(Включено)") : QStringLiteral("(Отключено)"); }

}  // namespace

TFormDiag::TFormDiag(TControllerLink& link, QWidget* parent)
    : QDialog(parent), link_(link), memory_(link), context_(memory_), session_(context_) {
  setObjectName("FormDiag");
  setProperty("helpContext", HelpContextOf("TFormDiag"));  // F1 while it is the active window
  setMinimumSize(700, 500);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(BuildToolbar());

  tree_ = new QTreeWidget;
  tree_->setObjectName("TreeView1");
  tree_->setToolTip("Список Объектов Диагностики.");
  tree_->setHeaderHidden(true);
  tree_->setMinimumWidth(80);
  connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) { TreeView1Change(item); });

  BuildGrids();
  panelName_ = new QLabel;
  panelName_->setObjectName("PanelName");
  centre_ = new QWidget;
  auto* centreLayout = new QHBoxLayout(centre_);
  centreLayout->setContentsMargins(0, 0, 0, 0);
  centreSplit_ = new QSplitter(Qt::Vertical);
  centreSplit_->addWidget(grid1_);
  centreSplit_->addWidget(grid2_);
  centreLayout->addWidget(centreSplit_, 1);
  progress_ = new QProgressBar;
  progress_->setObjectName("ProgressBar1");
  progress_->setOrientation(Qt::Vertical);
  progress_->setTextVisible(false);
  progress_->hide();
  centreLayout->addWidget(progress_);
  auto* centrePanel = new QWidget;
  auto* cp = new QVBoxLayout(centrePanel);
  cp->setContentsMargins(0, 0, 0, 0);
  cp->addWidget(panelName_);
  cp->addWidget(centre_, 1);

  auto* right = new QWidget;
  auto* rl = new QVBoxLayout(right);
  rl->setContentsMargins(0, 0, 0, 0);
  rl->addWidget(new QLabel("Журнал"));
  memo_ = new QPlainTextEdit;
  memo_->setObjectName("MemoLog");
  memo_->setReadOnly(true);
  memo_->setMaximumBlockCount(int(TDiagSession::kJournalLines));
  panelParam_ = new QLabel;
  panelParam_->setObjectName("PanelParam");
  rl->addWidget(panelParam_);
  rl->addWidget(memo_, 1);
  right->setMinimumWidth(65);

  mainSplit_ = new QSplitter(Qt::Horizontal);
  mainSplit_->addWidget(tree_);
  mainSplit_->addWidget(centrePanel);
  mainSplit_->addWidget(right);
  mainSplit_->setStretchFactor(1, 1);
  layout->addWidget(mainSplit_, 1);

  timerWork_ = new QTimer(this);
  timerWork_->setObjectName("TimerWork");
  timerWork_->setInterval(400);
  timerWork_->setSingleShot(true);
  ConnectLinkTimer(timerWork_, this, [this] { TimerWorkTimer(); });

  memory_.SetIndicator([this](uint32_t colour) { indicator_->AddPoint(colour); });
  session_.Journal = [this](const std::string& line) { AppendJournal(Q(line)); };
  AskSavePath = [this](const QString& proposed) { return AskDiagLogPath(this, proposed); };
  ReadSettings();
}

TFormDiag::~TFormDiag() { FreeView(); }

QWidget* TFormDiag::BuildToolbar() {
  auto* bar = new QWidget;
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(0, 0, 0, 0);
  auto button = [&](const char* name, const QString& hint, int icon, std::function<void()> run) {
    QToolButton* b = DiagToolButton(name, hint, icon, std::move(run));
    row->addWidget(b);
    return b;
  };
  button("ImageLogo", kVersionText, 0, [] {});
  pause_ = button("ImagePause", "", 1, [this] { ImagePauseClick(); });
  indicator_ = new TIndicator(64, 24);
  indicator_->setObjectName("ImageDot");
  row->addWidget(indicator_);
  button("ButtonScan", "Перечитать структуру", 2, [this] { ButtonScanClick(); });
  button("ImageHelp", "Вызвать справочную систему", 3, [this] { ImageHelpClick(); });
  highlight_ = button("ImageHighLight", "", 4, [this] { ImageHighLightClick(); });
  row->addStretch(1);
  return bar;
}

void TFormDiag::BuildGrids() {
  auto make = [this](const char* name, const QString& hint) {
    auto* g = new QTableWidget(0, 4);
    g->setObjectName(name);
    g->setToolTip(hint);
    g->setHorizontalHeaderLabels({"N", "М", "Название", "Значение"});
    QFont bold = g->horizontalHeader()->font();
    bold.setBold(true);
    g->horizontalHeader()->setFont(bold);
    g->verticalHeader()->hide();
    g->verticalHeader()->setDefaultSectionSize(15);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->setFont(FixedPitchFont(13));  // "%5d" columns and tabs line up
    g->setColumnWidth(0, 30);
    g->setColumnWidth(1, 14);
    g->horizontalHeader()->setStretchLastSection(true);
    g->viewport()->installEventFilter(this);
    g->installEventFilter(this);
    return g;
  };
  grid1_ = make("Grid1", "Окно параметров");
  grid2_ = make("Grid2", "Окно постоянного просмотра");
  grid2_->setRowCount(1);
  grid2_->setMinimumHeight(20);  // the watch list may be as low as its 40-pixel default and lower
}

void TFormDiag::ReadSettings() {
  TIniFile ini(SettingsIniPath().string());
  settings_ = LoadDiagSettings(ini);
  session_.HighlightGlobal = settings_.HighLight;
  setGeometry(settings_.FormLeft, settings_.FormTop, settings_.FormWidth, settings_.FormHeight);
  FitOnScreen(this);
  grid1_->setColumnWidth(2, settings_.Name1Width);
  grid2_->setColumnWidth(2, settings_.Name2Width);
  UpdateHints();
}

// The panel sizes are given once the window is laid out: sizes given to a splitter before that
// are scaled to its first real size (the 40-pixel watch list came out much taller).
void TFormDiag::PlacePanels() {
  if (placed_) return;
  placed_ = true;
  layout()->activate();
  const int width = mainSplit_->width() - 2 * mainSplit_->handleWidth();
  mainSplit_->setSizes({settings_.TreeWidth, std::max(200, width - settings_.TreeWidth - settings_.MemoWidth), settings_.MemoWidth});
  const int height = centreSplit_->height() - centreSplit_->handleWidth();
  centreSplit_->setSizes({std::max(100, height - settings_.ListHeight), settings_.ListHeight});
}

void TFormDiag::ShowGridHint(const QPoint& at, const QString& text) {
  if (!hint_) {
    hint_ = new QLabel(this, Qt::ToolTip);
    hint_->setObjectName("HintLabel");
    hint_->setForegroundRole(QPalette::ToolTipText);
    hint_->setBackgroundRole(QPalette::ToolTipBase);
    hint_->setAutoFillBackground(true);
    hint_->setFrameShape(QFrame::Box);
    hint_->setMargin(3);
    timerHint_ = new QTimer(this);
    timerHint_->setObjectName("TimerHint");
    timerHint_->setSingleShot(true);
    timerHint_->setInterval(2000);
    connect(timerHint_, &QTimer::timeout, hint_, &QWidget::hide);
  }
  hint_->setText(text);
  hint_->adjustSize();
  hint_->move(at + QPoint(12, 16));
  hint_->show();
  hint_->raise();
  timerHint_->start();
}

void TFormDiag::WriteSettings() {
  settings_.FormTop = geometry().top();
  settings_.FormLeft = geometry().left();
  settings_.FormWidth = width();
  settings_.FormHeight = height();
  settings_.TreeWidth = tree_->width();
  settings_.Name1Width = grid1_->columnWidth(2);
  settings_.Name2Width = grid2_->columnWidth(2);
  settings_.ListHeight = grid2_->height();
  settings_.MemoWidth = memo_->width();
  settings_.HighLight = session_.HighlightGlobal;
  TIniFile ini(SettingsIniPath().string());
  SaveDiagSettings(ini, settings_);
  if (!ini.UpdateFile()) ShowError("Не удалось записать файл настроек " + PathToUtf8(SettingsIniPath()));
}

void TFormDiag::UpdateHints() {
  pause_->setToolTip("Включить/Отключить чтение " + OnOffText(reading_));
  highlight_->setToolTip("Включить/Отключить подсветку изменений " + OnOffText(session_.HighlightGlobal));
}

bool TFormDiag::Reading() const { return reading_; }

void TFormDiag::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  PlacePanels();
  setWindowTitle(kAppTitle + " - Диагностика  IP=" + Q(IPToStr(link_.Settings.DestIP)));
  // After the window is on the screen, and never inside another window's link wait.
  AfterLinkWait(this, [this] { ButtonScanClick(); });
}

void TFormDiag::hideEvent(QHideEvent* event) {
  timerWork_->stop();
  QDialog::hideEvent(event);
}

// Escape, the window manager, the main window's closing at exit: every way ends here. The view
// goes with its timers and the oscilloscope's stream.
void TFormDiag::done(int result) {
  if (isVisible()) {
    timerWork_->stop();
    FreeView();
    WriteSettings();
  }
  QDialog::done(result);
}

void TFormDiag::ButtonScanClick() {
  if (scanning_) return;  // pressed again while a folder is read: the scan under way goes on
  scanning_ = true;
  link_.CloseLink();
  timerWork_->stop();
  FreeView();
  tree_->clear();
  grid1_->setRowCount(0);
  grid2_->clearContents();  // the watch list of the old structure goes with it
  grid2_->setRowCount(1);
  panelParam_->clear();
  memo_->clear();
  TDiagLinkUse open(link_);
  if (!session_.Scan()) {
    scanning_ = false;
    ShowError(kNoRootText);
    return;
  }
  scanning_ = false;
  if (!session_.Root) return;
  QTreeWidgetItem* root = AddNode(nullptr, *session_.Root);
  tree_->setCurrentItem(root);
  if (root->childCount() > 0) {
    tree_->setCurrentItem(root->child(0));
    tree_->setCurrentItem(root);
  }
  if (reading_) timerWork_->start();
}

QTreeWidgetItem* TFormDiag::AddNode(QTreeWidgetItem* parent, TDiagObj& obj) {
  auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_);
  item->setText(0, Q(obj.Name));
  item->setIcon(0, DiagTreeIcon(obj.Header.ImageIndex));
  item->setData(0, kObjRole, QVariant::fromValue<void*>(&obj));
  if (obj.HasPlaceholder) new QTreeWidgetItem(item);
  return item;
}

void TFormDiag::TreeView1Change(QTreeWidgetItem* item) {
  if (scanning_ || !item) return;
  TDiagObj* obj = ObjOf(item);
  if (!obj) return;
  suspend_ = true;
  FreeView();
  if (TDiagObj* previous = session_.CurrentObject; previous && previous->IsFolder()) {
    previous->TopRow = int16_t(grid1_->rowAt(0) + 1);
    previous->SelectedRow = int16_t(std::max(0, grid1_->currentRow()) + 1);
  }
  scanning_ = true;
  if (!obj->Scanned && obj->IsFolder()) {
    for (int i = item->childCount() - 1; i >= 0; --i)
      if (item->child(i)->text(0).isEmpty()) delete item->takeChild(i);
    TScanProgress progress;
    progress.Start = [this](int maximum) {
      progress_->setMaximum(maximum);
      progress_->show();
    };
    progress.Step = [this](int position) { progress_->setValue(position); };
    progress.Pump = PumpLinkWait;
    TDiagLinkUse open(link_);
    session_.Open(*obj, progress);
    SyncChildren(item, *obj);
    item->setExpanded(true);
  } else {
    session_.CurrentObject = obj;
    if (obj->IsFolder()) SyncChildren(item, *obj);
  }
  ShowObject(*obj);
  scanning_ = false;
}

void TFormDiag::ShowObject(TDiagObj& obj) {
  progress_->hide();
  panelName_->setText(Q(obj.Name));
  if (IsViewKind(obj.Kind())) {
    view_ = TFrameDiagView::Create(obj.Kind(), context_, centre_);
    helpContext_ = TFrameDiagView::HelpContext(obj.Kind());
    setProperty("helpContext", helpContext_);
    if (view_) {
      centreSplit_->hide();
      centre_->layout()->addWidget(view_);
      view_->ShowJournal = [this](const QString& title, const QStringList& lines) {
        panelParam_->setText(title);
        memo_->clear();
        for (const auto& l : lines) memo_->appendPlainText(l);
      };
      view_->AppendJournal = [this](const QString& line) { AppendJournal(line); };
      view_->show();
      view_->Start(obj);
    }
    return;
  }
  centreSplit_->show();
  grid1_->clearContents();
  grid1_->setRowCount(int(obj.Parameters.size()));
  if (obj.TopRow > 0 && obj.TopRow <= grid1_->rowCount()) grid1_->scrollToItem(grid1_->item(obj.TopRow - 1, 0), QAbstractItemView::PositionAtTop);
  if (obj.SelectedRow > 0 && obj.SelectedRow <= grid1_->rowCount()) grid1_->selectRow(obj.SelectedRow - 1);
  const QFontMetrics metrics(grid1_->font());
  const int digits = metrics.horizontalAdvance(QString::number(std::max<int>(10, grid1_->rowCount() + 1))) + 8;
  if (grid1_->columnWidth(0) < digits) grid1_->setColumnWidth(0, digits);
  helpContext_ = obj.HelpContext() ? int(obj.HelpContext()) : HelpContextOf("TFormDiag");
  setProperty("helpContext", helpContext_);
}

void TFormDiag::FreeView() {
  if (!view_) return;
  view_->Stop();
  view_->hide();
  view_->deleteLater();
  view_ = nullptr;
  centreSplit_->show();
}

void TFormDiag::ImageHelpClick() {
  if (!help_) {
    help_ = new TFormHelp(this);
    help_->setWindowFlag(Qt::Window);
  }
  help_->ShowContext(helpContext_);
  help_->show();
}

void TFormDiag::ImagePauseClick() {
  reading_ = !reading_;
  if (reading_) timerWork_->start();
  else timerWork_->stop();
  UpdateHints();
}

void TFormDiag::ImageHighLightClick() {
  session_.HighlightGlobal = !session_.HighlightGlobal;
  UpdateHints();
}

std::vector<TDiagObj*> TFormDiag::VisibleNodes() const {
  std::vector<TDiagObj*> nodes;
  std::function<void(QTreeWidgetItem*)> walk = [&](QTreeWidgetItem* item) {
    if (TDiagObj* obj = ObjOf(item)) nodes.push_back(obj);
    if (item->isExpanded())
      for (int i = 0; i < item->childCount(); ++i) walk(item->child(i));
  };
  for (int i = 0; i < tree_->topLevelItemCount(); ++i) walk(tree_->topLevelItem(i));
  return nodes;
}

QTreeWidgetItem* TFormDiag::ItemOf(const TDiagObj* obj) const {
  QTreeWidgetItem* found = nullptr;
  std::function<void(QTreeWidgetItem*)> walk = [&](QTreeWidgetItem* item) {
    if (ObjOf(item) == obj) found = item;
    for (int i = 0; i < item->childCount() && !found; ++i) walk(item->child(i));
  };
  for (int i = 0; i < tree_->topLevelItemCount() && !found; ++i) walk(tree_->topLevelItem(i));
  return found;
}

void TFormDiag::SelectObject(TDiagObj* obj) {
  // Folders above it are opened on the way, as the user would click down to it.
  std::vector<TDiagObj*> chain;
  for (TDiagObj* o = obj; o; o = o->Parent()) chain.insert(chain.begin(), o);
  for (TDiagObj* o : chain)
    if (QTreeWidgetItem* item = ItemOf(o)) tree_->setCurrentItem(item);
}

void TFormDiag::SyncChildren(QTreeWidgetItem* item, TDiagObj& obj) {
  // A folder read by a path lookup has its objects but not yet its tree items.
  if (item->childCount() == int(obj.Nodes.size()) && (obj.Nodes.empty() || ObjOf(item->child(0)) == obj.Nodes[0].get())) return;
  while (item->childCount() > 0) delete item->takeChild(0);
  for (auto& node : obj.Nodes) AddNode(item, *node);
}

void TFormDiag::TimerWorkTimer() {
  if (!session_.Root || scanning_ || !session_.CurrentObject) return;
  suspend_ = false;
  timerWork_->stop();
  {
    TDiagLinkUse open(link_);
    session_.BeginTick();
    if (session_.CurrentObject->IsFolder() && !view_) {
      const int first = std::max(0, grid1_->rowAt(0));
      int last = grid1_->rowAt(grid1_->viewport()->height() - 1);
      if (last < 0) last = grid1_->rowCount() - 1;
      session_.RefreshRows(size_t(first), size_t(std::max(0, last - first + 1)));
      PaintGrid1();
    }
    session_.RefreshWatch();
    PaintGrid2();
    session_.RefreshHeaders(VisibleNodes(), [this](TDiagObj& obj) {
      if (QTreeWidgetItem* item = ItemOf(&obj)) item->setIcon(0, DiagTreeIcon(obj.Header.ImageIndex));
    });
  }
  if (reading_ && isVisible()) timerWork_->start();
}

void TFormDiag::PaintGrid1() {
  if (suspend_ || scanning_ || !session_.CurrentObject) return;
  const auto& rows = session_.CurrentObject->Parameters;
  const int digits = int(std::to_string(rows.size()).size());
  for (int r = 0; r < grid1_->rowCount() && r < int(rows.size()); ++r) {
    const TDiagObj& obj = *rows[size_t(r)];
    const bool heading = obj.Kind() == kDiagHeading && obj.Valid();
    const QColor back = heading ? kHeadingRow : (r + 1) % 2 == 0 ? kRowEven : kRowOdd;
    auto cell = [&](int column, const QString& text, QColor fore, QColor bg, bool bold = false) {
      auto* item = grid1_->item(r, column);
      if (!item) grid1_->setItem(r, column, item = new QTableWidgetItem);
      item->setText(text);
      item->setForeground(fore);
      item->setBackground(bg);
      QFont f = grid1_->font();
      f.setBold(bold);
      item->setFont(f);
      if (column == 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    };
    cell(0, QString("%1").arg(r + 1, digits), obj.ReadEnabled ? Qt::black : kGrey, back);
    cell(1, obj.HasHint() ? "?" : obj.IsConstant() ? "." : "", Qt::black, back);
    cell(2, " " + Q(obj.Name), obj.HasFormat ? Qt::black : kGrey, back, heading);
    const bool lit = obj.Changed && session_.HighlightGlobal && obj.HighlightEnabled;
    cell(3, Q(obj.Value), obj.HasValue ? Qt::black : kGrey, lit ? kChangedBack : back);
  }
}

void TFormDiag::PaintGrid2() {
  if (suspend_ || scanning_) return;
  grid2_->setRowCount(std::max<int>(int(session_.Watch.size()), 1));
  for (int r = 0; r < int(session_.Watch.size()); ++r) {
    const TDiagObj& obj = *session_.Watch[size_t(r)];
    const QColor back = (r + 1) % 2 == 0 ? kRowEven : kRowOdd;
    const QStringList texts{QString("%1").arg(r + 1, 2), "x", " " + Q(obj.PathPrefix + obj.Name), Q(obj.Value)};
    for (int c = 0; c < 4; ++c) {
      auto* item = grid2_->item(r, c);
      if (!item) grid2_->setItem(r, c, item = new QTableWidgetItem);
      item->setText(texts[c]);
      item->setBackground(c == 3 && obj.Changed && session_.HighlightGlobal && obj.HighlightEnabled ? kChangedBack : back);
      item->setForeground(c == 0 && !obj.ReadEnabled ? kGrey : c == 3 && !obj.HasValue ? kGrey : QColor(Qt::black));
    }
  }
}

void TFormDiag::AppendJournal(const QString& line) { memo_->appendPlainText(line); }

void TFormDiag::AddToWatch(TDiagObj& obj) {
  const bool present = session_.WatchIndex(&obj) >= 0;
  const size_t index = session_.AddWatch(obj);
  if (!present) obj.ReadEnabled = true;
  PaintGrid2();
  grid2_->selectRow(int(index));
}

void TFormDiag::ShowLog(TDiagObj& obj) {
  panelParam_->setText(" " + Q(obj.Name));
  memo_->clear();
  for (const auto& line : session_.ChangeLogLines(obj)) memo_->appendPlainText(Q(line));
  session_.LoggedObject = &obj;
}

bool TFormDiag::eventFilter(QObject* watched, QEvent* event) {
  for (QTableWidget* grid : {grid1_, grid2_}) {
    if (watched == grid->viewport() &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)) {
      auto* mouse = static_cast<QMouseEvent*>(event);
      const QPoint at = mouse->position().toPoint();
      const int row = grid->rowAt(at.y()), column = grid->columnAt(at.x());
      if (row < 0) return false;
      if (grid == grid1_) Grid1MouseDown(row, column, mouse->button(), mouse->globalPosition().toPoint(), event->type() == QEvent::MouseButtonDblClick);
      else Grid2MouseDown(row, column, mouse->button(), mouse->globalPosition().toPoint());
      return false;
    }
    if (watched == grid->viewport() && event->type() == QEvent::Wheel && grid == grid1_) suspend_ = true;
  }
  if (watched == grid1_ && event->type() == QEvent::KeyPress) {
    suspend_ = true;
    const QString text = static_cast<QKeyEvent*>(event)->text();
    if (text.size() == 1 && QString(" +=-_").contains(text[0])) {
      Grid1KeyPress(text[0]);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TFormDiag::Grid1MouseDown(int row, int column, Qt::MouseButton button, const QPoint& at, bool twice) {
  if (!session_.CurrentObject || row >= int(session_.CurrentObject->Parameters.size())) return;
  TDiagObj& obj = *session_.CurrentObject->Parameters[size_t(row)];
  if (button == Qt::RightButton) {
    BuildPopup(obj, false)->popup(at);
    return;
  }
  if (column == 0) {
    obj.ReadEnabled = !obj.ReadEnabled;
    obj.Changed = false;
    ShowGridHint(at, UiText("\"" + obj.Name + "\"\rЧтение " + (obj.ReadEnabled ? "включено" : "отключено")));
  } else if (column == 1) {
    std::string hint = "\"" + obj.Name + "\"";
    if (!obj.Value.empty()) hint += "\r" + obj.Value;
    {
      TDiagLinkUse open(link_);
      if (obj.HasHint()) hint += "\r\"?\" - подсказка:\r" + obj.HintText();
      else if (obj.IsConstant()) hint += "\r\".\" - постоянный параметр";
    }
    std::replace(hint.begin(), hint.end(), '|', '\r');
    ShowGridHint(at, UiText(hint));
  } else if (twice) {
    AddToWatch(obj);
  } else {
    panelParam_->setText(" " + Q(obj.Name));
    session_.SelectLogged(obj);
  }
}

void TFormDiag::Grid2MouseDown(int row, int column, Qt::MouseButton button, const QPoint& at) {
  if (row >= int(session_.Watch.size())) return;
  TDiagObj& obj = *session_.Watch[size_t(row)];
  if (button == Qt::RightButton) {
    BuildPopup(obj, true)->popup(at);
  } else if (column == 0) {
    obj.ReadEnabled = !obj.ReadEnabled;
    obj.Changed = false;
  } else if (column == 1) {
    session_.RemoveWatch(size_t(row));
    PaintGrid2();
  }
}

void TFormDiag::Grid1KeyPress(QChar key) {
  indicator_->AddPoint(DiagPoint::Lime);
  const int row = grid1_->currentRow();
  if (!session_.CurrentObject || row < 0 || row >= int(session_.CurrentObject->Parameters.size())) return;
  TDiagObj& obj = *session_.CurrentObject->Parameters[size_t(row)];
  if (obj.Header.DataPtr == 0) return;
  if (key == ' ') {
    // A window of its own over this one: this window is modal, so a window outside it would get
    // no click and no key.
    if (!debug_) debug_ = std::make_unique<TFormDiagDebug>(memory_, link_, this);
    debug_->OpenAt(obj.Header.DataPtr);
    return;
  }
  TDiagLinkUse open(link_);
  const TStepResult result = session_.StepValue(obj, char(key.unicode()));
  if (result == TStepResult::WriteFailed)
    AppendJournal(Q(TDiagObj::Stamp(context_.Clock()) + obj.Name + ": значение не записано в контроллер"));
  PaintGrid1();
}

}  // namespace vlm
