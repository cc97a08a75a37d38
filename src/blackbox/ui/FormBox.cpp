#include "blackbox/ui/FormBox.h"

#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSpinBox>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "blackbox/BoxDriver.h"
#include "blackbox/BoxTavikExport.h"
#include "blackbox/BoxViewRules.h"
#include "blackbox/ui/BoxViews.h"
#include "blackbox/ui/FormTavikLog.h"
#include "blackbox/ui/TavikModel.h"
#include "common/DataFolder.h"
#include "common/IniFile.h"
#include "common/PathText.h"
#include "common/Prompt.h"
#include "link/Velmor_PC.h"
#include "shell/ui/AppInfo.h"
#include "shell/ui/Indicator.h"
#include "shell/HelpTopics.h"
#include "shell/ui/LinkWait.h"

namespace vlm {
namespace {

constexpr const char* kSection = "BlackBox";
constexpr int kGap = 6;
const QString kPlayHint = "Воспроизведение данных из файла";
const QString kTavikOn = "Остановить Потоковый Анализатор Данных";
const QString kTavikOff = "Запустить Потоковый Анализатор Данных";

// The top bar's pictures: drawn here, the shapes are ours.
QIcon Picture(int kind, bool on = false) {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::black);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  switch (kind) {
    case 0:  // logo
      p.setPen(QPen(QColor(0, 200, 255), 2));
      p.drawText(QRect(0, 0, 32, 32), Qt::AlignCenter, "ВМ");
      break;
    case 1:  // scan
      p.setPen(QPen(QColor(120, 255, 120), 3));
      p.drawEllipse(5, 5, 16, 16);
      p.drawLine(19, 19, 28, 28);
      break;
    case 2:  // analyzer
      p.setBrush(on ? QColor(255, 60, 60) : QColor(90, 90, 90));
      p.setPen(QPen(Qt::white, 1));
      p.drawRect(4, 18, 6, 10);
      p.drawRect(13, 10, 6, 18);
      p.drawRect(22, 4, 6, 24);
      break;
    case 3: {  // play
      p.setBrush(QColor(80, 200, 255));
      p.setPen(Qt::NoPen);
      const QPointF tri[] = {{8, 5}, {27, 16}, {8, 27}};
      p.drawPolygon(tri, 3);
      break;
    }
    default:  // help
      p.setPen(QPen(QColor(255, 220, 0), 2));
      p.setFont(QFont("Sans", 18, QFont::Bold));
      p.drawText(QRect(0, 0, 32, 32), Qt::AlignCenter, "?");
      break;
  }
  return QIcon(pixmap);
}

QToolButton* PictureButton(QWidget* parent, const char* name, const QString& hint, int kind) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setToolTip(hint);
  button->setIcon(Picture(kind));
  button->setIconSize(QSize(32, 32));
  button->setAutoRaise(true);
  return button;
}

QToolButton* SpeedButton(QWidget* parent, const char* name, const QString& caption, const QString& hint) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setText(caption);
  button->setToolTip(hint);
  button->setCheckable(true);
  return button;
}

QCheckBox* Check(QWidget* parent, const char* name, const QString& caption, const QString& hint) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(name);
  box->setToolTip(hint);
  return box;
}

QLabel* Label(QWidget* parent, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setStyleSheet("color: #c0c0c0");
  return label;
}

size_t Characters(const std::string& text) {
  size_t n = 0;
  for (const char c : text) n += (uint8_t(c) & 0xC0) != 0x80;
  return n;
}

}  // namespace

TFormBox::TFormBox(TControllerLink& link, QWidget* parent) : QDialog(parent), context_(link), boxes_(context_) {
  setObjectName("FormBox");
  setProperty("helpContext", HelpContextOf("TFormBox"));  // F1 while it is the active window
  setWindowFlag(Qt::WindowMinimizeButtonHint);
  setWindowFlag(Qt::WindowMaximizeButtonHint);
  setMinimumSize(949, 200);
  // Object names: a type selector would have to spell the namespace ("vlm--TFormBox").
  setStyleSheet("#FormBox, #PanelTop, #PanelLeft, #PanelCenter, #PanelFlow, #SplitterMain, QSplitter::handle"
                " { background: black; }"
                " QCheckBox, QRadioButton { color: #e0e0e0; }");
  context_.observer = this;
  font_ = FixedPitchFont(13);
  tavikLog_ = new TFormTavikLog(this);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(kGap, kGap, kGap, kGap);
  layout->setSpacing(kGap);
  layout->addWidget(BuildTopBar());
  auto* splitter = new QSplitter(Qt::Horizontal, this);
  splitter->setObjectName("SplitterMain");
  splitter->setHandleWidth(kGap);
  splitter->addWidget(BuildLeft());
  splitter->addWidget(BuildCenter());
  flow_ = new TBoxFlowView(*this, splitter);
  flow_->setMinimumWidth(60);
  flow_->installEventFilter(this);
  splitter->addWidget(flow_);
  splitter->setStretchFactor(1, 1);
  layout->addWidget(splitter, 1);
  BuildMenus();

  auto timer = [this](const char* name, int ms) {
    auto* t = new QTimer(this);
    t->setObjectName(name);
    t->setInterval(ms);
    return t;
  };
  timerWork_ = timer("TimerWork", 20);
  ConnectLinkTimer(timerWork_, this, [this] { TimerWorkTimer(); });
  timerList_ = timer("TimerList", 200);
  connect(timerList_, &QTimer::timeout, this, &TFormBox::TimerListTimer);
  timerRaw_ = timer("TimerRaw", 100);
  connect(timerRaw_, &QTimer::timeout, this, [this] { raw_->update(); });
  timerBytes_ = timer("TimerBytesCtr", 1000);
  connect(timerBytes_, &QTimer::timeout, this, [this] {
    if (Current() && Current()->Recording()) labelBytes_->setText(QString::number(Current()->BytesWritten()));
  });
  timerPlay_ = timer("TimerPlay", 250);
  connect(timerPlay_, &QTimer::timeout, this, &TFormBox::TimerPlayTimer);
  timerTavik_ = timer("TimerTavik", 300);
  connect(timerTavik_, &QTimer::timeout, this, &TFormBox::TimerTavikTimer);
  SetPlayInterval(250);
  timerRaw_->start();
  timerBytes_->start();

  LoadSettings();
  auto* find = new QShortcut(QKeySequence::Find, this);
  connect(find, &QShortcut::activated, this, [this] {
    editFind_->setFocus();
    editFind_->selectAll();
  });
  connect(new QShortcut(QKeySequence::FindNext, this), &QShortcut::activated, this, [this] { FindNext(false); });
  connect(new QShortcut(QKeySequence::FindPrevious, this), &QShortcut::activated, this, [this] { FindNext(true); });
}

TFormBox::~TFormBox() {
  // The view and the model go with the window's children, after the analyzer they show.
  treeTavik_->setModel(nullptr);
  analyzer_.nodeAdded = nullptr;
  context_.observer = nullptr;
  if (playFile_) std::fclose(playFile_);
}

QWidget* TFormBox::BuildTopBar() {
  auto* bar = new QWidget(this);
  bar->setObjectName("PanelTop");
  bar->setAutoFillBackground(true);
  auto* outer = new QVBoxLayout(bar);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);
  auto* row = new QHBoxLayout;
  row->setContentsMargins(4, 2, 4, 2);
  outer->addLayout(row);
  imageLogo_ = PictureButton(bar, "ImageLogo", kVersionText, 0);
  imageScan_ = PictureButton(bar, "ImageScan", "Сканировать память контроллера, искать интерфейсы к Чёрным Ящикам", 1);
  imageTavik_ = PictureButton(bar, "ImageTavik", kTavikOff, 2);
  imagePlay_ = PictureButton(bar, "ImagePlay", kPlayHint, 3);
  imageHelp_ = PictureButton(bar, "ImageHelp", "Вызвать справочную систему", 4);
  for (QToolButton* b : {imageLogo_, imageScan_, imageTavik_, imagePlay_, imageHelp_}) row->addWidget(b);
  connect(imageScan_, &QToolButton::clicked, this, &TFormBox::ButtonScanClick);
  connect(imageTavik_, &QToolButton::clicked, this, &TFormBox::ImageTavikClick);
  connect(imagePlay_, &QToolButton::clicked, this, [this] { popupPlay_->popup(QCursor::pos()); });
  connect(imageLogo_, &QToolButton::clicked, this, [this] {
    if (ShowAbout) ShowAbout();
  });
  connect(imageHelp_, &QToolButton::clicked, this, [this] {
    if (ShowHelp) ShowHelp(HelpContextOf("TFormBox"));
  });

  // Three rows of groups, each under its caption, so that the bar keeps every caption whole down
  // to the window's smallest width.
  auto* groups = new QGridLayout;
  groups->setContentsMargins(6, 0, 0, 0);
  groups->setHorizontalSpacing(10);
  groups->setVerticalSpacing(1);
  row->addLayout(groups);
  auto cell = [&](int r, int c, std::initializer_list<QWidget*> widgets) {
    auto* line = new QHBoxLayout;
    line->setSpacing(4);
    for (QWidget* w : widgets) line->addWidget(w);
    line->addStretch(1);
    groups->addLayout(line, r, c);
  };

  editFileName_ = new QLineEdit("BlackBox.txt", bar);
  editFileName_->setObjectName("EditFileName");
  editFileName_->setToolTip("Имя файла для сохранения данных");
  editFileName_->setFixedWidth(editFileName_->fontMetrics().horizontalAdvance("BlackBox_000.txt") + 12);
  connect(editFileName_, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (Current()) Current()->FileName = text.toStdString();
  });
  buttonRec_ = SpeedButton(bar, "SpeedButtonRec", "Пуск", "Начать запись в файл");
  buttonStop_ = SpeedButton(bar, "SpeedButtonStop", "Стоп", "Остановить запись в файл");
  buttonPause_ = SpeedButton(bar, "SpeedButtonPause", "Пауза", "Приостановить отображение посылок (на запись в файл не влияет)");
  connect(buttonRec_, &QToolButton::clicked, this, &TFormBox::SpeedButtonRecClick);
  connect(buttonStop_, &QToolButton::clicked, this, &TFormBox::SpeedButtonStopClick);
  connect(buttonPause_, &QToolButton::clicked, this, &TFormBox::SpeedButtonPauseClick);
  for (QToolButton* b : {buttonRec_, buttonStop_, buttonPause_}) b->setEnabled(false);
  labelBytes_ = Label(bar, "Счётчик");
  labelBytes_->setObjectName("LabelBytes");
  labelBytes_->setToolTip("Счётчик записанных на диск байтов");
  cell(0, 0, {Label(bar, "Файл:"), editFileName_});
  cell(1, 0, {Label(bar, "Запись"), labelBytes_});
  cell(2, 0, {buttonRec_, buttonStop_, buttonPause_});

  checkHex_ = Check(bar, "CheckBoxHex", "Цифра", "Включить отображение посылок в цифровом 16-ричном виде");
  checkText_ = Check(bar, "CheckBoxText", "Текст", "Включить отображение посылок в текстовом виде");
  checkColor_ = Check(bar, "CheckBoxColor", "Цвет", "Выделять посылки разного типа цветом");
  checkIn_ = Check(bar, "CheckBoxIn", "Вход", "Включить отображение входящих посылок");
  checkOut_ = Check(bar, "CheckBoxOut", "Выход", "Включить отображение исходящих  посылок");
  checkIn_->setChecked(true);
  checkOut_->setChecked(true);
  cell(0, 1, {Label(bar, "Вид")});
  cell(1, 1, {checkHex_, checkText_, checkColor_});
  cell(2, 1, {checkIn_, checkOut_});

  checkKp_ = Check(bar, "CheckBoxKP", "КП", "Включить фильтрацию посылок по номеру КП");
  spinKp_ = new QSpinBox(bar);
  spinKp_->setObjectName("SpinEditKP");
  spinKp_->setToolTip("Номер КП в десятичном виде");
  spinKp_->setRange(-999999, 999999);
  checkFn_ = Check(bar, "CheckBoxFn", "Ф", "Включить фильтрацию посылок по номеру функции");
  radio10_ = new QRadioButton("10", bar);
  radio10_->setObjectName("RadioButton10");
  radio10_->setToolTip("Использовать десятичное представление номера Функции");
  radio10_->setChecked(true);
  radio16_ = new QRadioButton("16", bar);
  radio16_->setObjectName("RadioButton16");
  radio16_->setToolTip("Использовать 16-ричное представление номера Функции");
  editFn_ = new QLineEdit("0", bar);
  editFn_->setObjectName("EditFn");
  editFn_->setToolTip("Номер Функции");
  editFn_->setMaximumWidth(40);
  cell(0, 2, {Label(bar, "Фильтры")});
  cell(1, 2, {checkKp_, spinKp_});
  cell(2, 2, {checkFn_, radio10_, radio16_, editFn_});
  for (QCheckBox* box : {checkHex_, checkText_, checkColor_, checkIn_, checkOut_, checkKp_, checkFn_})
    connect(box, &QCheckBox::clicked, this, [this, box] { CheckBoxChange(box); });
  connect(spinKp_, &QSpinBox::valueChanged, this, [this](int v) { context_.view.kpNumber = v; });
  connect(editFn_, &QLineEdit::textChanged, this, &TFormBox::EditFnChange);
  connect(radio16_, &QRadioButton::toggled, this, [this] {
    settings_.FnHex = radio16_->isChecked();
    EditFnChange();
  });

  editFind_ = new QLineEdit(bar);
  editFind_->setObjectName("EditFind");
  editFind_->setToolTip("Найти текст или 16-ричные байты в посылках (Ctrl+F, F3 - дальше, Shift+F3 - назад)");
  editFind_->setMaximumWidth(110);
  connect(editFind_, &QLineEdit::returnPressed, this, [this] { FindNext(false); });
  checkFindHex_ = Check(bar, "CheckBoxFindHex", "16", "Искать байты, заданные 16-ричными парами");
  editFilter_ = new QLineEdit(bar);
  editFilter_->setObjectName("EditFilter");
  editFilter_->setToolTip("Показывать только строки, содержащие этот текст");
  editFilter_->setMaximumWidth(110);
  connect(editFilter_, &QLineEdit::textChanged, this, &TFormBox::SetLineFilter);
  cell(0, 3, {Label(bar, "Найти")});
  cell(1, 3, {editFind_, checkFindHex_});
  cell(2, 3, {Label(bar, "Фильтр"), editFilter_});
  row->addStretch(1);
  indicator_ = new TIndicator(64, 24, bar);
  indicator_->setObjectName("ImageDot");
  indicator_->setToolTip("Индикатор связи с контроллером");
  row->addWidget(indicator_);

  progress_ = new QProgressBar(bar);
  progress_->setObjectName("ProgressBar");
  progress_->setFixedHeight(6);
  progress_->setTextVisible(false);
  progress_->hide();
  outer->addWidget(progress_);
  return bar;
}

QWidget* TFormBox::BuildLeft() {
  auto* left = new QSplitter(Qt::Vertical, this);
  left->setObjectName("PanelLeft");
  left->setHandleWidth(kGap);
  treeBoxes_ = new QTreeWidget(left);
  treeBoxes_->setObjectName("TreeBoxes");
  treeBoxes_->setToolTip("Список Чёрных Ящиков");
  treeBoxes_->setHeaderHidden(true);
  treeBoxes_->setRootIsDecorated(false);
  connect(treeBoxes_, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* item) { TreeBoxesChange(item); });
  tavikModel_ = new TTavikModel(analyzer_, this);
  treeTavik_ = new QTreeView(left);
  treeTavik_->setObjectName("TreeTavik");
  treeTavik_->setToolTip("Потоковый Анализатор Данных");
  treeTavik_->setHeaderHidden(true);
  treeTavik_->setRootIsDecorated(false);
  treeTavik_->setUniformRowHeights(true);
  treeTavik_->setIconSize(QSize(30, 16));
  treeTavik_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  treeTavik_->setModel(tavikModel_);
  treeTavik_->setItemDelegate(new TTavikDelegate(*tavikModel_, treeTavik_));
  treeTavik_->setStyleSheet("QTreeView::item { height: 23px; }");
  treeTavik_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(treeTavik_, &QWidget::customContextMenuRequested, this, &TFormBox::PopupTavik);
  connect(treeTavik_, &QTreeView::expanded, this, [this](const QModelIndex& index) { treeTavik_->setCurrentIndex(index); });
  // A node the core marks expanded opens as soon as its first child arrives.
  connect(tavikModel_, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex& parent) {
    const TTavikNode* node = tavikModel_->Node(parent);
    if (node && node->expanded && !treeTavik_->isExpanded(parent)) treeTavik_->expand(parent);
  });
  connect(tavikModel_, &QAbstractItemModel::modelReset, this,
          [this] { treeTavik_->expand(tavikModel_->index(0, 0)); });
  left->addWidget(treeBoxes_);
  left->addWidget(treeTavik_);
  left->setStretchFactor(0, 0);
  left->setStretchFactor(1, 1);
  return left;
}

QWidget* TFormBox::BuildCenter() {
  auto* center = new QWidget(this);
  center->setObjectName("PanelCenter");
  auto* grid = new QGridLayout(center);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(0);
  lines_ = new TBoxLineView(*this, center);
  lines_->installEventFilter(this);
  lines_->setContextMenuPolicy(Qt::CustomContextMenu);
  scrollV_ = new QScrollBar(Qt::Vertical, center);
  scrollV_->setObjectName("ScrollBarV");
  scrollH_ = new QScrollBar(Qt::Horizontal, center);
  scrollH_->setObjectName("ScrollBarH");
  scrollV_->setRange(0, 0);
  scrollH_->setRange(0, 0);
  connect(scrollV_, &QScrollBar::valueChanged, this, [this] { RepaintLines(); });
  connect(scrollH_, &QScrollBar::valueChanged, this, [this] { RepaintLines(); });
  raw_ = new TBoxRawView(*this, center);
  raw_->setFixedHeight(3 * QFontMetrics(font_).height());
  grid->addWidget(lines_, 0, 0);
  grid->addWidget(scrollV_, 0, 1);
  grid->addWidget(scrollH_, 1, 0);
  grid->addWidget(raw_, 2, 0, 1, 2);
  grid->setRowStretch(0, 1);
  return center;
}

void TFormBox::BuildMenus() {
  popupLines_ = new QMenu(this);
  popupLines_->setObjectName("PopupMenuLines");
  nSave_ = popupLines_->addAction("Cохранить весь текст в файл");
  nSave_->setObjectName("NSave");
  nClip_ = popupLines_->addAction("Копировать строку в буфер обмена");
  nClip_->setObjectName("NClip");
  connect(nSave_, &QAction::triggered, this, [this] {
    if (!Current()) return;
    const QString path = Ask(kAppTitle + " - Сохранить текст в файл", QString(), true);
    if (!path.isEmpty()) SaveAllText(path);
  });
  connect(nClip_, &QAction::triggered, this, &TFormBox::CopyLine);
  connect(lines_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { popupLines_->popup(lines_->mapToGlobal(at)); });

  popupPlay_ = new QMenu(this);
  popupPlay_->setObjectName("PopupMenuPlay");
  nFile_ = popupPlay_->addAction("Выберите записанный файл");
  nFile_->setObjectName("NFile");
  nFile_->setEnabled(false);
  popupPlay_->addSeparator();
  QAction* open = popupPlay_->addAction("Выбрать файл");
  open->setObjectName("NOpen");
  connect(open, &QAction::triggered, this, [this] {
    const QString path = Ask(kAppTitle + " - Выбрать файл", playPath_, false);
    if (!path.isEmpty()) OpenReplayFile(path);
  });
  QAction* play = popupPlay_->addAction("Воспроизвести");
  play->setObjectName("NPlay");
  connect(play, &QAction::triggered, this, &TFormBox::PlayClick);
  QAction* pause = popupPlay_->addAction("Пауза");
  pause->setObjectName("NPause");
  connect(pause, &QAction::triggered, this, &TFormBox::PlayPauseClick);
  QAction* stop = popupPlay_->addAction("Остановить");
  stop->setObjectName("NStop");
  connect(stop, &QAction::triggered, this, &TFormBox::PlayStopClick);
  popupPlay_->addSeparator();
  intervals_ = new QActionGroup(this);
  for (const int ms : {500, 250, 100, 50}) {
    QAction* item = popupPlay_->addAction(QString("Интервал: %1 мс").arg(ms));
    item->setObjectName(QString("NInterval%1").arg(ms));
    item->setData(ms);
    item->setCheckable(true);
    intervals_->addAction(item);
    connect(item, &QAction::triggered, this, [this, ms] { SetPlayInterval(ms); });
  }
  popupTavik_ = new QMenu(this);
  popupTavik_->setObjectName("PopupMenuTavik");
}

// ---- settings

void TFormBox::LoadSettings() {
  const TIniFile ini(PathToUtf8(SettingsIniPath()));
  TBoxSettings& s = settings_;
  s.FormTop = ini.ReadInteger(kSection, "FormTop", s.FormTop, kWindowPlaceRange);
  s.FormLeft = ini.ReadInteger(kSection, "FormLeft", s.FormLeft, kWindowPlaceRange);
  s.FormWidth = ini.ReadInteger(kSection, "FormWidth", s.FormWidth, kWindowSizeRange);
  s.FormHeight = ini.ReadInteger(kSection, "FormHeight", s.FormHeight, kWindowSizeRange);
  s.TreeWidth = ini.ReadInteger(kSection, "TreeWidth", s.TreeWidth, kWindowSizeRange);
  s.TreeHeight = ini.ReadInteger(kSection, "TreeHeight", s.TreeHeight, kWindowSizeRange);
  s.Decoding = ini.ReadBool(kSection, "Decoding", s.Decoding);
  s.Color = ini.ReadBool(kSection, "Color", s.Color);
  s.Hex = ini.ReadBool(kSection, "Hex", s.Hex);
  s.FnHex = ini.ReadBool(kSection, "FnHex", s.FnHex);
  if (!s.Hex && !s.Decoding) s.Hex = true;
  setGeometry(s.FormLeft, s.FormTop, std::max(949, s.FormWidth), std::max(200, s.FormHeight));
  FitOnScreen(this);
  checkText_->setChecked(s.Decoding);
  checkColor_->setChecked(s.Color);
  checkHex_->setChecked(s.Hex);
  radio16_->setChecked(s.FnHex);
  radio10_->setChecked(!s.FnHex);
  context_.view.showHex = s.Hex;
  context_.view.showText = s.Decoding;
}

// The panel sizes are given once the window is laid out: sizes given to a splitter before that
// are scaled to its first real size, and the list would come back a few pixels taller each time.
void TFormBox::PlacePanels() {
  if (placed_) return;
  placed_ = true;
  layout()->activate();
  const TBoxSettings& s = settings_;
  auto* main = findChild<QSplitter*>("SplitterMain");
  const int room = main->width() - 2 * main->handleWidth();
  main->setSizes({s.TreeWidth, std::max(100, room - s.TreeWidth - 80), 80});
  auto* left = findChild<QSplitter*>("PanelLeft");
  const int leftHeight = left->height() - left->handleWidth();
  const int listHeight = s.TreeHeight > left->height() ? left->height() - 20 : s.TreeHeight;
  left->setSizes({listHeight, std::max(20, leftHeight - listHeight)});
}

void TFormBox::SaveSettings() const {
  TIniFile ini(PathToUtf8(SettingsIniPath()));
  const QRect g = geometry();
  ini.WriteInteger(kSection, "FormTop", g.top());
  ini.WriteInteger(kSection, "FormLeft", g.left());
  ini.WriteInteger(kSection, "FormWidth", g.width());
  ini.WriteInteger(kSection, "FormHeight", g.height());
  ini.WriteInteger(kSection, "TreeWidth", treeBoxes_->width());
  ini.WriteInteger(kSection, "TreeHeight", treeBoxes_->height());
  ini.WriteBool(kSection, "Decoding", checkText_->isChecked());
  ini.WriteBool(kSection, "Color", checkColor_->isChecked());
  ini.WriteBool(kSection, "Hex", checkHex_->isChecked());
  ini.WriteBool(kSection, "FnHex", radio16_->isChecked());
  if (!ini.UpdateFile()) ShowError("Не удалось записать файл настроек " + PathToUtf8(SettingsIniPath()));
}

// ---- window events

void TFormBox::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  PlacePanels();
  const auto& ip = context_.link.Settings.DestIP;
  setWindowTitle(kAppTitle + QString(" - Чёрный Ящик  IP=%1.%2.%3.%4").arg(ip[0]).arg(ip[1]).arg(ip[2]).arg(ip[3]));
  if (showing_) return;
  showing_ = true;
  // After the window is on the screen, and never inside another window's link wait.
  AfterLinkWait(this, [this] {
    if (!showing_) return;
    ButtonScanClick();
    timerWork_->start();
  });
}

// Escape, the window manager, the main window's closing at exit: every way ends here.
void TFormBox::done(int result) {
  if (showing_) {
    showing_ = false;
    boxes_.StopAll();
    timerWork_->stop();
    timerPlay_->stop();
    timerTavik_->stop();
    SaveSettings();
    // The readers polled over the link the scan opened; nothing else holds it now. Closed here,
    // the line falls quiet for the last poll's answer only, not for the time it stayed idle.
    context_.link.CloseLink();
    if (MainWindow && !MainWindow->isVisible()) MainWindow->show();
  }
  QDialog::done(result);
}

void TFormBox::changeEvent(QEvent* event) {
  if (event->type() == QEvent::WindowStateChange && MainWindow) {
    if (isMinimized()) MainWindow->hide();
  }
  QDialog::changeEvent(event);
}

bool TFormBox::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Wheel && (watched == lines_ || watched == flow_)) {
    const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
    if (delta != 0) WheelLines(delta > 0 ? 1 : -1);
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

// ---- observer

void TFormBox::IndicatorPoint(uint32_t colour) { indicator_->AddPoint(colour); }

void TFormBox::LinesAdded(TBoxDriver&, std::string_view, uint8_t) {
  if (!timerList_->isActive()) timerList_->start();
}

void TFormBox::RecordingChanged(TBoxDriver& box) {
  for (int i = 0; i < treeBoxes_->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = treeBoxes_->topLevelItem(i);
    if (item->data(0, Qt::UserRole).toInt() == box.Number())
      item->setForeground(0, box.Recording() ? QBrush(Qt::red) : QBrush());
  }
  if (&box == Current()) ShowCurrentState();
}

void TFormBox::BytesCopied(TBoxDriver& box) {
  if (&box == Current()) labelBytes_->setText(QString::number(box.BytesWritten()));
}

void TFormBox::AnalyzerFeed(TBoxDriver&, const TBoxRecord& record, size_t length, const std::string& line) {
  analyzer_.Feed(record, length, line);
}

// ---- recorders

void TFormBox::ButtonScanClick() {
  buttonRec_->setChecked(false);
  buttonStop_->setChecked(true);
  buttonRec_->setEnabled(false);
  buttonPause_->setEnabled(false);
  context_.view.currentBox = nullptr;
  treeBoxes_->clear();
  boxes_.Scan();
  for (const auto& reader : boxes_.Readers()) {
    auto* item = new QTreeWidgetItem(treeBoxes_, {QString::fromStdString(reader->NodeText())});
    item->setData(0, Qt::UserRole, reader->Number());
  }
  for (const TUnsupportedBox& box : boxes_.Unsupported()) {
    auto* item = new QTreeWidgetItem(treeBoxes_, {QString::fromStdString(box.name)});
    item->setData(0, Qt::UserRole, -1);
    item->setDisabled(true);
  }
  RepaintLines();
}

void TFormBox::TreeBoxesChange(QTreeWidgetItem* item) {
  if (!item) return;
  TBoxDriver* box = boxes_.Find(item->data(0, Qt::UserRole).toInt());
  if (!box) return;
  context_.view.currentBox = box;
  selectedLine_ = -1;
  ShowCurrentState();
  TimerListTimer();
}

void TFormBox::ShowCurrentState() {
  TBoxDriver* box = Current();
  if (!box) return;
  editFileName_->setText(QString::fromStdString(box->FileName));
  editFileName_->setCursorPosition(0);  // the name's beginning, not its ".txt"
  editFileName_->setEnabled(!box->Recording());
  buttonRec_->setEnabled(true);
  buttonStop_->setEnabled(true);
  buttonRec_->setChecked(box->Recording());
  buttonStop_->setChecked(!box->Recording());
  buttonPause_->setEnabled(true);
  buttonPause_->setChecked(box->Paused);
}

void TFormBox::SpeedButtonRecClick() {
  if (!Current()) return;
  Current()->FileName = editFileName_->text().toStdString();
  Current()->StartRecording();
  if (!Current()->Recording()) {
    buttonRec_->setChecked(false);
    buttonStop_->setChecked(true);
  }
  ShowCurrentState();
}

void TFormBox::SpeedButtonStopClick() {
  if (Current()) Current()->StopRecording();
  ShowCurrentState();
}

void TFormBox::SpeedButtonPauseClick() {
  if (Current()) Current()->Paused = buttonPause_->isChecked();
}

void TFormBox::CheckBoxChange(QCheckBox* box) {
  if (box == checkText_ && !checkText_->isChecked() && !checkHex_->isChecked()) checkHex_->setChecked(true);
  if (box == checkHex_ && !checkHex_->isChecked() && !checkText_->isChecked()) checkText_->setChecked(true);
  if (box == checkIn_ && !checkIn_->isChecked() && !checkOut_->isChecked()) checkOut_->setChecked(true);
  if (box == checkOut_ && !checkOut_->isChecked() && !checkIn_->isChecked()) checkIn_->setChecked(true);
  TBoxView& view = context_.view;
  view.showHex = checkHex_->isChecked();
  view.showText = checkText_->isChecked();
  view.showIn = checkIn_->isChecked();
  view.showOut = checkOut_->isChecked();
  view.kpFilter = checkKp_->isChecked();
  view.kpNumber = spinKp_->value();
  view.fnFilter = checkFn_->isChecked();
  settings_.Hex = view.showHex;
  settings_.Decoding = view.showText;
  settings_.Color = checkColor_->isChecked();
  if (box == checkColor_) RepaintLines();
}

void TFormBox::EditFnChange() {
  const bool hex = radio16_->isChecked();
  const QString text = editFn_->text();
  const QString filtered = QString::fromStdString(FilterFnText(text.toStdString(), hex));
  if (filtered != text) {
    const QSignalBlocker block(editFn_);
    editFn_->setText(filtered);
  }
  int value = 0;
  switch (ParseFnText(filtered.toStdString(), hex, value)) {
    case TFnParse::OutOfRange:
      ShowError(std::string(kFnRangeMessage));
      break;
    case TFnParse::Empty:
    case TFnParse::Valid:
      context_.view.fnNumber = value;
      break;
  }
}

// ---- line view

int TFormBox::LineCount() const {
  if (!Current()) return 0;
  return lineFilter_.isEmpty() ? int(Current()->Lines().size()) : int(filtered_.size());
}

const std::string& TFormBox::LineAt(int index) const {
  const auto& lines = Current()->Lines();
  return lineFilter_.isEmpty() ? lines[size_t(index)] : lines[size_t(filtered_[size_t(index)])];
}

void TFormBox::RebuildFilter() {
  filtered_.clear();
  if (lineFilter_.isEmpty() || !Current()) return;
  const std::string needle = lineFilter_.toStdString();
  const auto& lines = Current()->Lines();
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].find(needle, 1) != std::string::npos) filtered_.push_back(int(i));
}

void TFormBox::SetLineFilter(const QString& text) {
  lineFilter_ = text;
  selectedLine_ = -1;
  TimerListTimer();
}

int TFormBox::Rows() const { return lines_->height() / lines_->LineHeight(); }
int TFormBox::VerticalPosition() const { return scrollV_->value(); }
int TFormBox::VerticalMaximum() const { return scrollV_->maximum(); }

void TFormBox::RepaintLines() { lines_->update(); }

void TFormBox::TimerListTimer() {
  timerList_->stop();
  RebuildFilter();
  const int count = LineCount();
  size_t longest = 0;
  for (int i = 0; i < count; ++i) longest = std::max(longest, Characters(LineAt(i)));
  const int visible = lines_->width() / lines_->CharWidth();
  scrollH_->setMaximum(std::max(0, int(longest) - 1 - visible));
  const int maximum = std::max(0, count - Rows());
  // A paused view stays where the user put it; only its ranges grow.
  const int held = scrollV_->value();
  scrollV_->setMaximum(maximum);
  if (Current() && Current()->Paused)
    scrollV_->setValue(std::min(held, maximum));
  else if (scrollV_->value() == maximum)
    RepaintLines();
  else
    scrollV_->setValue(maximum);
}

void TFormBox::WheelLines(int lines) {
  scrollV_->setValue(scrollV_->value() - lines);
  buttonPause_->setChecked(scrollV_->value() < scrollV_->maximum());
  SpeedButtonPauseClick();
}

void TFormBox::FlowClick(int y) {
  TBoxDriver* box = Current();
  if (!box || y > box->FlowCount()) return;
  buttonPause_->setChecked(true);
  SpeedButtonPauseClick();
  timerList_->stop();
  scrollV_->setValue(box->FirstFlowShown + y - Rows() / 2);
}

void TFormBox::SaveAllText(const QString& path) {
  if (Current() && !Current()->SaveAllText(PathFromUtf8(path.toStdString())))
    ShowError("Не удалось записать файл " + path.toStdString());
}

void TFormBox::CopyLine() {
  if (selectedLine_ < 0 || selectedLine_ >= LineCount()) return;
  const std::string& line = LineAt(selectedLine_);
  QApplication::clipboard()->setText(QString::fromStdString(line.substr(1)));
}

void TFormBox::FindNext(bool backwards) {
  if (!Current() || editFind_->text().isEmpty()) return;
  const int from = selectedLine_ >= 0 ? selectedLine_ : (backwards ? LineCount() : -1);
  const int found = FindLine(LineCount(), [this](int i) -> const std::string& { return LineAt(i); }, from,
                             editFind_->text().toStdString(), checkFindHex_->isChecked(), backwards);
  if (found < 0) return;
  selectedLine_ = found;
  buttonPause_->setChecked(true);
  SpeedButtonPauseClick();
  timerList_->stop();
  scrollV_->setValue(found - Rows() / 2);
  RepaintLines();
}

// ---- work and replay

void TFormBox::TimerWorkTimer() {
  if (boxes_.Readers().empty()) return;
  timerWork_->stop();
  boxes_.PollAll();
  timerWork_->start();
}

QString TFormBox::Ask(const QString& title, const QString& start, bool save) {
  if (AskPath) return AskPath(title, start, save);
  return save ? QFileDialog::getSaveFileName(this, title, start) : QFileDialog::getOpenFileName(this, title, start);
}

bool TFormBox::OpenReplayFile(const QString& path) {
  ClosePlayFile();
  playFile_ = std::fopen(QFile::encodeName(path).constData(), "rb");
  if (!playFile_) {
    ShowError("Не удалось открыть файл " + path.toStdString());
    return false;
  }
  playPath_ = path;
  progress_->setRange(0, int(std::min<qint64>(QFileInfo(path).size(), INT32_MAX)));
  progress_->setValue(0);
  progress_->show();
  nFile_->setText(path);
  imagePlay_->setToolTip(kPlayHint + " " + path);
  return true;
}

void TFormBox::PlayClick() {
  if (!playFile_) {
    const QString path = Ask(kAppTitle + " - Выбрать файл", playPath_, false);
    if (path.isEmpty() || !OpenReplayFile(path)) return;
  }
  TBoxDriver& box = boxes_.ReplayBox();
  if (!replay_) replay_ = std::make_unique<TBoxReplay>(box, playFile_);
  context_.view.currentBox = &box;
  treeBoxes_->setCurrentItem(nullptr);
  ShowCurrentState();
  timerPlay_->start();
}

void TFormBox::PlayPauseClick() { timerPlay_->stop(); }

void TFormBox::ClosePlayFile() {
  timerPlay_->stop();
  replay_.reset();
  if (playFile_) std::fclose(playFile_);
  playFile_ = nullptr;
}

void TFormBox::PlayStopClick() {
  ClosePlayFile();
  progress_->hide();
  imagePlay_->setToolTip(kPlayHint);
  nFile_->setText("Выберите записанный файл");
}

void TFormBox::TimerPlayTimer() {
  if (!replay_) return;
  const bool more = replay_->Step();
  progress_->setValue(int(std::min<uint64_t>(replay_->Progress(), INT32_MAX)));
  if (!more) PlayStopClick();
}

void TFormBox::SetPlayInterval(int ms) {
  timerPlay_->setInterval(ms);
  for (QAction* item : intervals_->actions()) item->setChecked(item->data().toInt() == ms);
}

int TFormBox::PlayInterval() const { return timerPlay_->interval(); }

// ---- analyzer

void TFormBox::ImageTavikClick() {
  const bool on = !context_.view.analyzerRunning;
  context_.view.analyzerRunning = on;
  if (on) {
    tavikModel_->Restart();
    timerTavik_->start();
  } else {
    timerTavik_->stop();
  }
  imageTavik_->setIcon(Picture(2, on));
  imageTavik_->setToolTip(on ? kTavikOn : kTavikOff);
}

void TFormBox::TimerTavikTimer() {
  const QRect view = treeTavik_->viewport()->rect();
  analyzer_.Fade([this, view](const TTavikNode& node) {
    return view.intersects(treeTavik_->visualRect(tavikModel_->IndexOf(&node)));
  });
  // Drawn rows take their texts anew.
  treeTavik_->viewport()->update();
}

void TFormBox::PopupTavik(const QPoint& at) {
  const TTavikNode* node = tavikModel_->Node(treeTavik_->indexAt(at));
  if (!node || !node->object) return;
  popupNode_ = node;
  const TTavikPopup info = node->object->Popup();
  popupTavik_->clear();
  auto item = [this](const char* name, const std::string& text) {
    QAction* action = popupTavik_->addAction(QString::fromStdString(text));
    action->setObjectName(name);
    return action;
  };
  item("NNameStr", info.nameLine);
  popupTavik_->addSeparator();
  item("NChanges", info.changes);
  item("NFirstT", info.firstSeen);
  item("NChangeT", info.lastSeen);
  QMenu* debug = popupTavik_->addMenu("Отладка");
  debug->setObjectName("NDebug");
  QAction* data = debug->addAction(QString::fromStdString(info.hasSource ? info.sourceLine : std::string("Data")));
  data->setObjectName("NData");
  popupTavik_->addSeparator();
  QAction* log = item("NLog", "Показать журнал");
  log->setEnabled(info.logEnabled);
  connect(log, &QAction::triggered, this, [this] { ShowTavikLog(popupNode_); });
  QAction* csv = item("NTreeCsv", "Экспорт дерева в CSV");
  connect(csv, &QAction::triggered, this, [this] {
    const QString path = Ask(kAppTitle + " - Экспорт дерева в CSV", "tavik.csv", true);
    if (!path.isEmpty()) ExportTreeCsv(path);
  });
  popupTavik_->popup(treeTavik_->viewport()->mapToGlobal(at));
}

void TFormBox::ShowTavikLog(const TTavikNode* node) {
  if (!node || !node->object || !node->object->HasLog()) return;
  TTavikLog log;
  node->object->ShowLog(log);
  tavikLog_->ShowLog(log);
  tavikLog_->show();
}

bool TFormBox::ExportTreeCsv(const QString& path) {
  if (WriteFileAtomically(path.toStdU16String(), TavikTreeCsv(analyzer_))) return true;
  ShowError("Не удалось записать файл " + path.toStdString());
  return false;
}

}  // namespace vlm
