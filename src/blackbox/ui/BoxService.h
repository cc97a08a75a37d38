#pragma once
// The main window's button "Чёрный Яшик": the black-box window is made on first use and kept for
// the run; while it is minimised the main window hides.
#include <QIcon>
#include <QString>
#include <functional>

class QToolButton;
class QWidget;

namespace vlm {

class TControllerLink;
class TFormBox;

using TBoxButtonAdder =
    std::function<QToolButton*(const QString& name, const QString& hint, const QIcon& icon, std::function<void()> run)>;

QToolButton* AddBoxService(const TBoxButtonAdder& add, TControllerLink& link, QWidget* owner);
// The window behind the button, nullptr before its first use.
TFormBox* BoxWindow(QWidget* owner);

}  // namespace vlm
