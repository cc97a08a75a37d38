#include "diag/ui/FrameValueMap.h"

#include <QActionGroup>
#include <QMenu>
#include <QPainter>

#include "common/Format.h"
#include "common/Numbers.h"
#include "shell/ui/AppInfo.h"

namespace vlm {
namespace {

const QColor kWorkspace(171, 171, 171), kSilver(0xC0, 0xC0, 0xC0), kGrayText(109, 109, 109);

QFont Bold() {
  QFont f("Sans", 8);
  f.setBold(true);
  return f;
}

}  // namespace

TFrameValueMap::TFrameValueMap(bool ti, TDiagContext& context, QWidget* parent)
    : TFrameDiagView(context, parent), ti_(ti), table_(context, ti ? kTiTable : kTsTable) {
  setObjectName(ti ? "FrameTI104" : "FrameTS104");
  table_.CellChanged = [this](TTableValue& v) {
    if (!table_.FirstPass()) DrawCell(v);
    if (&v == popupValue_ && menu_->isVisible()) FillMenu();
  };
  table_.HistoryAdded = [this](TTableValue& v, const std::string& line) {
    if (&v == journalValue_ && AppendJournal) AppendJournal(QString::fromStdString(line));
  };

  menu_ = new QMenu(this);
  for (int i = 0; i < (ti ? 11 : 8); ++i) captions_.push_back(menu_->addAction(""));
  menu_->addSeparator();
  auto check = [this](const char* name, const QString& text, bool on, std::function<void(bool)> set) {
    QAction* a = menu_->addAction(text);
    a->setObjectName(name);
    a->setCheckable(true);
    a->setChecked(on);
    connect(a, &QAction::toggled, this, [set](bool v) { set(v); });
    return a;
  };
  check("ItemIncoming", ti ? "Входящих" : "Подсветка входящих", true, [this](bool v) { SetHighlight(v, showChanges_); });
  check("ItemChanges", ti ? "Изменений" : "Подсветка изменений", true, [this](bool v) { SetHighlight(showIncoming_, v); });
  if (ti) {
    menu_->addSeparator();
    auto* group = new QActionGroup(menu_);
    group->addAction(check("ItemInput", "Входные данные", false, [this](bool v) { if (v) SetInputShown(true); }));
    group->addAction(check("ItemOutput", "Выходное значение", true, [this](bool v) { if (v) SetInputShown(false); }));
  }
  menu_->addSeparator();
  auto* addresses = new QActionGroup(menu_);
  addresses->addAction(check("ItemIoa", "Адрес Объекта Информации", true, [this](bool v) { if (v) SetAddressShow(TAddressShow::Ioa); }));
  addresses->addAction(check("ItemSource", "Входной адрес", false, [this](bool v) { if (v) SetAddressShow(TAddressShow::Source); }));
  addresses->addAction(check("ItemOff", "Выкл.", false, [this](bool v) { if (v) SetAddressShow(TAddressShow::Off); }));
  menu_->addSeparator();
  connect(menu_->addAction("Очистить"), &QAction::triggered, this, [this] { Clear(); });
  QAction* journal = menu_->addAction("Показать журнал");
  journal->setObjectName("ItemJournal");
  connect(journal, &QAction::triggered, this, [this] {
    if (!popupValue_) return;
    journalValue_ = popupValue_;
    QStringList lines;
    for (const auto& l : popupValue_->History) lines << QString::fromStdString(l);
    if (ShowJournal) ShowJournal(QString::fromStdString(ValueJournalTitle(*popupValue_, table_.Ioa(*popupValue_), ti_)), lines);
  });
}

void TFrameValueMap::Start(TDiagObj& obj) {
  if (table_.Start(obj)) StartTimers(int(table_.Total()));
}

void TFrameValueMap::Stop() {
  hide();
  StopTimers();
  popupValue_ = journalValue_ = nullptr;
}

bool TFrameValueMap::ScanTick() {
  const TDiagLinkUse open(context_.Memory.Link());
  const bool first = table_.FirstPass();
  const bool ended = table_.ScanTick();
  if (ended && first) {
    DrawGrid();
    table_.ClearMarks();
  }
  AfterTick(int(table_.Position()), ended);
  return ended;
}

int TFrameValueMap::RowHeight() const { return !ti_ ? 18 : addressShow_ == TAddressShow::Off ? 18 : 30; }

void TFrameValueMap::DrawGrid() {
  const int rows = table_.Rows(), h = RowHeight();
  const int columnWidth = ti_ ? 80 : 90;
  image_ = QImage(ti_ ? 881 : 991, (rows + 1) * (ti_ ? 30 : 18) + 1, QImage::Format_RGB32);
  image_.fill(kWorkspace);
  QPainter p(&image_);
  p.setPen(kSilver);
  for (int x = 0; x <= 10 * columnWidth + columnWidth; x += columnWidth) p.drawLine(x, 0, x, (rows + 1) * h);
  for (int y = 0; y <= (rows + 1) * h; y += h) p.drawLine(0, y, image_.width() - 1, y);
  p.setPen(Qt::black);
  p.setFont(Bold());
  p.drawText(QRect(3, 3, columnWidth * 2, 14), Qt::AlignLeft | Qt::AlignTop, "Адр.Об.Инф.");
  for (int d = 0; d < 10; ++d)
    p.drawText(QRect((ti_ ? 116 : 131) + columnWidth * d, 3, 12, 14), Qt::AlignLeft | Qt::AlignTop, QString::number(d));
  for (int r = 1; r <= rows; ++r)
    p.drawText(QRect(10, r * h + 3, columnWidth - 12, 14), Qt::AlignLeft | Qt::AlignTop, QString::number(table_.Base() + 10 * (r - 1)));
}

void TFrameValueMap::DrawCell(const TTableValue& v) {
  if (image_.isNull()) return;
  const int c = table_.Column(v), r = table_.Row(v), h = RowHeight();
  QPainter p(&image_);
  p.setFont(Bold());
  const QString ioa = QString::number(table_.Ioa(v));
  const QString source = QString::fromStdString(v.SourceAddress());
  const QString address = addressShow_ == TAddressShow::Ioa ? ioa : addressShow_ == TAddressShow::Source ? source : QString();
  if (ti_) {
    const QRect cell(QPoint(80 * c + 2, r * h + 2), QPoint(80 * c + 79, r * h + h - 1));
    if (cell.top() > image_.height()) return;
    p.fillRect(cell, WinColor(TiCellColour(v, showIncoming_, showChanges_)));
    const float value = SingleFromBytes(std::span<const uint8_t, 4>(&v.Record[21], 4));
    const QString text = showInput_ ? QString::fromStdString(Format("%8.8xh", {GetU32(&v.Record[15])}))
                                    : QString::fromStdString(TiValueText(value));
    p.setPen(Qt::black);
    p.drawText(QRect(cell.left() + 3, cell.top(), cell.width() - 3, 14), Qt::AlignLeft | Qt::AlignTop, text);
    if (addressShow_ != TAddressShow::Off) {
      p.setPen(kGrayText);
      p.drawText(QRect(cell.left(), cell.top() + 14, cell.width() - 4, 14), Qt::AlignRight | Qt::AlignTop, address);
    }
  } else {
    const QRect cell(QPoint(90 * c + 2, 18 * r + 2), QPoint(90 * c + 89, 18 * r + 17));
    if (cell.top() > image_.height()) return;
    p.fillRect(cell, WinColor(TsCellColour(v, showIncoming_, showChanges_)));
    p.setPen(kSilver);
    p.drawText(QRect(cell.left(), cell.top() + 1, cell.width() - 4, 14), Qt::AlignRight | Qt::AlignTop, address);
    const uint8_t state = v.Record[6];
    QColor fore = Qt::black, back(0x60, 0x60, 0x60);
    if (v.Marked) {
      fore = state == 0 ? Qt::white : Qt::black;
      back = state == 0 ? Qt::black : Qt::white;
    }
    const QRect box(cell.left(), cell.top(), 20, cell.height());
    p.fillRect(box, back);
    p.setPen(fore);
    p.drawText(QRect(box.left() + 6, box.top() + 1, 14, 14), Qt::AlignLeft | Qt::AlignTop, QString::number(state));
  }
  if (isVisible()) ShowImage();
}

void TFrameValueMap::Clear() {
  table_.ClearMarks();
  ShowImage();
}

void TFrameValueMap::SetHighlight(bool incoming, bool changes) {
  showIncoming_ = incoming;
  showChanges_ = changes;
}

void TFrameValueMap::SetInputShown(bool input) { showInput_ = input; }

void TFrameValueMap::SetAddressShow(TAddressShow show) {
  const bool redraw = (show == TAddressShow::Off) != (addressShow_ == TAddressShow::Off);
  addressShow_ = show;
  // A new row height gives an empty grid; the cells come back with the next pass.
  if (redraw && !table_.FirstPass()) {
    DrawGrid();
    ShowImage();
  }
}

void TFrameValueMap::FillMenu() {
  if (!popupValue_) return;
  const auto lines = ti_ ? TiRecordLines(*popupValue_) : TsRecordLines(*popupValue_);
  for (size_t i = 0; i < lines.size() && i < captions_.size(); ++i) captions_[i]->setText(QString::fromStdString(lines[i]));
}

QMenu* TFrameValueMap::PopupAt(const QPoint& at) {
  const int column = at.x() / (ti_ ? 80 : 90) - 1, row = at.y() / RowHeight() - 1;
  TTableValue* v = table_.At(column, row);
  if (!v) return nullptr;
  popupValue_ = v;
  FillMenu();
  return menu_;
}

}  // namespace vlm
