#include "diag/ui/FormDisplay.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/DataFolder.h"
#include "common/PathText.h"
#include "common/TextCodec.h"
#include "diag/ui/DiagIcons.h"
#include "link/Velmor_PC.h"
#include "shell/ui/AppInfo.h"
#include "shell/ui/HelpWindow.h"
#include "shell/ui/Indicator.h"
#include "shell/HelpTopics.h"
#include "shell/ui/LinkWait.h"

namespace vlm {
namespace {

QImage View(const TPixelImage& image) {
  return QImage(reinterpret_cast<const uchar*>(image.pixels.data()), image.width, image.height, image.width * 4,
                QImage::Format_RGB32);
}

constexpr int kRulerCells = 2;
constexpr int kHelpContext = HelpContextOf("TFormDisplay");

}  // namespace

// A fixed-size area showing one pixel image.
class TFormDisplay::TPaintBox : public QWidget {
 public:
  TPaintBox(const char* name, const TPixelImage* image) : image_(image) {
    setObjectName(name);
    setFixedSize(image->width, image->height);
  }
  void SetImage(const TPixelImage* image) { image_ = image; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.drawImage(0, 0, View(*image_));
  }

 private:
  const TPixelImage* image_;
};

TFont8x8 RenderQtFont8x8() {
  TFont8x8 font{};
  QFont qfont("Monospace");
  qfont.setStyleHint(QFont::TypeWriter);
  qfont.setPixelSize(9);
  for (int c = 32; c < 256; ++c) {
    if (c == 127) continue;
    const QString text = QString::fromUtf8(DosToUtf8(std::string(1, char(c))));
    QImage cell(8, 8, QImage::Format_Grayscale8);
    cell.fill(0);
    QPainter p(&cell);
    p.setFont(qfont);
    p.setPen(Qt::white);
    p.drawText(QRect(0, -1, 8, 10), Qt::AlignHCenter | Qt::AlignBottom, text);
    p.end();
    for (int y = 0; y < 8; ++y) {
      uint8_t bits = 0;
      for (int x = 0; x < 8; ++x)
        if (qGray(cell.pixel(x, y)) >= 96) bits |= uint8_t(0x80 >> x);
      font[size_t(c) * 8 + size_t(y)] = bits;
    }
  }
  return font;
}

TFont8x8 DisplayFont(QString* source) {
  if (auto font = LoadPsf1File(PathFromUtf8(kConsoleCyrillicFont))) {
    *source = QStringLiteral("Шрифт: %1 (console-cyrillic)").arg(QString::fromUtf8(kConsoleCyrillicFont));
    return *font;
  }
  *source = QStringLiteral("Шрифт: построен из моноширинного шрифта Qt");
  return RenderQtFont8x8();
}

TFormDisplay::TFormDisplay(TControllerLink& link, QWidget* parent)
    : QDialog(parent), link_(link), reader_(link, screen_), columnRuler_(kPictureWidth, kRulerCells * kCellHeight),
      rowRuler_(kRulerCells * kCellWidth, kPictureHeight) {
  setObjectName("FormDisplay");
  setProperty("helpContext", HelpContextOf("TFormDisplay"));  // F1 while it is the active window
  glyphs_ = std::make_unique<TGlyphCache>(DisplayFont(&glyphSource_));
  picture_ = std::make_unique<TScreenPicture>(*glyphs_);
  picture_->DrawAll(screen_);
  qInfo("%s", qPrintable(glyphSource_));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  auto* bar = new QHBoxLayout;
  auto button = [&](const char* name, const QString& hint, int icon, std::function<void()> run) {
    QToolButton* b = DiagToolButton(name, hint, icon, std::move(run));
    bar->addWidget(b);
    return b;
  };
  // The logo's hint also says where the glyphs came from.
  button("ImageLogo", kVersionText + "\n" + glyphSource_, 0, [] {});
  run_ = button("ImageRun", "Включить/Отключить чтение (Включено)", 1, [this] { ImageRunClick(); });
  indicator_ = new TIndicator(64, 24);
  indicator_->setObjectName("ImageDot");
  bar->addWidget(indicator_);
  button("ImageClip", "Копировать картинку в буфер обмена", 2, [this] { ImageClipClick(); });
  button("ImageSave", "Сохранить картинку в файл", 2, [this] { ImageSaveClick(); });
  button("ImageHelp", "Вызвать справочную систему", 3, [this] {
    if (!help_) {
      help_ = new TFormHelp(this);
      help_->setWindowFlag(Qt::Window);
    }
    help_->ShowContext(kHelpContext);
    help_->show();
  });
  status_ = new QLabel;
  status_->setObjectName("LabelStatus");
  bar->addWidget(status_, 1);
  layout->addLayout(bar);

  auto* grid = new QHBoxLayout;
  grid->setSpacing(0);
  auto* left = new QVBoxLayout;
  left->addSpacing(columnRuler_.height);
  boxV_ = new TPaintBox("PaintBoxV", &rowRuler_);
  left->addWidget(boxV_);
  auto* right = new QVBoxLayout;
  boxH_ = new TPaintBox("PaintBoxH", &columnRuler_);
  box_ = new TPaintBox("PaintBox1", &picture_->Image());
  right->addWidget(boxH_);
  right->addWidget(box_);
  grid->addLayout(left);
  grid->addLayout(right);
  layout->addLayout(grid);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  DrawRulers();

  timerWork_ = new QTimer(this);
  timerWork_->setObjectName("TimerWork");
  timerWork_->setInterval(10);
  ConnectLinkTimer(timerWork_, this, [this] { TimerWorkTimer(); });
  timerStatus_ = new QTimer(this);
  timerStatus_->setInterval(50);
  connect(timerStatus_, &QTimer::timeout, this, [this] {
    if (statusCountdown_ > 0) --statusCountdown_;
    status_->setText(statusText_.left(statusCountdown_));
    if (statusCountdown_ == 0) timerStatus_->stop();
  });
  reader_.SetIndicator([this](uint32_t colour) { indicator_->AddPoint(colour); });
  SetStatus(glyphSource_);
}

TFormDisplay::~TFormDisplay() {
  if (openedLink_) link_.CloseLink();
}

void TFormDisplay::showEvent(QShowEvent* event) {
  setWindowTitle(kAppTitle + " - Дисплей  IP=" + QString::fromStdString(IPToStr(link_.Settings.DestIP)));
  if (!link_.LinkOpen()) openedLink_ = link_.OpenLink();
  timerWork_->start();
  QDialog::showEvent(event);
}

void TFormDisplay::hideEvent(QHideEvent* event) {
  timerWork_->stop();
  QDialog::hideEvent(event);
}

// Escape, the window manager, the main window's closing at exit: every way ends here, outside
// any link wait (a row read waiting on its answer uses the link this closes).
void TFormDisplay::done(int result) {
  timerWork_->stop();
  if (openedLink_) link_.CloseLink();
  openedLink_ = false;
  QDialog::done(result);
}

void TFormDisplay::TimerWorkTimer() {
  if (busy_) return;
  busy_ = true;
  reader_.Tick();
  if (reader_.MarkedAll()) {
    picture_->DrawAll(screen_);
    box_->update();
  } else {
    for (int r = reader_.LastRow(); r < reader_.LastRow() + reader_.LastRows(); ++r) picture_->DrawRow(screen_, r);
    box_->update(0, reader_.LastRow() * kCellHeight, kPictureWidth, reader_.LastRows() * kCellHeight);
  }
  DrawRulers();
  busy_ = false;
}

void TFormDisplay::DrawRulers() {
  for (int i = 0; i < kScreenColumns; ++i) {
    glyphs_->DrawCell(columnRuler_, i * kCellWidth, 0, uint8_t('0' + i / 10), kRulerAttribute);
    glyphs_->DrawCell(columnRuler_, i * kCellWidth, kCellHeight, uint8_t('0' + i % 10), kRulerAttribute);
  }
  for (int i = 0; i < kScreenRows; ++i) {
    const uint8_t attr = i == reader_.NextRow() ? kRulerNextAttribute : kRulerAttribute;
    glyphs_->DrawCell(rowRuler_, 0, i * kCellHeight, uint8_t('0' + i / 10), attr);
    glyphs_->DrawCell(rowRuler_, kCellWidth, i * kCellHeight, uint8_t('0' + i % 10), attr);
  }
  boxH_->update();
  boxV_->update();
}

bool TFormDisplay::Reading() const { return timerWork_->isActive(); }

void TFormDisplay::ImageRunClick() {
  if (timerWork_->isActive()) timerWork_->stop();
  else timerWork_->start();
  run_->setToolTip(Reading() ? "Включить/Отключить чтение (Включено)" : "Включить/Отключить чтение (Отключено)");
  run_->setIcon(DiagToolIcon(Reading() ? 1 : 0));
}

QImage TFormDisplay::Picture() const { return View(picture_->Image()).copy(); }
QImage TFormDisplay::ColumnRuler() const { return View(columnRuler_).copy(); }
QImage TFormDisplay::RowRuler() const { return View(rowRuler_).copy(); }

void TFormDisplay::ImageClipClick() {
  QApplication::clipboard()->setImage(Picture());
  SetStatus("Картинка скопирована в буфер обмена.");
}

void TFormDisplay::ImageSaveClick() {
  const QString name = QFileDialog::getSaveFileName(this, kAppTitle + " - Сохранить картинку в файл", QString(),
                                                    "BMP (*.bmp);;Все файлы (*.*)");
  if (!name.isEmpty()) SaveTo(name);
}

QString TFormDisplay::SaveTo(const QString& chosen) {
  const std::string name = BmpFileName(chosen.toStdString());
  const std::string error = WriteBmpFile(PathFromUtf8(name), picture_->Image());
  const QString shown = QString::fromStdString(name);
  SetStatus(error.empty() ? "Картинка сохранена в файле " + shown : QString::fromStdString(error));
  return error.empty() ? shown : QString();
}

void TFormDisplay::SetStatus(const QString& text) {
  statusText_ = text;
  statusCountdown_ = int(text.size()) + 50;
  status_->setText(text);
  timerStatus_->start();
}

}  // namespace vlm
