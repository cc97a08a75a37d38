#pragma once
// Texts and placement shared by every window of the desktop program.
#include <QString>
#include <string>

class QColor;
class QFont;

class QWidget;

namespace vlm {

inline const QString kAppTitle = QStringLiteral("Конфигуратор ВЕЛМОР");
inline const QString kVersionText = QStringLiteral("Версия: 4.1.9");
inline const QString kHelpTitle = QStringLiteral("Справочник по Конфигуратору ВЕЛМОР");

// Program texts use "\r" as the line break; Qt labels want "\n".
QString UiText(const std::string& utf8);
QString UiText(const QString& text);

// Pulls a window back onto the screen: a top (left) edge below 0 or within 10 pixels of the
// bottom (right) becomes 0; the size is cut to the screen.
void FitOnScreen(QWidget* window);

// Installs Qt's own Russian texts (file dialogs, message box buttons) for the whole program and
// the Russian file list of the file dialogs; false when the translations are not installed
// (Debian: qt6-translations-l10n), the file list is Russian all the same.
bool InstallQtRussian();

// The program's fixed-pitch font: Lucida Console where the system has it, else the system's
// fixed-width font (a proportional fallback would put "%5d" columns and tabs out of line).
QFont FixedPitchFont(int pixelSize);

// Windows colour values keep blue in the high byte.
QColor WinColor(unsigned value);

}  // namespace vlm
