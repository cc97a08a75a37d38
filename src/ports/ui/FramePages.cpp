#include "ports/ui/FramePages.h"

#include <QGridLayout>
#include <QTabWidget>
#include <QVBoxLayout>

#include "shell/ui/Frame.h"

namespace vlm {

namespace {

// Only the page shown counts for the frame's size: a wide page (the TI group grid) would
// otherwise make every other page wider than the room beside the tree, and their texts and
// groups would run out of sight.
class TPageControl : public QTabWidget {
 public:
  explicit TPageControl(QWidget* parent) : QTabWidget(parent) {
    connect(this, &QTabWidget::currentChanged, this, [this] { SizeByCurrentPage(); });
  }

 protected:
  void tabInserted(int index) override {
    QTabWidget::tabInserted(index);
    SizeByCurrentPage();
  }

 private:
  void SizeByCurrentPage() {
    for (int i = 0; i < count(); ++i) {
      const auto policy = i == currentIndex() ? QSizePolicy::Preferred : QSizePolicy::Ignored;
      widget(i)->setSizePolicy(policy, policy);
    }
    updateGeometry();
  }
};

}  // namespace

QTabWidget* AddPageControl(TFrame* frame, QVBoxLayout* body) {
  auto* tabs = new TPageControl(frame);
  tabs->setObjectName("PageControl");
  body->addWidget(tabs, 1);
  return tabs;
}

QGridLayout* AddGridPage(QTabWidget* tabs, const QString& title, QWidget** page) {
  auto* widget = new QWidget(tabs);
  auto* column = new QVBoxLayout(widget);
  auto* grid = new QGridLayout;
  grid->setColumnStretch(1, 1);
  column->addLayout(grid);
  column->addStretch(1);
  tabs->addTab(widget, title);
  if (page) *page = widget;
  return grid;
}

}  // namespace vlm
