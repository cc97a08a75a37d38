#include "model/ui/FrameModem.h"

#include <QVBoxLayout>

#include "model/Cards.h"
#include "model/ui/SoftPortLink.h"
#include "shell/HelpTopics.h"

namespace vlm {

TFrameModem::TFrameModem(QWidget* parent) : TFrame(HelpContextOf("TModem"), parent) {
  link_ = new TSoftPortLink(this);
  Body()->addWidget(link_);
  Binder().Note("Модемный порт настройки не требует. Его параметры (частоты, скорость и пр.) задаёт "
                "управляющий программный порт.  ", "LabelNote");
  Body()->addStretch();
}

void TFrameModem::Edit(TObj* obj) { link_->Show(static_cast<THardPort*>(obj)); }

}  // namespace vlm
