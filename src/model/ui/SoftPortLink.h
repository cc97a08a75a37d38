#pragma once
// The software port bound to a hardware port, and the button that goes to it.
#include <QWidget>

class QLabel;
class QPushButton;

namespace vlm {

class THardPort;

// The bound software port of a hardware port and the button that goes to it.
class TSoftPortLink : public QWidget {
  Q_OBJECT
 public:
  explicit TSoftPortLink(QWidget* parent);
  void Show(THardPort* port);
 private:
  THardPort* port_ = nullptr;
  QLabel* caption_;
  QPushButton* button_;
};

}  // namespace vlm
