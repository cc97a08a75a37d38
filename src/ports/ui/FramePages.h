#pragma once
// Pages of the multi-page port and point frames: one tab control under the frame's own grid, and
// settings pages that are a two-column grid on top of free space.
#include <QString>

class QGridLayout;
class QTabWidget;
class QVBoxLayout;
class QWidget;

namespace vlm {

class TFrame;

// The frame's page control ("PageControl"), placed in its body and stretched.
QTabWidget* AddPageControl(TFrame* frame, QVBoxLayout* body);
// A new tab holding a label/control grid; page receives the tab's widget.
QGridLayout* AddGridPage(QTabWidget* tabs, const QString& title, QWidget** page = nullptr);

}  // namespace vlm
