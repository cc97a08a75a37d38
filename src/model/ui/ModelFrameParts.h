#pragma once
// Pieces the model's frames share: summary grids whose cells lead to their nodes, titled boxes,
// and the address and line lists coloured by how many cards use an entry.
#include <QColor>
#include <QListWidget>
#include <QString>
#include <utility>
#include <vector>

class QTableWidget;

namespace vlm {

class TObj;

// A read-only two-column summary grid whose cells remember the node they stand for; a double
// click selects that node.
QTableWidget* SummaryGrid(const char* name, const QString& h0, const QString& h1, QWidget* parent);
// Sets a cell of a summary grid; obj (may be null) is the node the cell leads to.
void SetCell(QTableWidget* grid, int row, int column, const QString& text, const TObj* obj);
// `inner` inside a group box with a title.
QWidget* Titled(const QString& title, QWidget* inner, QWidget* parent);

// Colour of an address or line entry by the number of cards that use it.
QColor UseCountColour(int count);

// The owner-drawn address or line list of a card frame.
class TUseList : public QListWidget {
 public:
  TUseList(const char* name, QWidget* parent);
  // Entry texts and the highest use count of each; an empty text is an entry drawn empty.
  void Refresh(const std::vector<std::pair<QString, int>>& entries, int selected);
};

}  // namespace vlm
