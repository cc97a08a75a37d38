#include "model/ui/SoftPortLink.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "model/Cards.h"

namespace vlm {

TSoftPortLink::TSoftPortLink(QWidget* parent) : QWidget(parent) {
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new QLabel("Используется программным портом", this), 0, 0);
  caption_ = new QLabel("-", this);
  caption_->setObjectName("LabelSoftPort");
  layout->addWidget(caption_, 0, 1);
  button_ = new QPushButton("Настроить программный порт", this);
  button_->setObjectName("ButtonSoftPort");
  layout->addWidget(button_, 1, 0, 1, 2, Qt::AlignLeft);
  connect(button_, &QPushButton::clicked, this, [this] {
    if (port_) port_->Controller->ShowSoftPortOf(port_);
  });
}

void TSoftPortLink::Show(THardPort* port) {
  port_ = port;
  const TSoftPort* soft = port->Controller->SoftPortOf(port);
  caption_->setText(soft ? QString::fromStdString(soft->GetCaption()) : QStringLiteral("-"));
  button_->setEnabled(soft != nullptr);
}

}  // namespace vlm
