#pragma once
// The help window: one short HTML page per help context, built into the program.
#include <QWidget>

class QTextBrowser;

namespace vlm {

class TFormHelp : public QWidget {
  Q_OBJECT
 public:
  explicit TFormHelp(QWidget* parent = nullptr);
  // Shows the page of the context (the contents page when the context has none).
  void ShowContext(int context);
  int Context() const { return context_; }
  static bool HasPage(int context);

 private:
  QTextBrowser* browser_;
  int context_ = 0;
};

}  // namespace vlm
