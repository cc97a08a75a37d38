#pragma once
// The main window's button "Сервис \"Диагностика\"": the diagnostics window is made on first use,
// kept for the run and shown modally.
#include <QIcon>
#include <QString>
#include <functional>

class QToolButton;
class QWidget;

namespace vlm {

class TControllerLink;
class TFormDiag;

// How the main window adds a service button: object name, hint, icon, what a click runs.
using TServiceButtonAdder =
    std::function<QToolButton*(const QString& name, const QString& hint, const QIcon& icon, std::function<void()> run)>;

QToolButton* AddDiagService(const TServiceButtonAdder& add, TControllerLink& link, QWidget* owner);
// The window behind the button, nullptr before its first use.
TFormDiag* DiagWindow(QWidget* owner);

// The button "Сервис \"Дисплей\"": the display mirror, made on first use, kept and shown modally.
QToolButton* AddDisplayService(const TServiceButtonAdder& add, TControllerLink& link, QWidget* owner);

}  // namespace vlm
