#include "shell/ui/Traffic.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "common/DataFolder.h"
#include "common/Prompt.h"
#include "common/TextCodec.h"
#include "shell/ui/AppInfo.h"
#include "shell/HelpTopics.h"

namespace vlm {

namespace {
constexpr int kDrawPeriodMs = 300;
constexpr uint32_t kPanelColour = 0x331B0D;
}  // namespace

int TrafficLineIndex(int screenLine, int screenLines, int logCount) {
  const int index = std::max(screenLine, logCount + screenLine - screenLines);
  return index < logCount ? index : -1;
}

std::string TrafficFileText(const std::vector<std::string>& lines) {
  std::string text = "Файл данных программы " + kAppTitle.toStdString() + " " +
                     kVersionText.toStdString() + "\r\n";
  text += "Обмен Конфигуратора (<) с контроллером ВЕЛМОР (>)\r\n";
  text += std::string(99, '-') + "\r\n";
  for (const auto& line : lines) text += line + "\r\n";
  return Utf8ToCp1251(text);
}

// The drawing box: lime monospace lines on the dark panel colour.
class TTrafficView : public QWidget {
 public:
  explicit TTrafficView(QWidget* parent) : QWidget(parent) {
    setFont(FixedPitchFont(13));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, WinColor(kPanelColour));
    setPalette(p);
    setMinimumSize(500, 200);
  }
  int LineHeight() const { return std::max(1, fontMetrics().height()); }
  int ScreenLines() const { return height() / LineHeight(); }
  void SetLines(std::vector<std::string> lines) {
    lines_ = std::move(lines);
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setPen(QColor(0, 255, 0));
    const int n = ScreenLines(), h = LineHeight();
    const int count = static_cast<int>(lines_.size());
    for (int i = 0; i < n; ++i) {
      const int index = TrafficLineIndex(i, n, count);
      if (index < 0) break;
      painter.drawText(2, i * h + fontMetrics().ascent(), QString::fromStdString(lines_[index]));
    }
  }

 private:
  std::vector<std::string> lines_;
};

TFormTraffic::TFormTraffic(TLogSource source, std::function<QString()> destIp, QWidget* parent)
    : QWidget(parent, Qt::Window), source_(std::move(source)), destIp_(std::move(destIp)) {
  setObjectName("FormTraffic");
  setProperty("helpContext", HelpContextOf("TFormTraffic"));
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, Qt::black);
  p.setColor(QPalette::WindowText, QColor(0, 255, 0));
  setPalette(p);
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  auto* save = new QToolButton(this);
  save->setObjectName("ImageSave");
  save->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
  save->setToolTip("Сохранить записанный трафик в файл");
  connect(save, &QToolButton::clicked, this, &TFormTraffic::ImageSaveClick);
  top->addWidget(save);
  labelCtr_ = new QLabel("Строк: 0", this);
  labelCtr_->setObjectName("LabelCtr");
  top->addWidget(labelCtr_);
  top->addStretch();
  auto* logo = new QLabel("ВЕЛМОР", this);
  logo->setToolTip(kVersionText);
  top->addWidget(logo);
  layout->addLayout(top);
  view_ = new TTrafficView(this);
  layout->addWidget(view_, 1);
  timerDraw_ = new QTimer(this);
  connect(timerDraw_, &QTimer::timeout, this, &TFormTraffic::TimerDrawTimer);
  // An answer line is 112 characters (stamp, pause, 32 bytes, the result flag at its end): the
  // window opens wide enough to show the flag.
  const int lineWidth = view_->fontMetrics().horizontalAdvance(QString(112, '0')) + 4;
  const QMargins m = layout->contentsMargins();
  resize(std::max(700, lineWidth + m.left() + m.right()), 450);
  FitOnScreen(this);
}

void TFormTraffic::showEvent(QShowEvent* event) {
  setWindowTitle(kAppTitle + " - Трафик  IP=" + destIp_());
  timerDraw_->start(kDrawPeriodMs);
  TimerDrawTimer();
  QWidget::showEvent(event);
}

void TFormTraffic::hideEvent(QHideEvent* event) {
  timerDraw_->stop();
  QWidget::hideEvent(event);
}

void TFormTraffic::TimerDrawTimer() {
  std::vector<std::string> lines = source_();
  labelCtr_->setText(QStringLiteral("Строк: %1").arg(lines.size()));
  view_->SetLines(std::move(lines));
}

bool TFormTraffic::SaveTo(const QString& path) {
  return WriteFileAtomically(path.toStdU16String(), TrafficFileText(source_()));
}

void TFormTraffic::ImageSaveClick() {
  timerDraw_->stop();
  const std::vector<std::string> copy = source_();  // the log may grow while the dialog is open
  const QString path = QFileDialog::getSaveFileName(this, kAppTitle + " - Сохранить текст в файл",
                                                    "Traffic.txt");
  if (!path.isEmpty() && !WriteFileAtomically(path.toStdU16String(), TrafficFileText(copy)))
    ShowError("Не удалось записать файл " + path.toStdString());
  if (isVisible()) timerDraw_->start(kDrawPeriodMs);
}

}  // namespace vlm
