#pragma once
// The painted parts of the black-box window: the line view (only its visible rows are drawn),
// the raw view of the last three frames and the flow picture.
#include <QWidget>

namespace vlm {

class TFormBox;

class TBoxLineView : public QWidget {
 public:
  TBoxLineView(TFormBox& form, QWidget* parent);
  int LineHeight() const;
  int CharWidth() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  TFormBox& form_;
};

class TBoxRawView : public QWidget {
 public:
  TBoxRawView(TFormBox& form, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TFormBox& form_;
};

class TBoxFlowView : public QWidget {
 public:
  TBoxFlowView(TFormBox& form, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  TFormBox& form_;
};

}  // namespace vlm
