#include "ports/ui/FramePages.h"

#include <QGridLayout>
#include <QTabWidget>
#include <QVBoxLayout>

#include "shell/ui/Frame.h"

namespace vlm {

QTabWidget* AddPageControl(TFrame* frame, QVBoxLayout* body) {
  auto* tabs = new QTabWidget(frame);
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
