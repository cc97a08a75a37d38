#pragma once
// Base of the view frames the diagnostics window places in its centre for the table kinds (TI,
// TS, tablo): started with the object, stopped and freed when the selection moves.
#include <QStringList>
#include <QWidget>
#include <functional>

namespace vlm {

class TDiagContext;
class TDiagObj;

class TFrameDiagView : public QWidget {
  Q_OBJECT
 public:
  explicit TFrameDiagView(TDiagContext& context, QWidget* parent = nullptr) : QWidget(parent), context_(context) {}
  virtual void Start(TDiagObj& obj) = 0;
  virtual void Stop() = 0;
  // One tick of the scan timer (the tests drive the frames with it).
  virtual bool ScanTick() = 0;
  // The map as drawn now.
  virtual QImage Map() const = 0;

  // The diagnostics window's journal: a new heading with its lines, and single new lines.
  std::function<void(const QString& title, const QStringList& lines)> ShowJournal;
  std::function<void(const QString& line)> AppendJournal;

  // Creates the frame of a table kind (42, 43, 44), nullptr for others.
  static TFrameDiagView* Create(int kind, TDiagContext& context, QWidget* parent);
  // Help context of the view of a kind.
  static int HelpContext(int kind);

 protected:
  TDiagContext& context_;
};

}  // namespace vlm
