#include "app/MainForm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/MainMenus.h"
#include "common/PathText.h"
#include "common/Prompt.h"
#include "diag/ui/DiagService.h"
#include "model/Kinds.h"
#include "model/ui/TreeIcons.h"
#include "model/ui/TreeModel.h"
#include "model/ui/TreeView.h"
#include "shell/AppContext.h"
#include "shell/IpList.h"
#include "shell/ui/AppInfo.h"
#include "shell/ui/Frame.h"
#include "shell/ui/FrameFactory.h"
#include "shell/ui/HelpWindow.h"
#include "shell/ui/Indicator.h"
#include "shell/ui/Options.h"
#include "shell/ui/QtPrompt.h"
#include "shell/ui/Traffic.h"

namespace vlm {

namespace {

constexpr int kMinTreeWidth = 58, kMaxTreeWidth = 350;
constexpr int kIndicatorWidth = 96, kIndicatorHeight = 28;

}  // namespace

bool CanDrop(const TTreeNode* dragged, const TTreeNode* target) {
  if (!dragged || !target || dragged == target || !dragged->Parent()) return false;
  if (dragged->Parent() != target->Parent()) return false;
  auto isProcessor = [](const TTreeNode* n) { return dynamic_cast<const TProcessor*>(n->Object()) != nullptr; };
  return !isProcessor(dragged) && !isProcessor(target);
}

TFormVLM::TFormVLM(TAppContext& context, QWidget* parent) : QWidget(parent), ctx_(context) {
  setObjectName("FormVLM");
  setMinimumSize(600, 400);
  QPalette p = palette();
  p.setColor(QPalette::Window, QColor(192, 192, 192));
  setPalette(p);
  setAutoFillBackground(true);

  model_ = new TTreeModel(tree_, this);
  BuildActions();
  BuildKindActions();
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(BuildTopPanel());
  AddDiagService([this](const QString& name, const QString& hint, const QIcon& icon,
                        std::function<void()> run) { return AddServiceButton(name, hint, icon, std::move(run)); },
                 ctx_.Link, this);
  splitter_ = new QSplitter(this);
  treeView_ = new TConfigTreeView(model_, splitter_);
  treeView_->MayDrop = [](TTreeNode* d, TTreeNode* t) { return CanDrop(d, t); };
  treeView_->OnDrop = [this](TTreeNode* d, TTreeNode* t) { return DropNode(d, t); };
  treeView_->MayLeave = [this] { return ApplyFrame() == 0; };
  // The frames scroll when the window is smaller than they are: they are never pressed together
  // (radio groups over each other) and never take the tree's width.
  auto* scroll = new QScrollArea(splitter_);
  scroll->setObjectName("ScrollBoxRight");
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  rightPanel_ = new QWidget(scroll);
  rightPanel_->setObjectName("PanelRight");
  rightLayout_ = new QVBoxLayout(rightPanel_);
  rightLayout_->setContentsMargins(4, 0, 0, 0);
  scroll->setWidget(rightPanel_);
  treeView_->setMinimumWidth(kMinTreeWidth);
  splitter_->addWidget(treeView_);
  splitter_->addWidget(scroll);
  splitter_->setCollapsible(0, false);
  splitter_->setStretchFactor(0, 0);
  splitter_->setStretchFactor(1, 1);
  layout->addWidget(splitter_, 1);

  connect(treeView_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) { TreeChange(model_->Node(current)); });
  connect(treeView_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    TTreeNode* node = treeView_->NodeAt(pos);
    if (!node) return;
    if (node != SelectedNode() && (!currentFrame_ || ApplyFrame() == 0)) Select(node);
    if (QMenu* menu = PopupMenuFor(SelectedNode() ? SelectedNode()->Object() : nullptr))
      menu->popup(treeView_->viewport()->mapToGlobal(pos));
  });
  // Frames ask for another node from inside their handlers: serve it after them.
  SetGoToNodeHandler([this](TTreeNode* node) {
    QMetaObject::invokeMethod(this, [this, node] {
      bool alive = false;
      tree_.ForEach([&](TTreeNode& n) { alive = alive || &n == node; });
      if (alive) Select(node);
    }, Qt::QueuedConnection);
  });

  qApp->installEventFilter(this);
  ctx_.LoadSettings();
  ApplySettingsToWindow();
  TIpList list;
  list.Load(ctx_.IpListPath());
  place_ = QString::fromStdString(list.PlaceOf(IPToStr(ctx_.Link.Settings.DestIP)));
  UpdateTitle();
  NewConfiguration();
  // A first start shows whole captions rather than their first letters: those of the new
  // station, and those of the cards and ports an engineer adds next ("Плата 5554" under the
  // controller, "№1 Порт Активный" under the processor).
  if (!ctx_.Main.TreeWidthKnown) {
    const QFontMetrics metrics = treeView_->fontMetrics();
    const int step = treeView_->indentation(), icon = treeView_->iconSize().width() + 8;
    const int sample = std::max(2 * step + metrics.horizontalAdvance(QStringLiteral("Плата 5554")),
                                3 * step + metrics.horizontalAdvance(QStringLiteral("№1 Порт Активный")));
    const int shown = static_cast<const QAbstractItemView*>(treeView_)->sizeHintForColumn(0);
    const int tree = std::clamp(std::max(shown, step + icon + sample) + 2 * treeView_->frameWidth() + 4, kMinTreeWidth,
                                kMaxTreeWidth);
    splitter_->setSizes({tree, std::max(100, width() - tree)});
  }
}

TFormVLM::~TFormVLM() {
  SetGoToNodeHandler({});
  FreeFrame();
  tree_.SetObserver(nullptr);
}

QAction* TFormVLM::AddAction(const QString& name, const QString& text, const std::function<void()>& run) {
  auto* action = new QAction(text, this);
  action->setObjectName(name);
  action->setToolTip(text);
  connect(action, &QAction::triggered, this, [this, run] { Guarded(run); });
  actions_.insert(name, action);
  addAction(action);
  return action;
}

void TFormVLM::BuildActions() {
  AddAction("ActionNew", "Создать новую конфигурацию", [this] {
    if (MayDiscardChanges()) NewConfiguration();
  })->setIcon(ToolIcon(TToolIcon::New));
  QAction* open = AddAction("ActionOpen", "Читать конфигурацию из файла...", [this] {
    if (!MayDiscardChanges()) return;
    const QString path = AskOpenPath();
    if (!path.isEmpty()) OpenFile(path);
  });
  open->setShortcut(Qt::Key_F3);
  open->setIcon(ToolIcon(TToolIcon::Open));
  QAction* save = AddAction("ActionSave", "Сохранить конфигурацию в файле...", [this] {
    if (ApplyFrame() != 0) return;
    const QString path = AskSavePath();
    if (!path.isEmpty()) SaveFile(path);
  });
  save->setShortcut(Qt::Key_F2);
  save->setIcon(ToolIcon(TToolIcon::Save));
  AddAction("ActionRead", "Читать конфигурацию из контроллера", [this] {
    if (MayDiscardChanges()) ReadFromController(false);
  })->setIcon(ToolIcon(TToolIcon::Read));
  AddAction("ActionWrite", "Записать конфигурацию в контроллер", [this] { WriteToController(false); })
      ->setIcon(ToolIcon(TToolIcon::Write));
  AddAction("ActionNewController", "Добавить контроллер", [this] {
    TController* controller = AddController(*station_->Node);
    treeView_->expand(model_->IndexOf(controller->Node));
    Select(controller->Node);
  });
  AddAction("ActionDelete", "Удалить", [this] { DeleteSelected(); });
  AddAction("ActionAbout", "О программе", [this] { ShowAbout(); })->setIcon(ToolIcon(TToolIcon::Logo));
  AddAction("ActionSortCards", "Сортировать Платы по адресу", [this] { SortCards(); });
  AddAction("ActionSortPorts", "Сортировать Порты по номеру", [this] { SortPorts(); });
  AddAction("ActionCancel", "Отмена", [] {});
  AddAction("ActionOptions", "Настроить программу", [this] { ShowOptions(); })
      ->setIcon(ToolIcon(TToolIcon::Options));
  QAction* help = AddAction("ActionHelp", "Вызвать справочную систему", [this] { ShowHelp(); });
  help->setShortcut(Qt::Key_F1);
  help->setShortcutContext(Qt::ApplicationShortcut);
  help->setIcon(ToolIcon(TToolIcon::Help));
}

// One action per registered card, port and point kind: the image reader creates its objects by
// the same kinds, so a node added by hand and one read from a file are built alike.
void TFormVLM::BuildKindActions() {
  for (TKindFamily family : {TKindFamily::Card, TKindFamily::Port, TKindFamily::Point})
    for (const TKind* kind : Kinds().List(family)) {
      const std::string className = kind->className;
      AddAction(QString::fromStdString(kind->actionName), QString::fromStdString(kind->action),
                [this, className] { CreateKind(className); });
    }
}

void TFormVLM::CreateKind(const std::string& className) {
  TTreeNode* parent = SelectedNode();
  const TKind* kind = Kinds().FindByClass(className);
  if (!parent || !kind) return;
  TObj* obj = Kinds().Create(kind->family, kind->id, *parent);
  if (!obj) return;
  if (const char* point = CompanionPointOf(className.c_str()))
    if (const TKind* pk = Kinds().FindByClass(point)) Kinds().Create(pk->family, pk->id, *obj->Node);
  treeView_->expand(model_->IndexOf(parent));
  Select(obj->Node);
}

QWidget* TFormVLM::BuildTopPanel() {
  auto* panel = new QWidget(this);
  panel->setObjectName("PanelTop");
  auto* row = new QHBoxLayout(panel);
  row->setContentsMargins(2, 2, 2, 2);
  topRow_ = row;
  auto button = [&](const char* action, const char* name) {
    auto* b = new QToolButton(panel);
    b->setObjectName(name);
    b->setDefaultAction(actions_.value(action));
    b->setIconSize(QSize(28, 28));
    b->setAutoRaise(true);
    row->addWidget(b);
    return b;
  };
  button("ActionNew", "ButtonNew");
  button("ActionOpen", "ButtonOpen");
  button("ActionSave", "ButtonSave");
  row->addSpacing(8);
  // The tool buttons of reading and writing move the labels; the menu entries do not.
  auto linkButton = [&](const char* name, TToolIcon icon, const char* action, void (TFormVLM::*run)(bool)) {
    auto* b = new QToolButton(panel);
    b->setObjectName(name);
    b->setIcon(ToolIcon(icon));
    b->setIconSize(QSize(28, 28));
    b->setAutoRaise(true);
    b->setToolTip(actions_.value(action)->text());
    connect(b, &QToolButton::clicked, this, [this, run] {
      Guarded([this, run] {
        if (run != &TFormVLM::ReadFromController || MayDiscardChanges()) (this->*run)(true);
      });
    });
    row->addWidget(b);
  };
  linkButton("ButtonRead", TToolIcon::Read, "ActionRead", &TFormVLM::ReadFromController);
  linkButton("ButtonWrite", TToolIcon::Write, "ActionWrite", &TFormVLM::WriteToController);
  row->addSpacing(8);
  optionsButton_ = button("ActionOptions", "ButtonOptions");
  button("ActionHelp", "ButtonHelp");
  auto* labels = new QVBoxLayout;
  labelRead_ = new QLabel(panel);
  labelRead_->setObjectName("LabelReadFrom");
  labelWritten_ = new QLabel(panel);
  labelWritten_->setObjectName("LabelWrittenTo");
  labels->addWidget(labelRead_);
  labels->addWidget(labelWritten_);
  row->addLayout(labels, 1);
  auto* logo = new QToolButton(panel);
  logo->setObjectName("ImageLogo");
  logo->setIcon(ToolIcon(TToolIcon::Logo));
  logo->setIconSize(QSize(28, 28));
  logo->setAutoRaise(true);
  logo->setToolTip(kVersionText);
  connect(logo, &QToolButton::clicked, actions_.value("ActionAbout"), &QAction::trigger);
  row->addWidget(logo);
  indicator_ = new TIndicator(kIndicatorWidth, kIndicatorHeight, panel);
  connect(indicator_, &TIndicator::DoubleClicked, this, &TFormVLM::ShowTraffic);
  row->addWidget(indicator_);
  return panel;
}

QToolButton* TFormVLM::AddServiceButton(const QString& name, const QString& hint, const QIcon& icon,
                                        std::function<void()> run) {
  auto* b = new QToolButton(this);
  b->setObjectName(name);
  b->setToolTip(hint);
  b->setIcon(icon);
  b->setIconSize(QSize(28, 28));
  b->setAutoRaise(true);
  connect(b, &QToolButton::clicked, this, [this, run] { Guarded(run); });
  topRow_->insertWidget(topRow_->indexOf(optionsButton_), b);
  return b;
}

void TFormVLM::Guarded(const std::function<void()>& body) {
  if (busy_) return;  // a message pumped during a link wait must not start another operation
  try {
    body();
  } catch (const EAbort&) {
  }
}

TTreeNode* TFormVLM::SelectedNode() const { return model_->Node(treeView_->currentIndex()); }

void TFormVLM::Select(TTreeNode* node) {
  const QModelIndex index = model_->IndexOf(node);
  treeView_->setCurrentIndex(index);
  treeView_->scrollTo(index);
}

int TFormVLM::ApplyFrame() { return currentFrame_ ? currentFrame_->Apply() : 0; }

void TFormVLM::FreeFrame() {
  delete currentFrame_;
  currentFrame_ = nullptr;
  frameNode_ = nullptr;
}

void TFormVLM::TreeChange(TTreeNode* node) {
  if (reading_ || keepingFrame_) return;
  // A frame that refuses (a bad cell, a table over its capacity) keeps its edits and its node:
  // the engineer mends them instead of losing every typed row.
  if (currentFrame_ && node != frameNode_ && ApplyFrame() != 0) {
    keepingFrame_ = true;
    Select(frameNode_);
    keepingFrame_ = false;
    return;
  }
  FreeFrame();
  TObj* obj = node ? node->Object() : nullptr;
  if (!obj) return;
  frameNode_ = node;
  currentFrame_ = CreateFrame(*obj, rightPanel_);
  if (!currentFrame_) return;
  rightLayout_->addWidget(currentFrame_);
  currentFrame_->Edit(obj);
  currentFrame_->show();
}

QMenu* TFormVLM::PopupMenuFor(const TObj* obj) {
  delete popup_;
  popup_ = nullptr;
  if (!obj) return nullptr;
  const auto entries = PopupEntries(obj->PopupMenu);
  if (entries.empty()) return nullptr;
  popup_ = new QMenu(this);
  popup_->setObjectName("PopupMenu");
  for (const TMenuEntry& entry : entries) {
    if (entry.IsSeparator()) {
      popup_->addSeparator();
      continue;
    }
    if (!entry.visible) continue;
    // The menu may word an entry differently from its action (the PC ports), so it gets an
    // entry of its own that runs the action.
    QAction* target = actions_.value(entry.action);
    QAction* item = popup_->addAction(QString::fromUtf8(entry.text));
    item->setObjectName(entry.action);
    item->setEnabled(entry.enabled && target && target->isEnabled());
    if (target) connect(item, &QAction::triggered, target, &QAction::trigger);
  }
  return popup_;
}

void TFormVLM::ResetTree(bool withController) {
  FreeFrame();
  station_ = withController ? vlm::NewConfiguration(tree_) : NewEmptyStation(tree_);
  treeView_->expand(model_->IndexOf(station_->Node));
}

void TFormVLM::NewConfiguration() {
  ResetTree(true);
  TTreeNode* controller = station_->Node->Child(0);
  treeView_->expand(model_->IndexOf(controller));
  Select(station_->Node);
  MarkSaved();
}

void TFormVLM::ExpandAfterRead() {
  treeView_->collapseAll();
  treeView_->expand(model_->IndexOf(station_->Node));
  for (const auto& controller : station_->Node->Children()) {
    treeView_->expand(model_->IndexOf(controller.get()));
    for (const auto& child : controller->Children())
      if (dynamic_cast<TProcessor*>(child->Object())) treeView_->expand(model_->IndexOf(child.get()));
  }
  Select(station_->Node);
}

void TFormVLM::DeleteSelected() {
  TTreeNode* node = SelectedNode();
  if (!node || !node->Parent()) return;
  if (dynamic_cast<TController*>(node->Object()) && station_->Node->Count() == 1) {
    ShowError("Вы не можете удалить единственный контроллер.");
    return;
  }
  if (AskYesNo("Вы действительно хотите удалить\r" + node->Text() + "?") != TAnswer::Yes) return;
  FreeFrame();
  node->Parent()->DeleteChild(node->Index());
}

bool TFormVLM::DropNode(TTreeNode* dragged, TTreeNode* target) {
  if (!CanDrop(dragged, target)) return false;
  return dragged->MoveBefore(*target);
}

// Orders the children of an owner node from `first` on by a key of their objects; children of
// another class keep no particular place.
template <class TOwner, class TItem, class TKey>
static void SortChildrenOf(TTreeNode* node, size_t first, TKey key) {
  if (!node || !dynamic_cast<TOwner*>(node->Object())) return;
  node->SortChildren(first, [key](const TTreeNode& a, const TTreeNode& b) {
    const auto* x = dynamic_cast<const TItem*>(a.Object());
    const auto* y = dynamic_cast<const TItem*>(b.Object());
    return x && y && key(*x) < key(*y);
  });
}

// The processor stays in front: it is the first child and only cards are compared.
void TFormVLM::SortCards() {
  SortChildrenOf<TController, TCard>(SelectedNode(), 1, [](const TCard& c) { return c.Address; });
}

void TFormVLM::SortPorts() {
  SortChildrenOf<TProcessor, TSoftPort>(SelectedNode(), 0, [](const TSoftPort& p) { return p.Number; });
}

QString TFormVLM::ReadFromLabel() const { return labelRead_->text(); }
QString TFormVLM::WrittenToLabel() const { return labelWritten_->text(); }

void TFormVLM::UpdateLabels() {
  if (!readFrom_.isEmpty()) labelRead_->setText("Считано из " + readFrom_);
  if (!writtenTo_.isEmpty()) labelWritten_->setText("Записано в " + writtenTo_);
}

QString TFormVLM::Title() const {
  QString title = kAppTitle + "  " + kVersionText + "  IP=" + QString::fromStdString(IPToStr(ctx_.Link.Settings.DestIP));
  if (!place_.isEmpty()) title += " (" + place_ + ")";
  return title;
}

void TFormVLM::UpdateTitle() { setWindowTitle(Title()); }

void TFormVLM::ApplySettingsToWindow() {
  const TMainSettings& s = ctx_.Main;
  setGeometry(s.FormLeft, s.FormTop, std::max(s.FormWidth, 600), std::max(s.FormHeight, 400));
  FitOnScreen(this);
  // The splitter gets its real width first: sizes given to a splitter of the unshown default
  // width would be scaled down with the scroll area's minimum taken out.
  layout()->activate();
  const int tree = std::clamp(s.TreeWidth, kMinTreeWidth, kMaxTreeWidth);
  splitter_->setSizes({tree, std::max(100, width() - tree)});
}

void TFormVLM::TakeWindowSettings() {
  TMainSettings& s = ctx_.Main;
  const QRect g = geometry();
  s.FormLeft = g.left();
  s.FormTop = g.top();
  s.FormWidth = g.width();
  s.FormHeight = g.height();
  s.TreeWidth = std::clamp(splitter_->sizes().value(0, s.TreeWidth), kMinTreeWidth, kMaxTreeWidth);
}

void TFormVLM::closeEvent(QCloseEvent* event) {
  // A link operation still running finishes first (a close asked for during one of its waits
  // comes back when the wait is over).
  if (busy_) {
    event->ignore();
    return;
  }
  // Unsaved changes are offered for saving; the program stays open when the user says so.
  bool leave = false;
  try {
    leave = MayDiscardChanges();
  } catch (const EAbort&) {
  }
  if (!leave) {
    event->ignore();
    return;
  }
  TakeWindowSettings();
  if (!ctx_.SaveSettings()) ShowError("Не удалось записать файл настроек " + PathToUtf8(ctx_.IniPath()));
  // Every open window closes as its own close would: recordings stop, the black box and the
  // diagnostics write their settings, the link they hold is closed before the program ends.
  for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (child->isWindow() && child->isVisible()) child->close();
  if (help_) help_->close();  // it may live under a modal window
  event->accept();
}

void TFormVLM::ShowAbout() {
  TRightClickDialog box(this, QDialog::Accepted);
  box.setObjectName("FormAbout");
  box.setWindowTitle(kAppTitle + " - О программе");
  auto* layout = new QVBoxLayout(&box);
  auto* top = new QHBoxLayout;
  auto* icon = new QLabel(&box);
  icon->setPixmap(ToolIcon(TToolIcon::Logo).pixmap(48, 48));
  top->addWidget(icon);
  auto* text = new QLabel("<b>" + kAppTitle + "</b><br>" + kVersionText +
                              "<br><br>Конфигурирование, обслуживание и диагностика<br>"
                              "контроллеров телемеханики ВЕЛМОР.",
                          &box);
  text->setObjectName("LabelInfo");
  top->addWidget(text, 1);
  layout->addLayout(top);
  auto* close = new QPushButton("Закрыть", &box);
  connect(close, &QPushButton::clicked, &box, &QDialog::accept);
  layout->addWidget(close, 0, Qt::AlignHCenter);
  box.exec();
}

void TFormVLM::ShowOptions() {
  if (!options_) options_ = new TOptionsDlg(ctx_.IpListPath(), this);
  ctx_.Link.CloseLink();
  TOptionValues v{ctx_.Link.Settings, ctx_.Main.BackupEnable, place_.toStdString()};
  if (!options_->Run(v)) return;
  ctx_.Link.Settings = v.link;
  ctx_.Main.BackupEnable = v.backupEnable;
  place_ = QString::fromStdString(v.place);
  TakeWindowSettings();
  if (!ctx_.SaveSettings()) ShowError("Не удалось записать файл настроек " + PathToUtf8(ctx_.IniPath()));
  UpdateTitle();
}

void TFormVLM::ShowTraffic() {
  if (!traffic_)
    traffic_ = new TFormTraffic([this] { return ctx_.Log.Lines(); },
                                [this] { return QString::fromStdString(IPToStr(ctx_.Link.Settings.DestIP)); },
                                this);
  traffic_->show();
  traffic_->raise();
}

TFormHelp* TFormVLM::HelpWindow() const { return help_; }

// The help context of a window: its own or that of the nearest owner that has one.
static int WindowHelpContext(const QWidget* w) {
  for (; w; w = w->parentWidget())
    if (w->property("helpContext").isValid()) return w->property("helpContext").toInt();
  return 0;
}

void TFormVLM::ShowHelp() {
  int context = currentFrame_ ? currentFrame_->HelpContext() : 0;
  QWidget* modal = QApplication::activeModalWidget();
  // The window the user works in: the active one when it has a topic of its own (the file viewer
  // over the modal file exchange), else the modal one.
  QWidget* active = QApplication::activeWindow();
  if (!active || active == this || !active->property("helpContext").isValid()) active = modal;
  if (active && active != this) context = WindowHelpContext(active);
  // A modal window blocks every window but its own: the help window then opens under it.
  QWidget* owner = modal ? modal : this;
  if (help_ && help_->parentWidget() != owner) delete help_;
  if (!help_) help_ = new TFormHelp(owner);
  help_->ShowContext(context);
}

bool TFormVLM::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1 &&
      QApplication::activeModalWidget()) {
    ShowHelp();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace vlm
