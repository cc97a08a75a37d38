#pragma once
// The main window's service buttons, as the subsystems' windows add theirs.
#include <QIcon>
#include <QString>
#include <functional>

class QPainter;
class QToolButton;

namespace vlm {

// How the main window adds a service button: object name, hint, icon, what a click runs.
using TServiceButtonAdder =
    std::function<QToolButton*(const QString& name, const QString& hint, const QIcon& icon, std::function<void()> run)>;

// A service button's 28x28 icon on a transparent ground, drawn by `draw`.
QIcon ServiceButtonIcon(const std::function<void(QPainter&)>& draw, bool antialiased = true);

}  // namespace vlm
