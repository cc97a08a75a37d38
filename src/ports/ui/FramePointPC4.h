#pragma once
// IEC 104 PC point: connection settings and the optional TS and TI readdressing tables, each
// switched on by its check box; object addresses used twice or beyond 65535 refuse the store.
#include <vector>

#include "ports/ui/ReaddrFrame.h"

class QCheckBox;

namespace vlm {

class TFramePointPC4 : public TReaddrPointFrame {
  Q_OBJECT
 public:
  explicit TFramePointPC4(QWidget* parent);

 protected:
  void Edited() override;
  bool CheckTable(TReaddrPage& page, const TOwnerStore& store) override;

 private:
  void AddIpRow(TBinder& binder);
  // The check box at the top of a table page enables the rest of the page.
  void Switched(TReaddrPage* page, QCheckBox* check);
  std::vector<std::pair<TReaddrPage*, QCheckBox*>> switches_;
};

}  // namespace vlm
