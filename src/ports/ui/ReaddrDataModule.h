#pragma once
// TReaddrDataModule: the menu shared by every readdressing grid. It acts on the grid last
// clicked with the mouse and remembers the table folder for the program's run.
#include <QObject>
#include <QPointer>
#include <QString>

namespace vlm {

class TReaddrTable;

class TReaddrDataModule : public QObject {
  Q_OBJECT
 public:
  static TReaddrDataModule& Instance();

  void Attach(TReaddrTable* table);  // gives the grid the menu and its shortcuts
  void Detach(TReaddrTable* table);
  void SetLastTable(TReaddrTable* table) { last_ = table; }
  TReaddrTable* LastTable() const { return last_; }

  QString TableFolder();  // "Data" beside the program at first
  void SetTableFolder(const QString& folder) { folder_ = folder; }
  void Import(TReaddrTable* table);
  void Export(TReaddrTable* table);

 private:
  QPointer<TReaddrTable> last_;
  QString folder_;
};

}  // namespace vlm
