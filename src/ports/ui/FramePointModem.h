#pragma once
// Frames of the points polled over a modem channel (СИРИУС, ТМ-120, МЭК 101, ТК РЭС): the
// point's own settings, the page "Параметры связи" whose modem settings depend on the interface
// of the port's hardware port, the page "ТелеИзмерения" with the TI group editor, and the point
// template.
#include <vector>

#include "ports/ui/FrameKind.h"

class QLabel;
class QPushButton;

namespace vlm {

class TTIGroupEditor;

struct TModemPointLayout {
  std::vector<uint8_t> general;  // first page
  std::vector<uint8_t> modem;    // shown only when the port's hardware port is a modem
  std::vector<uint8_t> link;     // the rest of the link page, always shown
  const char* hint;              // shown instead of the modem settings without a hardware port
  int groupFirst, groupColumns, groupRows;
  bool groupParameters;
};

const TModemPointLayout& SiriusLayout();
const TModemPointLayout& Tm120Layout();
const TModemPointLayout& Point101Layout();
const TModemPointLayout& PointTkrLayout();

class TFramePointModem : public TFramePointItems {
  Q_OBJECT
 public:
  TFramePointModem(const TPointKind& kind, const TModemPointLayout& layout, QWidget* parent);
  TTIGroupEditor* Groups() const { return groups_; }

 protected:
  void Edited() override;
  void ItemChanged(uint8_t id) override;

 private:
  void BuildGeneral();
  void BuildLink();
  void LinkLossLine(TItemPage& page);
  void CopyButton(TItemPage& page, uint8_t from, uint8_t to, const char* name);
  void ShowModulation();
  void ShowLinkLoss();

  const TModemPointLayout& layout_;
  TItemPage* modemPage_ = nullptr;
  TItemPage* linkPage_ = nullptr;
  QWidget* modemPanel_ = nullptr;
  QLabel* hint_ = nullptr;
  TTIGroupEditor* groups_ = nullptr;
  QPushButton* fromTemplate_ = nullptr;
};

}  // namespace vlm
