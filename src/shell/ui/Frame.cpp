#include "shell/ui/Frame.h"

#include <QGridLayout>
#include <QVBoxLayout>

namespace vlm {

TFrame::TFrame(int helpContext, QWidget* parent) : QWidget(parent), helpContext_(helpContext) {
  body_ = new QVBoxLayout(this);
  grid_ = new QGridLayout;
  grid_->setColumnStretch(1, 1);
  body_->addLayout(grid_);
  binder_ = new TBinder(this, grid_);
}

int TFrame::Apply() {
  binder_->Apply();
  return 0;
}

}  // namespace vlm
