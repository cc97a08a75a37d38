#pragma once
// The binding layer of the editor frames: a labelled control bound to one field of the edited
// object. Fill() copies the fields into the controls (on Edit), Apply() copies them back (on
// Apply). A "live" binding stores its field at every change and then runs the frame's reaction
// (a caption update, a recalculation), as the frames must for a few fields.
#include <QObject>
#include <QString>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QSpinBox;
class QWidget;

namespace vlm {

struct TIntAccess {
  std::function<int()> get;
  std::function<void(int)> set;
};

struct TTextAccess {
  std::function<std::string()> get;
  std::function<void(const std::string&)> set;
};

// Access to an integer field through a callable that returns a reference to it, so a frame
// writes IntField([this]() -> auto& { return port_->GapTime; }) once for reading and writing.
template <typename Ref>
TIntAccess IntField(Ref ref) {
  return {[ref] { return static_cast<int>(ref()); },
          [ref](int v) { ref() = static_cast<std::remove_reference_t<decltype(ref())>>(v); }};
}

template <typename Ref>
TTextAccess TextField(Ref ref) {
  return {[ref] { return std::string(ref()); }, [ref](const std::string& v) { ref() = v; }};
}

using TChoices = std::vector<std::pair<QString, int>>;  // shown text, stored value

class TBinder : public QObject {
  Q_OBJECT
 public:
  // Rows are added to the grid: label in column 0, control in column 1.
  TBinder(QWidget* owner, QGridLayout* grid);

  QSpinBox* Spin(const QString& label, const char* name, int min, int max, TIntAccess access,
                 std::function<void()> live = {});
  QComboBox* Combo(const QString& label, const char* name, const TChoices& choices,
                   TIntAccess access, std::function<void()> live = {});
  QCheckBox* Check(const QString& text, const char* name, TIntAccess access,
                   std::function<void()> live = {});
  QLineEdit* Edit(const QString& label, const char* name, int maxLength, TTextAccess access,
                  std::function<void()> live = {});
  QLabel* Note(const QString& text, const char* name = nullptr);

  void Fill();
  void Apply();
  bool Filling() const { return filling_; }
  QGridLayout* Grid() const { return grid_; }
  QLabel* LabelOf(QWidget* control) const;

 private:
  struct TBinding {
    QWidget* control;
    QLabel* label;
    std::function<void()> fill, apply;
    bool live = false;  // stored at every change already; Apply leaves it alone
  };
  int AddRow(const QString& label, QWidget* control, QLabel** labelOut);
  void Changed(const TBinding& b, const std::function<void()>& live);
  QWidget* owner_;
  QGridLayout* grid_;
  std::vector<TBinding> bindings_;
  bool filling_ = false;
};

}  // namespace vlm
