#pragma once
// Base of the editor frames shown beside the configuration tree. The main window calls Edit with
// the selected object and Apply before it leaves the frame (nonzero refuses). A frame that wants
// another node selected calls RequestGoToNode; the main window serves it after the handler.
#include <QWidget>

#include "shell/ui/Binding.h"

class QGridLayout;
class QVBoxLayout;

namespace vlm {

class TObj;

class TFrame : public QWidget {
  Q_OBJECT
 public:
  TFrame(int helpContext, QWidget* parent);
  virtual void Edit(TObj* obj) = 0;
  // Takes pending edits into the object; nonzero keeps the frame (and stops a save or write).
  virtual int Apply();
  int HelpContext() const { return helpContext_; }

 protected:
  // The frame's binder over a two-column grid placed in the frame's top area.
  TBinder& Binder() { return *binder_; }
  QGridLayout* Grid() const { return grid_; }
  // The frame's column: the grid first; frames add their lists and notes below it.
  QVBoxLayout* Body() const { return body_; }

 private:
  int helpContext_;
  QVBoxLayout* body_;
  QGridLayout* grid_;
  TBinder* binder_;
};

}  // namespace vlm
