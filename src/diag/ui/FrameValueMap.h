#pragma once
// The TI and TS views (TFrameTI104, TFrameTS104): the table as a map of cells, ten addresses a
// row, refreshed by a pass about every second. Popup on a cell: the record's fields and the
// view's options.
#include "diag/DiagValueTable.h"
#include "diag/ui/FrameDiagView.h"

class QAction;

namespace vlm {

class TFrameValueMap : public TFrameDiagView {
  Q_OBJECT
 public:
  TFrameValueMap(bool ti, TDiagContext& context, QWidget* parent);
  void Start(TDiagObj& obj) override;
  void Stop() override;
  bool ScanTick() override;

  TValueTable& Table() { return table_; }
  // The popup for the cell at a map point, nullptr when no value is there.
  QMenu* PopupAt(const QPoint& at) override;
  void Clear();
  enum class TAddressShow { Ioa, Source, Off };
  void SetAddressShow(TAddressShow show);
  void SetInputShown(bool input);
  void SetHighlight(bool incoming, bool changes);

 private:
  int RowHeight() const;
  void DrawGrid();
  void DrawCell(const TTableValue& v);
  void FillMenu();

  bool ti_;
  TValueTable table_;
  QMenu* menu_;
  std::vector<QAction*> captions_;
  TTableValue* popupValue_ = nullptr;
  TTableValue* journalValue_ = nullptr;
  bool showIncoming_ = true, showChanges_ = true, showInput_ = false;
  TAddressShow addressShow_ = TAddressShow::Ioa;
};

}  // namespace vlm
