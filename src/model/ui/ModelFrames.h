#pragma once
// The editor frames of the station, controller, processor, cards and hardware ports.
#include <QWidget>

#include "shell/ui/Frame.h"

class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;
class QComboBox;
class QSpinBox;

namespace vlm {

class TStation;
class TController;
class TProcessor;
class TCardRS;
class TCard;
class TComPort;
class THardPort;

// Registers the frames of this file with the frame factory.
void RegisterModelFrames();

// Colour of an address or line entry by the number of cards that use it.
QColor UseCountColour(int count);

class TFrameStation : public TFrame {
  Q_OBJECT
 public:
  explicit TFrameStation(QWidget* parent);
  void Edit(TObj* obj) override;
 private:
  void FillGrids();
  TStation* station_ = nullptr;
  QTableWidget *gridProc_, *gridPorts_;
};

class TFrameController : public TFrame {
  Q_OBJECT
 public:
  explicit TFrameController(QWidget* parent);
  void Edit(TObj* obj) override;
 private:
  TController* controller_ = nullptr;
  QTableWidget *gridAddr_, *gridIrq_, *gridLinks_;
};

class TFrameProcessor : public TFrame {
  Q_OBJECT
 public:
  explicit TFrameProcessor(QWidget* parent);
  void Edit(TObj* obj) override;
 private:
  void AddAddressRow(const QString& label, const char* prefix, uint32_t TProcessor::*field, bool visible);
  TProcessor* processor_ = nullptr;
};

// The owner-drawn address or line list of a card frame.
class TUseList;

class TFrameCardRS : public TFrame {
  Q_OBJECT
 public:
  TFrameCardRS(int helpContext, QWidget* parent);
  void Edit(TObj* obj) override;
  void RefreshLists();
 private:
  TCardRS* card_ = nullptr;
  TUseList *listAddr_, *listIrq_;
};

// PVS and UNIO frames: one address list 0..15 and a note.
class TFrameCardSimple : public TFrame {
  Q_OBJECT
 public:
  TFrameCardSimple(int helpContext, const QString& note, QWidget* parent);
  void Edit(TObj* obj) override;
  void RefreshList();
 private:
  TCard* card_ = nullptr;
  TUseList* listAddr_;
};
class TFramePVS : public TFrameCardSimple {
  Q_OBJECT
 public:
  explicit TFramePVS(QWidget* parent);
};
class TFrameUNIO : public TFrameCardSimple {
  Q_OBJECT
 public:
  explicit TFrameUNIO(QWidget* parent);
};

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

class TFrameComPort : public TFrame {
  Q_OBJECT
 public:
  explicit TFrameComPort(QWidget* parent);
  void Edit(TObj* obj) override;
  void Recalculate();
 private:
  TComPort* port_ = nullptr;
  QComboBox *comboInterface_, *comboSpeed_, *comboParity_, *comboFifo_;
  QSpinBox *spinStop_, *spinGap_;
  QLabel *labelFrame_, *panelGap_;
  TSoftPortLink* link_;
};

class TFrameModem : public TFrame {
  Q_OBJECT
 public:
  explicit TFrameModem(QWidget* parent);
  void Edit(TObj* obj) override;
 private:
  TSoftPortLink* link_;
};

}  // namespace vlm
